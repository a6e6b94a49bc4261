#pragma once

#include <string>
#include <vector>

// Media made by the ffmpeg tool from lavfi sources (testsrc2, sine), once per
// build tree and shared by every test binary; and the read-only corpus of
// real files that lies beside the project.
class TestMedia {
 public:
  // The path of a fixture of the recipe table, generated on first use.
  static std::string Path(const std::string& name);
  // Names of all fixtures of the recipe table.
  static std::vector<std::string> Names();

  // The shared corpus folder (with '/'), or empty when it is not present.
  static std::string CorpusFolder();
  // Every media file of the corpus, full paths in name order.
  static std::vector<std::string> CorpusFiles();
};
