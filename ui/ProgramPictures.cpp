#include "ProgramPictures.h"

#include "platform/ProgramFolder.h"

std::string PreviewPicturePath() { return GetProgramFolder() + "preview.jpg"; }

std::string FallbackPicturePath() { return GetProgramFolder() + "audioextractor.bmp"; }

std::string IntroPicturePath() { return GetProgramFolder() + "tolvarextractor.jpg"; }
