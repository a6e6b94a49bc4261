// The source's tags reach every output format that can carry them, through
// both engines, and nothing else of the source's is carried.
#include "EngineConversion.h"
#include "media/DecoderRegistration.h"
#include "support/Ffprobe.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::map<std::string, std::string> kSourceTags = {
    {"title", "Morning"}, {"artist", "Ensemble"}, {"album", "Recordings"}, {"album_artist", "Various"},
    {"date", "2021"},     {"genre", "Jazz"},      {"comment", "Live"},     {"track", "7"},
    {"language", "fra"},
};

struct TagCase {
  const char* extension;
  // What the format has no place for; raw AC-3 has no tags at all.
  std::vector<std::string> withoutPlace;
  bool original = false;  // the source's Vorbis copied as it is, into Ogg
};

const TagCase kTagCases[] = {
    {"mp3", {}},
    {"m4a", {}},
    {"flac", {}},
    {"opus", {}},
    {"wav", {"album_artist"}},  // RIFF INFO has no album artist
    {"ac3", {"title", "artist", "album", "album_artist", "date", "genre", "comment", "track", "language"}},
    {"ogg", {}, true},
};

}  // namespace

class Tags : public ::testing::TestWithParam<std::tuple<TagCase, bool>> {
 protected:
  static void SetUpTestSuite() { InitMediaLibraries(); }
  TempFolder folder_;
};

TEST_P(Tags, AreCarriedWhereTheFormatHasAPlace) {
  const auto& [format, throughTae] = GetParam();
  const EngineConversion conversion{.source = TestMedia::Path("mkv-vorbis-tagged-3s.mkv"),
                                    .output = folder_ / (std::string("out.") + format.extension),
                                    .sampleRate = 48000,
                                    .original = format.original};
  const auto outcome = Convert(conversion, throughTae);
  ASSERT_TRUE(outcome && outcome->converted) << (outcome ? outcome->failure : "the source did not open");

  const std::map<std::string, std::string> tags = ProbedTags(conversion.output);
  for (const auto& [key, value] : kSourceTags) {
    SCOPED_TRACE(key);
    const bool hasPlace = std::find(format.withoutPlace.begin(), format.withoutPlace.end(), key) ==
                          format.withoutPlace.end();
    const auto found = tags.find(key);
    if (hasPlace) {
      ASSERT_NE(found, tags.end()) << "not carried";
      EXPECT_EQ(found->second, value);
    } else {
      EXPECT_EQ(found, tags.end());
    }
  }
  EXPECT_EQ(tags.count("copyright"), 0u) << "a tag of the source that is not carried";
}

INSTANTIATE_TEST_SUITE_P(FormatsAndEngines, Tags, ::testing::Combine(::testing::ValuesIn(kTagCases), ::testing::Bool()),
                         [](const auto& info) {
                           const TagCase& format = std::get<0>(info.param);
                           return std::string(format.original ? "Original" : "") + format.extension +
                                  (std::get<1>(info.param) ? "Tae" : "InProcess");
                         });
