// The Original format through both engines: every codec family's packets
// reach a container that takes them as they are, unchanged; PCM that WAV
// cannot take is repacked without changing a sample; a clip keeps exactly
// the packets that cover it; and what no container takes fails with a
// reason that names the codec.
#include "CopiedPackets.h"
#include "EngineConversion.h"
#include "media/DecoderRegistration.h"
#include "media/LocalFile.h"
#include "media/OriginalSound.h"
#include "media/SourceAudio.h"
#include "platform/ProgramFolder.h"
#include "support/Command.h"
#include "support/Ffprobe.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

enum class Compare {
  Packets,      // each packet's size and hash, as the ffmpeg tool copies them
  AdtsPackets,  // the same, with the ADTS headers taken off the source's as MP4 needs
  Samples,      // every decoded sample, for PCM: a repack, and a demuxer that cuts packets its own way
  Bytes,        // the packets' bytes end to end: the AMR demuxer cuts a frame a packet, MP4 five
};

struct OriginalCase {
  const char* name;
  std::string source;  // a corpus file's name, or else a generated fixture's
  const char* extension;
  Compare compare;
};

const OriginalCase kCases[] = {
    {"AacFromMp4", "quicktime-h264-aac.mov", "m4a", Compare::Packets},
    {"AacFromTransportStream", "ts-adts-aac-4s.ts", "m4a", Compare::AdtsPackets},
    {"AacLatm", "ts-latm-aac-4s.ts", "mka", Compare::Packets},
    {"Alac", "mov-alac-3s.mov", "m4a", Compare::Packets},
    {"Mp3", "vp6-mp3.flv", "mp3", Compare::Packets},
    {"Mp2", "mpeg1-ps-mp2-mono-30s.mpeg", "mp2", Compare::Packets},
    {"Ac3", "realmedia-rv10-ac3.rm", "ac3", Compare::Packets},
    {"Eac3", "mkv-eac3-3s.mkv", "eac3", Compare::Packets},
    {"Dts", "mkv-dts-3s.mkv", "dts", Compare::Packets},
    {"OpusInWebm", "mediarecorder-chrome-vp8-opus.webm", "opus", Compare::Packets},
    {"VorbisInMatroska", "mkv-h264-vorbis-with-attachments.mkv", "ogg", Compare::Packets},
    {"Flac", "mkv-flac-3s.mkv", "flac", Compare::Packets},
    {"Wmav2", "wmv3-wmav2-30s.wmv", "wma", Compare::Packets},
    {"WmaPro", "vc1-wmapro.wmv", "wma", Compare::Packets},
    {"Speex", "webcam-h264-speex.flv", "mka", Compare::Packets},
    {"AdpcmGoesToMatroska", "avi-adpcm-ima-3s.avi", "mka", Compare::Packets},
    {"AmrNb", "3gp-h263-amrnb.3gp", "amr", Compare::Bytes},
    {"PcmUnsigned8Bit", "camera-mjpeg-pcmu8.mov", "wav", Compare::Samples},
    {"PcmLittleEndian16Bit", "wav-tone-from-12s-to-30s-40s.wav", "wav", Compare::Samples},
    {"PcmBigEndian16Bit", "mov-pcm-s16be-3s.mov", "wav", Compare::Samples},
    {"PcmBigEndian24Bit", "mov-pcm-s24be-3s.mov", "wav", Compare::Samples},
    {"PcmDvd", "vob-pcm-dvd-3s.vob", "wav", Compare::Samples},
};

// A generated fixture, or else the corpus file; empty when the corpus is
// not beside the checkout.
std::string SourcePath(const std::string& name) {
  const std::vector<std::string> fixtures = TestMedia::Names();
  if (std::find(fixtures.begin(), fixtures.end(), name) != fixtures.end()) return TestMedia::Path(name);
  const std::string corpus = TestMedia::CorpusFolder();
  return corpus.empty() ? std::string() : corpus + name;
}

// The stream both engines take.
int ChosenAudioStream(const std::string& path) {
  AVFormatContext* opened = nullptr;
  if (OpenSourceFile(&opened, path) < 0) return -1;
  const std::unique_ptr<AVFormatContext, SourceFileCloser> input(opened);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return -1;
  return ChooseSourceAudioStream(*input);
}

