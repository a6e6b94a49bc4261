#include "MediaInfoLibrary.h"

#include "platform/RuntimeLibrary.h"

#include <array>
#include <cstddef>
#include <mutex>

namespace {

// The whole ANSI set of the dynamic-loading interface, single-file and list
// forms. Only five are called; the rest prove the library is the real thing.
constexpr std::array<const char*, 22> kEntryPoints = {
    "MediaInfoA_New",           "MediaInfoListA_New",       "MediaInfoA_Delete",
    "MediaInfoListA_Delete",    "MediaInfoA_Open",          "MediaInfoListA_Open",
    "MediaInfoA_Close",         "MediaInfoListA_Close",     "MediaInfoA_Inform",
    "MediaInfoListA_Inform",    "MediaInfoA_GetI",          "MediaInfoListA_GetI",
    "MediaInfoA_Get",           "MediaInfoListA_Get",       "MediaInfoA_Option",
    "MediaInfoListA_Option",    "MediaInfoA_State_Get",     "MediaInfoListA_State_Get",
    "MediaInfoA_Count_Get",     "MediaInfoListA_Count_Get", "MediaInfoA_Count_Get_Files",
    "MediaInfoListA_Count_Get_Files",
};

using NewFunction = void* (*)();
using OpenFunction = size_t (*)(void*, const char*);
using GetFunction = const char* (*)(void*, int streamKind, size_t streamNumber,
                                    const char* parameter, int infoKind, int searchKind);
using HandleFunction = void (*)(void*);

constexpr int kStreamGeneral = 0;
constexpr int kInfoText = 1;
constexpr int kInfoName = 0;

struct LoadedMediaInfo {
  std::unique_ptr<RuntimeLibrary> library;
  NewFunction newHandle = nullptr;
  OpenFunction open = nullptr;
  GetFunction get = nullptr;
  HandleFunction close = nullptr;
  HandleFunction deleteHandle = nullptr;
  int users = 0;
};

std::mutex loadMutex;
LoadedMediaInfo loaded;

}  // namespace

bool MediaInfoLibrary::Load() {
  std::lock_guard lock(loadMutex);
  if (loaded.library) {
    ++loaded.users;
    return true;
  }
  auto library = RuntimeLibrary::Load("MediaInfo.dll");
  if (!library) return false;
  int missing = 0;
  for (const char* name : kEntryPoints) {
    if (!library->Symbol(name)) ++missing;
  }
  if (missing > 1) return false;
  loaded.newHandle = library->Entry<NewFunction>("MediaInfoA_New");
  loaded.open = library->Entry<OpenFunction>("MediaInfoA_Open");
  loaded.get = library->Entry<GetFunction>("MediaInfoA_Get");
  loaded.close = library->Entry<HandleFunction>("MediaInfoA_Close");
  loaded.deleteHandle = library->Entry<HandleFunction>("MediaInfoA_Delete");
  // The library stays loaded until the process ends.
  loaded.library = std::move(library);
  loaded.users = 1;
  return true;
}

std::string MediaInfoLibrary::GetPlayTimeText(const std::string& path) {
  bool loadedBefore = false;
  {
    std::lock_guard lock(loadMutex);
    loadedBefore = loaded.library != nullptr;
  }
  if (!loadedBefore) Load();

  std::lock_guard lock(loadMutex);
  if (!loaded.library || !loaded.newHandle || !loaded.open || !loaded.get) return kNotLoadedText;
  void* handle = loaded.newHandle();
  if (!handle) return kNotLoadedText;
  loaded.open(handle, path.c_str());
  const char* answer = loaded.get(handle, kStreamGeneral, 0, "PlayTime", kInfoText, kInfoName);
  std::string text = answer ? answer : "";
  if (loaded.close) loaded.close(handle);
  if (loaded.deleteHandle) loaded.deleteHandle(handle);
  return text;
}
