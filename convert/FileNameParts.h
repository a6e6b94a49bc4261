#pragma once

#include <string>

// The text after the last '/' of a path (the whole path when it has none).
std::string GetFileName(const std::string& path);

// The text after the last dot of a path; the whole path when it has no dot.
std::string GetFileExtension(const std::string& path);