// Every sample, in a format wide enough for any PCM source to pass unchanged.
std::string WideSamples(const std::string& path, int stream) {
  const CommandResult result = RunCommand({"ffmpeg", "-v", "error", "-i", path, "-map", "0:" + std::to_string(stream),
                                           "-c:a", "pcm_f64le", "-f", "f64le", "-"});
  EXPECT_EQ(result.exitCode, 0) << result.errors;
  return result.output;
}

std::string PacketBytes(const std::string& path, int stream) {
  const CommandResult result = RunCommand({"ffmpeg", "-v", "error", "-i", path, "-map", "0:" + std::to_string(stream),
                                           "-c", "copy", "-f", "data", "-"});
  EXPECT_EQ(result.exitCode, 0) << result.errors;
  return result.output;
}

std::optional<double> FirstPacketTime(const std::string& path) {
  const CommandResult result = RunCommand({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                           "packet=pts_time", "-read_intervals", "%+#1", "-of", "csv=p=0", path});
  if (result.exitCode != 0 || result.output.empty()) return std::nullopt;
  return std::stod(result.output);
}

std::string EngineName(bool throughTae) { return throughTae ? "Tae" : "InProcess"; }

}  // namespace

class OriginalCopy : public ::testing::TestWithParam<std::tuple<OriginalCase, bool>> {
 protected:
  static void SetUpTestSuite() {
    InitMediaLibraries();
    // The program folder of this build, where the WMV decoders lie.
    SetProgramFolderOverride(TOLVAR_PROGRAM_FOLDER);
  }
  TempFolder folder_;
};

TEST_P(OriginalCopy, KeepsTheStreamAsItIs) {
  const auto& [sound, throughTae] = GetParam();
  const std::string source = SourcePath(sound.source);
  if (source.empty()) GTEST_SKIP() << "the shared corpus is not here";
  const auto planned = ProbeOriginalSound(source);
  ASSERT_TRUE(planned);
  EXPECT_EQ(planned->extension, sound.extension);

  const std::string output = folder_ / (std::string("out.") + sound.extension);
  const auto outcome = Convert({.source = source, .output = output, .original = true}, throughTae);
  ASSERT_TRUE(outcome && outcome->converted) << (outcome ? outcome->failure : "the source did not open");

  const int stream = ChosenAudioStream(source);
  switch (sound.compare) {
    case Compare::Packets:
    case Compare::AdtsPackets: {
      const std::vector<std::string> filters = sound.compare == Compare::AdtsPackets
                                                   ? std::vector<std::string>{"-bsf:a", "aac_adtstoasc"}
                                                   : std::vector<std::string>{};
      const auto expected = SizesAndHashes(CopiedPackets(source, std::to_string(stream), filters));
      ASSERT_FALSE(expected.empty());
      EXPECT_EQ(SizesAndHashes(CopiedPackets(output, "0")), expected);
      break;
    }
    case Compare::Samples: {
      const std::string expected = WideSamples(source, stream);
      ASSERT_FALSE(expected.empty());
      EXPECT_TRUE(WideSamples(output, 0) == expected) << "the samples differ";
      break;
    }
    case Compare::Bytes: {
      const std::string expected = PacketBytes(source, stream);
      ASSERT_FALSE(expected.empty());
      EXPECT_TRUE(PacketBytes(output, 0) == expected) << "the bytes differ";
      break;
    }
  }

  // The output decodes whole, as long as the source does. The ffmpeg tool
  // decodes only the first AMR frame of the five each MP4 packet holds, so
  // there the source lasts as long as its packets.
  std::optional<double> sourceLasts = DecodedAudioSeconds(source);
  if (sound.compare == Compare::Bytes) {
    const std::vector<CopiedPacket> packets = CopiedPackets(source, std::to_string(stream));
    sourceLasts = packets.back().end - packets.front().start;
  }
  const auto lasts = DecodedAudioSeconds(output);
  ASSERT_TRUE(lasts && sourceLasts) << "the output does not decode";
  EXPECT_NEAR(*lasts, *sourceLasts, 0.05);

  // Ogg counts Vorbis's first samples of delay before 0.
  const auto first = FirstPacketTime(output);
  ASSERT_TRUE(first);
  EXPECT_NEAR(*first, 0, 0.005) << "time stamps start at 0";
}

INSTANTIATE_TEST_SUITE_P(CodecsAndEngines, OriginalCopy,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()), [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + EngineName(std::get<1>(info.param));
                         });

