#pragma once

#include <string>

// MediaInfo, loaded at run time through its ANSI dynamic-loading interface,
// asks a file for its play time when FFmpeg cannot open it.
class MediaInfoLibrary {
 public:
  // What every query answers while the library is not loaded.
  static constexpr const char* kNotLoadedText = "Unable to load MediaInfo.dll";

  // Loads the library once per process; later calls only count a user.
  // False when it is missing or more than one of its entry points is.
  static bool Load();

  // The "PlayTime" of the General stream (milliseconds as decimal digits),
  // possibly empty; kNotLoadedText when the library cannot be loaded, which
  // is tried again on every call.
  static std::string GetPlayTimeText(const std::string& path);
};
