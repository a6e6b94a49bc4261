#pragma once

#include <cctype>
#include <string>

// A test parameter's name as GoogleTest takes it: letters and digits kept,
// everything else (dots, dashes, blanks) turned into '_'.
inline std::string TestParamName(std::string text) {
  for (char& c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return text;
}