struct ClipCase {
  const char* name;
  const char* fixture;
  double start;
  double end;
};

// Frames of 23 ms (AAC at 44100 Hz), and of 24 ms from a start 1.4 s in
// (MP2 in a transport stream): the clip's edges fall inside frames.
const ClipCase kClipCases[] = {
    {"AacInMp4", "mp4-h264-aac-10s.mp4", 2.5, 5.25},
    {"Mp2StartingLate", "ts-mp2-starting-at-1.4s-6s.ts", 1.01, 3.7},
};

class OriginalClip : public ::testing::TestWithParam<std::tuple<ClipCase, bool>> {
 protected:
  static void SetUpTestSuite() { InitMediaLibraries(); }
  TempFolder folder_;
};

TEST_P(OriginalClip, KeepsExactlyThePacketsThatCoverIt) {
  const auto& [clip, throughTae] = GetParam();
  const std::string source = TestMedia::Path(clip.fixture);
  const auto planned = ProbeOriginalSound(source);
  ASSERT_TRUE(planned);
  const std::string output = folder_ / ("clip." + planned->extension);
  const auto outcome = Convert(
      {.source = source, .output = output, .clip = std::pair{clip.start, clip.end}, .original = true}, throughTae);
  ASSERT_TRUE(outcome && outcome->converted) << (outcome ? outcome->failure : "the source did not open");

  std::vector<std::string> covering;
  for (const CopiedPacket& packet : CopiedPackets(source, std::to_string(ChosenAudioStream(source)))) {
    if (packet.end > clip.start && packet.start < clip.end) covering.push_back(packet.sizeAndHash);
  }
  ASSERT_GT(covering.size(), 10u);
  EXPECT_EQ(SizesAndHashes(CopiedPackets(output, "0")), covering);
  const auto first = FirstPacketTime(output);
  ASSERT_TRUE(first);
  EXPECT_NEAR(*first, 0, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(SourcesAndEngines, OriginalClip,
                         ::testing::Combine(::testing::ValuesIn(kClipCases), ::testing::Bool()), [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + EngineName(std::get<1>(info.param));
                         });

class OriginalRefusal : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() { InitMediaLibraries(); }
  TempFolder folder_;
};

// Nellymoser has a container of its own (FLV) but none that takes an
// extracted track: Matroska refuses it too.
TEST_P(OriginalRefusal, NamesTheCodecThatNoContainerTakes) {
  const std::string source = TestMedia::Path("flv-nellymoser-3s.flv");
  const std::string output = folder_ / "out.mka";
  const auto outcome = Convert({.source = source, .output = output, .original = true}, GetParam());
  ASSERT_TRUE(outcome);
  EXPECT_FALSE(outcome->converted);
  EXPECT_NE(outcome->failure.find("Nellymoser"), std::string::npos) << outcome->failure;
  EXPECT_NE(outcome->failure.find("choose another format"), std::string::npos) << outcome->failure;
  EXPECT_FALSE(std::filesystem::exists(output));
}

INSTANTIATE_TEST_SUITE_P(Engines, OriginalRefusal, ::testing::Bool(),
                         [](const auto& info) { return EngineName(info.param); });

// A file that takes a copy's name but holds nothing that decodes is never
// counted as a copy.
TEST(OriginalReadBack, TellsAFileThatDoesNotDecode) {
  InitMediaLibraries();
  TempFolder folder;
  const std::string copy = folder / "copy.m4a";
  ASSERT_TRUE(Convert({.source = TestMedia::Path("mp4-h264-aac-10s.mp4"), .output = copy, .original = true}, true)
                  ->converted);
  std::ifstream whole(copy, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
  EXPECT_EQ(ReadBackFailure(copy), std::nullopt);

  const struct {
    const char* name;
    std::string bytes;
  } broken[] = {
      {"noise.ac3", std::string(4096, '\x5a')},
      {"cut-short.m4a", bytes.substr(0, 64)},
      {"empty.mka", ""},
  };
  for (const auto& file : broken) {
    SCOPED_TRACE(file.name);
    const std::string path = folder / file.name;
    std::ofstream(path, std::ios::binary) << file.bytes;
    const auto failure = ReadBackFailure(path);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->starts_with("The copied sound in " + path + " cannot be read back")) << *failure;
  }
}
