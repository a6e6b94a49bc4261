#include "TruncatedTimeText.h"

#include "TruncateToInt.h"
#include "convert/TimeText.h"

std::string FormatTruncatedTimeText(double seconds) { return FormatTimeText(TruncateToInt(seconds)); }
