#include "WmvDecoderClassFactory.h"

#include "WmvDecoderMediaObject.h"

#include <new>

WmvDecoderClassFactory* WmvDecoderClassFactory::Create() { return new (std::nothrow) WmvDecoderClassFactory; }

HRESULT WmvDecoderClassFactory::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IClassFactory) {
    AddRef();
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG WmvDecoderClassFactory::AddRef() { return ++references_; }

ULONG WmvDecoderClassFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT WmvDecoderClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  WmvDecoderMediaObject* mediaObject = WmvDecoderMediaObject::Create();
  if (!mediaObject) return E_OUTOFMEMORY;
  const HRESULT result = mediaObject->QueryInterface(iid, object);
  mediaObject->Release();
  return result;
}

HRESULT WmvDecoderClassFactory::LockServer(BOOL) { return S_OK; }
