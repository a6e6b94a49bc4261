#include "RuntimeLibrary.h"

#include "ProgramFolder.h"

#include <dlfcn.h>
#include <map>
#include <mutex>

namespace {

const std::map<std::string, std::string> kFileNames = {
    {"MediaInfo.dll", "libmediainfo.so.0"},
    {"wmvdecod.dll", "libwmvdecod.so"},
    {"wmvdmod.dll", "libwmvdmod.so"},
    {"wmv9dmod.dll", "libwmv9dmod.so"},
    {"avcore.dll", "libavcore.so"},
};

std::mutex overridesMutex;
std::map<std::string, std::string> overrides;

}  // namespace

RuntimeLibrary::RuntimeLibrary(void* handle, std::string loadedFrom)
    : handle_(handle), loadedFrom_(std::move(loadedFrom)) {}

RuntimeLibrary::~RuntimeLibrary() { dlclose(handle_); }

std::string RuntimeLibrary::FileNameFor(const std::string& programName) {
  {
    std::lock_guard lock(overridesMutex);
    const auto found = overrides.find(programName);
    if (found != overrides.end()) return found->second;
  }
  const auto found = kFileNames.find(programName);
  return found == kFileNames.end() ? programName : found->second;
}

void RuntimeLibrary::OverrideFileName(const std::string& programName, const std::string& fileName) {
  std::lock_guard lock(overridesMutex);
  if (fileName.empty()) {
    overrides.erase(programName);
  } else {
    overrides[programName] = fileName;
  }
}

std::unique_ptr<RuntimeLibrary> RuntimeLibrary::Load(const std::string& programName) {
  const std::string fileName = FileNameFor(programName);
  const std::string besideProgram = GetProgramFolder() + fileName;
  if (void* handle = dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    return std::unique_ptr<RuntimeLibrary>(new RuntimeLibrary(handle, besideProgram));
  }
  // A name with a slash would bypass the search; only plain names go there.
  if (fileName.find('/') != std::string::npos) return nullptr;
  if (void* handle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    return std::unique_ptr<RuntimeLibrary>(new RuntimeLibrary(handle, fileName));
  }
  return nullptr;
}

void* RuntimeLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }
