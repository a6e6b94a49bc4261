#pragma once

#include <optional>
#include <string>

// The converter travels as the item "tae" of the ZIP archive "zivirad.dat"
// in the program folder, and runs from the user's private temporary folder
// (PrivateTempFolder), where it is unpacked on first use.

enum UnpackResult {
  kUnpackDone = 0,            // the converter was there, or the archive was gone through
  kUnpackArchiveMissing = 3,  // no archive to unpack, or no private folder to unpack into
};

// The private temporary folder + "tae"; none when there is no private folder
// (then there is no converter: it is never run from a folder others may
// write).
std::optional<std::string> ConverterPath();

// Makes sure the converter is in place. A converter that is there is left
// alone unless it is older than the archive, so a new build never runs an
// old converter. Otherwise every item of the archive is unpacked into the
// private folder under its stored relative path, with its run bits (never
// writable by others, never set-ID); an item whose name is absolute or climbs
// out with ".." is skipped, and so is a damaged one. Each item is written
// under a temporary name and renamed into place, so an unpacking broken off
// never leaves a partial file under an item's name. Unpacked files carry the
// time of unpacking, not the times stored in the archive.
UnpackResult EnsureConverter();
