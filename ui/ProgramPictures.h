#pragma once

#include <string>

// The picture files of the preview area.

// Where each click's still is written, and read back from: beside the
// program, or in the user's cache folder for an installed copy.
std::string PreviewPicturePath();
// Shown when no still can be taken of a source; installed with the program.
std::string FallbackPicturePath();
// Shown once, shortly after the main window opens; installed with the program.
std::string IntroPicturePath();
