#pragma once

#include <string>

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes. Path() ends with '/'.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + name.
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};
