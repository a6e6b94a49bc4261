#pragma once

#include <string>

// Checks that a WAV file's header tells the file's true sizes, as only a
// file closed properly does: the RIFF size is the file's size less 8, and
// the data chunk's size is the number of bytes after that chunk's header.
// Records failures in the current test.
void ExpectWavSizesMatchTheFile(const std::string& path);
