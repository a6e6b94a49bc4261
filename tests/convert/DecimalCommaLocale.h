#pragma once

#include "support/TempFolder.h"

#include <string>

// Switches the C library's number format to German (a decimal comma) for
// its lifetime, as a user's environment does once Qt has applied it. The
// locale is compiled into a folder of the test's own, so the test needs no
// locale installed on the machine; Active() is false when that fails.
class DecimalCommaLocale {
 public:
  DecimalCommaLocale();
  ~DecimalCommaLocale();
  DecimalCommaLocale(const DecimalCommaLocale&) = delete;
  DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

  bool Active() const { return active_; }

 private:
  TempFolder folder_;
  bool active_ = false;
};
