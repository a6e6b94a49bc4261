#include "support/ReadWholeFile.h"

#include <fstream>
#include <iterator>

std::string ReadWholeFile(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}
