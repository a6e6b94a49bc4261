#pragma once

#include "platform/com/IMediaBuffer.h"

#include <atomic>

// Lends caller memory to a media object through IMediaBuffer without a copy:
// packet bytes going in, picture memory coming out. The object never owns
// the memory; it frees itself when its last reference is released.
class DmoMediaBuffer final : public IMediaBuffer {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  // Always 0: callers must not rely on the count.
  ULONG Release() override;
  // Takes any length, even one beyond the maximum.
  HRESULT SetLength(DWORD length) override;
  HRESULT GetMaxLength(DWORD* maxLength) override;
  // Either out may be null, not both.
  HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) override;

 private:
  friend DmoMediaBuffer* MakeMediaBuffer(BYTE* data, DWORD maxLength);
  DmoMediaBuffer(BYTE* data, DWORD maxLength) : data_(data), maxLength_(maxLength) {}
  ~DmoMediaBuffer() = default;

  std::atomic<ULONG> references_{1};
  BYTE* data_;
  DWORD maxLength_;
  DWORD length_ = 0;
};

// A new buffer over `data` with one reference and a current length of 0;
// null when memory runs out.
DmoMediaBuffer* MakeMediaBuffer(BYTE* data, DWORD maxLength);
