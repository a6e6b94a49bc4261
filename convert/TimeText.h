#pragma once

#include <string>

// Whole seconds as "hh:mm:ss"; the hour field grows past 99. Negative values
// get no special care: -1 reads "00:00:-1".
std::string FormatTimeText(int seconds);
