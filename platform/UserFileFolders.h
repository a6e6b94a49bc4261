#pragma once

#include <string>

// Where the program keeps the files it writes for the user (option.ini, the
// preview still). Beside the program while its folder is writable, as in a
// build tree or a copy of the program folder; in the user's XDG folders
// ($XDG_CONFIG_HOME or ~/.config, $XDG_CACHE_HOME or ~/.cache, each with
// "tolvar-audio-extractor/") when it is not, as for an installed copy. Both
// end with '/'; the XDG folders are created when needed.
std::string SettingsFolder();
std::string CacheFolder();
