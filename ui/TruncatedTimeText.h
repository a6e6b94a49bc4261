#pragma once

#include <string>

// The time text of a number of seconds truncated toward zero to whole
// seconds: 10.7 reads "00:00:10".
std::string FormatTruncatedTimeText(double seconds);
