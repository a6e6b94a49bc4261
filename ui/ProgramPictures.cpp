#include "ProgramPictures.h"

#include "platform/ProgramFolder.h"
#include "platform/UserFileFolders.h"

std::string PreviewPicturePath() { return CacheFolder() + "preview.jpg"; }

std::string FallbackPicturePath() { return GetProgramFolder() + "audioextractor.bmp"; }

std::string IntroPicturePath() { return GetProgramFolder() + "tolvarextractor.jpg"; }
