#pragma once

#include <string>

// The file's bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
