#pragma once

#include "platform/com/Guid.h"

// {82D353DF-90BD-4382-8BC2-3F6192B76E34}: the class of the Windows Media
// Video decoder DMO, which the decoder libraries make through
// DllGetClassObject.
inline constexpr CLSID CLSID_CWMVDecMediaObject = {
    0x82D353DF, 0x90BD, 0x4382, {0x8B, 0xC2, 0x3F, 0x61, 0x92, 0xB7, 0x6E, 0x34}};
