#include "DmoMediaBuffer.h"

#include <new>

DmoMediaBuffer* MakeMediaBuffer(BYTE* data, DWORD maxLength) {
  return new (std::nothrow) DmoMediaBuffer(data, maxLength);
}

HRESULT DmoMediaBuffer::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IMediaBuffer) {
    AddRef();
    *object = static_cast<IMediaBuffer*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DmoMediaBuffer::AddRef() { return ++references_; }

ULONG DmoMediaBuffer::Release() {
  if (--references_ == 0) delete this;
  return 0;
}

HRESULT DmoMediaBuffer::SetLength(DWORD length) {
  length_ = length;
  return S_OK;
}

HRESULT DmoMediaBuffer::GetMaxLength(DWORD* maxLength) {
  if (!maxLength) return E_POINTER;
  *maxLength = maxLength_;
  return S_OK;
}

HRESULT DmoMediaBuffer::GetBufferAndLength(BYTE** buffer, DWORD* length) {
  if (!buffer && !length) return E_POINTER;
  if (buffer) *buffer = data_;
  if (length) *length = length_;
  return S_OK;
}
