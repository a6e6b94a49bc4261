#pragma once

#include "platform/com/IUnknown.h"

// {59EFF8B9-938C-4A26-82F2-95CB84CDC837}
inline constexpr IID IID_IMediaBuffer = {0x59EFF8B9, 0x938C, 0x4A26, {0x82, 0xF2, 0x95, 0xCB, 0x84, 0xCD, 0xC8, 0x37}};

// A block of memory handed to or filled by a media object.
class IMediaBuffer : public IUnknown {
 public:
  virtual HRESULT SetLength(DWORD length) = 0;
  virtual HRESULT GetMaxLength(DWORD* maxLength) = 0;
  virtual HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) = 0;

 protected:
  ~IMediaBuffer() = default;
};
