#pragma once

#include <string>

// Case rules of the program's texts: only the ASCII letters change case, so
// the bytes of a UTF-8 file name pass through untouched.
std::string ToUpperAscii(std::string text);
std::string ToLowerAscii(std::string text);
bool EqualsIgnoringCase(const std::string& left, const std::string& right);
