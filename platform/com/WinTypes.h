#pragma once

#include <cstdint>

// The fixed-width scalars the COM and DMO records are written in. Windows'
// LONG and ULONG are 32 bits even where C's long is 64.
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using BOOL = int32_t;
// A time in units of 100 ns.
using REFERENCE_TIME = int64_t;
