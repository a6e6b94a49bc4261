// A stand-in skin library for tests: the same five entry points as
// libavcore.so, each only writing down that it was called and with what.
// RecordedSkinCalls gives the record back, one call per line.

#include "companions/avcore/AvcoreEntryPoints.h"

#include <cstdio>
#include <string>

namespace {

std::string record;

void Record(const std::string& call) { record += call + '\n'; }

}  // namespace

extern "C" AVCORE_EXPORT const char* RecordedSkinCalls() { return record.c_str(); }

int InitDecoration(int interfaceVersion) {
  Record("InitDecoration " + std::to_string(interfaceVersion));
  return 1;
}

// The size, and the first four bytes: a skin file starts with "qres".
int LoadSkinFromResource(const unsigned char* skinFile, std::size_t size) {
  std::string start;
  for (std::size_t i = 0; skinFile && i < size && i < 4; ++i) start += static_cast<char>(skinFile[i]);
  Record("LoadSkinFromResource " + std::to_string(size) + " " + start);
  return 1;
}

int ApplySkin() {
  Record("ApplySkin");
  return 1;
}

int SetCustomSkinWnd(QWidget* window, const char16_t* name, int flags) {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<void*>(window));
  std::string narrowName;
  for (const char16_t* c = name; c && *c; ++c) narrowName += *c < 128 ? static_cast<char>(*c) : '?';
  Record("SetCustomSkinWnd " + std::string(address) + " " + narrowName + " " + std::to_string(flags));
  return 1;
}

void DeInitDecoration() { Record("DeInitDecoration"); }
