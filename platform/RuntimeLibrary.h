#pragma once

#include <memory>
#include <string>

// A shared library loaded at run time under the name the program knows it by
// ("MediaInfo.dll", "wmvdecod.dll", "avcore.dll"). The Linux file name comes
// from a fixed table; the program folder is searched first, then the
// system's usual search. Unloaded when the object goes.
class RuntimeLibrary {
 public:
  ~RuntimeLibrary();
  RuntimeLibrary(const RuntimeLibrary&) = delete;
  RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

  // Null when the library cannot be found or loaded.
  static std::unique_ptr<RuntimeLibrary> Load(const std::string& programName);

  // The Linux file name for a program name; unknown names are used as they are.
  static std::string FileNameFor(const std::string& programName);

  // Tests hide or rename a library: every later Load of programName looks for
  // fileName instead (an empty fileName restores the table's entry).
  static void OverrideFileName(const std::string& programName, const std::string& fileName);

  void* Symbol(const char* name) const;
  // The entry point as a pointer to the function type the caller expects;
  // null when the library lacks it.
  template <typename Function>
  Function Entry(const char* name) const {
    return reinterpret_cast<Function>(Symbol(name));
  }
  const std::string& LoadedFrom() const { return loadedFrom_; }

 private:
  RuntimeLibrary(void* handle, std::string loadedFrom);

  void* handle_;
  std::string loadedFrom_;
};
