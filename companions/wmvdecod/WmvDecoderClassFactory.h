#pragma once

#include "platform/com/IClassFactory.h"

#include <atomic>

// Makes WmvDecoderMediaObject instances, the library's one class.
class WmvDecoderClassFactory final : public IClassFactory {
 public:
  // A new factory with one reference; null when memory runs out.
  static WmvDecoderClassFactory* Create();

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  // Objects are not aggregated: `outer` must be null.
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  // The library is unloaded only by its loader; nothing to count.
  HRESULT LockServer(BOOL lock) override;

 private:
  WmvDecoderClassFactory() = default;
  ~WmvDecoderClassFactory() = default;

  std::atomic<ULONG> references_{1};
};
