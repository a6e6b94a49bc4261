#pragma once

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/WinTypes.h"

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The root of every COM interface. Pure virtual functions without a virtual
// destructor give exactly COM's table of function pointers on this ABI; an
// object is only ever freed by its own Release.
class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};
