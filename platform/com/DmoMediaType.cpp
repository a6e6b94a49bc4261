#include "DmoMediaType.h"

#include <cstdlib>

// The format block comes from the C heap, which every library of the process
// shares: a type made on one side of a library boundary may be freed on the
// other, as COM's task allocator allows.
HRESULT MoInitMediaType(DMO_MEDIA_TYPE* type, DWORD formatLength) {
  if (!type) return E_POINTER;
  *type = DMO_MEDIA_TYPE{};
  if (formatLength == 0) return S_OK;
  type->pbFormat = static_cast<BYTE*>(std::calloc(formatLength, 1));
  if (!type->pbFormat) return E_OUTOFMEMORY;
  type->cbFormat = formatLength;
  return S_OK;
}

HRESULT MoFreeMediaType(DMO_MEDIA_TYPE* type) {
  if (!type) return E_POINTER;
  std::free(type->pbFormat);
  type->pbFormat = nullptr;
  type->cbFormat = 0;
  if (type->pUnk) {
    type->pUnk->Release();
    type->pUnk = nullptr;
  }
  return S_OK;
}
