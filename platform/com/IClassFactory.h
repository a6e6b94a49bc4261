#pragma once

#include "platform/com/IUnknown.h"

// {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Makes the objects of one COM class.
class IClassFactory : public IUnknown {
 public:
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// The entry point a COM library exports for its class factories.
using DllGetClassObjectFunction = HRESULT (*)(REFCLSID classId, REFIID iid, void** object);
