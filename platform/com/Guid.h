#pragma once

#include <cstdint>

// A COM class, interface or media type identifier, laid out as Windows has it.
struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];

  friend constexpr bool operator==(const GUID& left, const GUID& right) {
    if (left.Data1 != right.Data1 || left.Data2 != right.Data2 || left.Data3 != right.Data3) return false;
    for (int i = 0; i < 8; ++i) {
      if (left.Data4[i] != right.Data4[i]) return false;
    }
    return true;
  }
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
