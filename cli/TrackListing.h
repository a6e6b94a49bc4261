#pragma once

#include <cstdio>
#include <string>
#include <vector>

class FrontEndNotice;

// What tolvar-extract --list-tracks does: each file probed as the main
// window's list probes it, one line per audio track on `out`,
// "FILE<TAB>N<TAB>LANGUAGE<TAB>CODEC<TAB>CHANNELS<TAB>RATE<TAB>default|-<TAB>TITLE",
// "-" standing for what the file does not tell; a file that is refused or
// holds no audio track gets a failed line, as the run's result lines.
// The exit status: 0, or 1 when any file got a failed line.
int ListTracks(const std::vector<std::string>& files, const FrontEndNotice& notice, std::FILE* out);
