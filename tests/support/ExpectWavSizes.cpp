#include "support/ExpectWavSizes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace {

struct ChunkHeader {
  std::string id;
  uint32_t size = 0;
};

uint32_t LittleEndian32(const char* bytes) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

bool ReadChunkHeader(std::ifstream& file, ChunkHeader& header) {
  char bytes[8];
  if (!file.read(bytes, sizeof bytes)) return false;
  header.id.assign(bytes, 4);
  header.size = LittleEndian32(bytes + 4);
  return true;
}

}  // namespace

void ExpectWavSizesMatchTheFile(const std::string& path) {
  SCOPED_TRACE(path);
  std::error_code error;
  const uintmax_t fileSize = std::filesystem::file_size(path, error);
  ASSERT_FALSE(error) << error.message();
  std::ifstream file(path, std::ios::binary);
  ChunkHeader riff;
  char form[4];
  ASSERT_TRUE(ReadChunkHeader(file, riff) && file.read(form, sizeof form)) << "shorter than a WAV header";
  ASSERT_EQ(riff.id, "RIFF");
  ASSERT_EQ(std::string(form, 4), "WAVE");
  EXPECT_EQ(riff.size, fileSize - 8) << "RIFF size";

  // The chunks before the data (format, tags) have their sizes from the start.
  ChunkHeader chunk;
  while (ReadChunkHeader(file, chunk) && chunk.id != "data") {
    file.seekg(chunk.size + (chunk.size & 1), std::ios::cur);
  }
  ASSERT_EQ(chunk.id, "data") << "no data chunk";
  const uintmax_t dataStart = static_cast<uintmax_t>(file.tellg());
  EXPECT_EQ(chunk.size, fileSize - dataStart) << "data chunk size";
}
