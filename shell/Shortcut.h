#pragma once

#include <string>

// What a dropped shortcut points to: the final target of a symbolic link, or
// the local file named by the file:// URL of a freedesktop ".desktop" file of
// Type=Link. Empty for anything else (the path is then used as it is) and
// for a link that leads nowhere.
std::string ResolveShortcut(const std::string& path);
