#pragma once

#include <string>

// The picture files of the preview area, all in the program folder.

// Where each click's still is written, and read back from.
std::string PreviewPicturePath();
// Shown when no still can be taken of a source; installed with the program.
std::string FallbackPicturePath();
// Shown once, shortly after the main window opens; installed with the program.
std::string IntroPicturePath();
