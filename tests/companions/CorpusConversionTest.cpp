// Every real file of the shared corpus through both engines and all three
// formats: a file whose sound the ffmpeg tool can decode converts to a file
// that decodes; one without decodable sound ends as a failure with a reason,
// never as an empty success.
#include "EngineConversion.h"
#include "media/DecoderRegistration.h"
#include "platform/ProgramFolder.h"
#include "support/Ffprobe.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct Format {
  const char* extension;
  int sampleRate;
  int bitRate;
};

constexpr Format kFormats[] = {{"mp3", 44100, 128000}, {"wav", 44100, 128000}, {"ac3", 48000, 192000}};

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

class CorpusFile : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() {
    InitMediaLibraries();
    // The program folder of this build, where libwmvdecod.so lies.
    SetProgramFolderOverride(TOLVAR_PROGRAM_FOLDER);
  }
  void SetUp() override {
    decodedSeconds_ = DecodedAudioSeconds(GetParam());
  }
  void ExpectUsableOutput(const std::string& output) {
    ASSERT_TRUE(decodedSeconds_);
    const auto decoded = DecodedAudioSeconds(output);
    ASSERT_TRUE(decoded) << "the output does not decode";
    EXPECT_GT(*decoded, 0);
    EXPECT_LE(*decoded, *decodedSeconds_ + 0.2);
  }
  std::optional<double> decodedSeconds_;
};

TEST_P(CorpusFile, ConvertsInProcess) {
  TempFolder folder;
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.extension);
    const std::string output = folder / (std::string("out.") + format.extension);
    const auto outcome = ConvertInProcess(
        {.source = GetParam(), .output = output, .sampleRate = format.sampleRate, .bitRate = format.bitRate});
    if (!outcome) GTEST_SKIP() << "the in-process engine cannot open it; tae takes it";
    if (decodedSeconds_) {
      EXPECT_TRUE(outcome->converted) << outcome->failure;
      ExpectUsableOutput(output);
    } else {
      EXPECT_FALSE(outcome->converted);
      EXPECT_FALSE(outcome->failure.empty());
    }
  }
}

TEST_P(CorpusFile, ConvertsThroughTae) {
  TempFolder folder;
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.extension);
    const std::string output = folder / (std::string("out.") + format.extension);
    const auto result = ConvertThroughTae(
        {.source = GetParam(), .output = output, .sampleRate = format.sampleRate, .bitRate = format.bitRate});
    if (decodedSeconds_) {
      EXPECT_EQ(result.exitCode, 0) << result.errors;
      ExpectUsableOutput(output);
    } else {
      EXPECT_NE(result.exitCode, 0);
      EXPECT_NE(result.errors.find("tae: "), std::string::npos) << result.errors;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, ::testing::ValuesIn(TestMedia::CorpusFiles()),
                         [](const auto& info) {
                           return TestParamName(FileName(info.param));
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusFile);

}  // namespace
