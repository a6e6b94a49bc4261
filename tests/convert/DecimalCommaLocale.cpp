#include "DecimalCommaLocale.h"

#include "support/Command.h"

#include <clocale>
#include <cstdlib>

DecimalCommaLocale::DecimalCommaLocale() {
  const std::string name = "de_DE.UTF-8";
  if (RunCommand({"localedef", "-i", "de_DE", "-f", "UTF-8", folder_ / name}).exitCode != 0) return;
  setenv("LOCPATH", folder_.Path().c_str(), 1);
  active_ = std::setlocale(LC_NUMERIC, name.c_str()) != nullptr;
}

DecimalCommaLocale::~DecimalCommaLocale() {
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
}
