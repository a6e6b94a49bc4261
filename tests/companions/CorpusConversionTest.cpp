// Every real file of the shared corpus through both engines, the three
// formats of the main window's buttons and Original: a file whose sound the ffmpeg tool can decode converts to a file
// that decodes; one without decodable sound ends as a failure with a reason,
// never as an empty success.
#include "EngineConversion.h"
#include "media/DecoderRegistration.h"
#include "media/OriginalSound.h"
#include "platform/ProgramFolder.h"
#include "support/Ffprobe.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct Format {
  const char* extension;  // for Original, the one its codec gets
  int sampleRate;
  int bitRate;
  bool original = false;
};

constexpr Format kFormats[] = {
    {"mp3", 44100, 128000}, {"wav", 44100, 128000}, {"ac3", 48000, 192000}, {"", 0, 0, true}};

std::string OutputPath(const TempFolder& folder, const Format& format, const std::string& source) {
  std::string extension = format.extension;
  if (format.original) {
    const auto planned = ProbeOriginalSound(source);
    extension = planned ? planned->extension : "mka";
  }
  return folder / ("out." + extension);
}

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
  void ExpectUsableOutput(const std::string& output, const Format& format) {
    ASSERT_TRUE(decodedSeconds_);
    const auto decoded = DecodedAudioSeconds(output);
    ASSERT_TRUE(decoded) << "the output does not decode";
    EXPECT_GT(*decoded, 0);
    // A copy may decode longer than the source does: the ffmpeg tool
    // decodes one AMR frame of the five a 3GP packet holds. It never
    // outlasts the source's packets.
    const double lasts = format.original ? std::max(*decodedSeconds_, LastPacketEndSeconds(GetParam()).value_or(0))
                                         : *decodedSeconds_;
    EXPECT_LE(*decoded, lasts + 0.2);
  }
  // Each format through one engine: a converted file that decodes, or a
  // failure with its reason where the ffmpeg tool decodes nothing either.
  void ConvertsEveryFormat(bool throughTae) {
    TempFolder folder;
    for (const Format& format : kFormats) {
      const std::string output = OutputPath(folder, format, GetParam());
      SCOPED_TRACE(output);
      const auto outcome = Convert({.source = GetParam(),
                                    .output = output,
                                    .sampleRate = format.sampleRate,
                                    .bitRate = format.bitRate,
                                    .original = format.original},
                                   throughTae);
      if (!outcome) GTEST_SKIP() << "the in-process engine cannot open it; tae takes it";
      if (decodedSeconds_) {
        EXPECT_TRUE(outcome->converted) << outcome->failure;
        ExpectUsableOutput(output, format);
      } else {
        EXPECT_FALSE(outcome->converted);
        EXPECT_FALSE(outcome->failure.empty());
        if (throughTae) EXPECT_NE(outcome->failure.find("tae: "), std::string::npos) << outcome->failure;
      }
    }
  }

  std::optional<double> decodedSeconds_;
};

TEST_P(CorpusFile, ConvertsInProcess) { ConvertsEveryFormat(false); }

TEST_P(CorpusFile, ConvertsThroughTae) { ConvertsEveryFormat(true); }

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, ::testing::ValuesIn(TestMedia::CorpusFiles()),
                         [](const auto& info) {
                           return TestParamName(FileName(info.param));
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusFile);

}  // namespace
