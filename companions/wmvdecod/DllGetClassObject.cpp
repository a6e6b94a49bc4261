// The library's one export: the class factory of the WMV decoder DMO.
#include "WmvDecoderClassFactory.h"

#include "platform/com/WmvDecoderClassId.h"

#include <type_traits>

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID classId, REFIID iid,
                                                                           void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!(classId == CLSID_CWMVDecMediaObject)) return CLASS_E_CLASSNOTAVAILABLE;
  WmvDecoderClassFactory* factory = WmvDecoderClassFactory::Create();
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT result = factory->QueryInterface(iid, object);
  factory->Release();
  return result;
}

// The program looks the entry up by name; the declaration keeps its type
// honest against the one the program calls through.
static_assert(std::is_same_v<decltype(&DllGetClassObject), DllGetClassObjectFunction>);
