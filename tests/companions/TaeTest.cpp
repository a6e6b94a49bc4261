#include "support/Command.h"
#include "support/Ffprobe.h"
#include "support/NamedPipe.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

const std::string kTae = TOLVAR_TAE_PROGRAM;

CommandResult RunTae(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), kTae);
  return RunCommand(arguments);
}

double FrameSeconds(const std::string& codec, int sampleRate) {
  if (codec == "mp3") return 1152.0 / sampleRate;
  if (codec == "ac3") return 1536.0 / sampleRate;
  return 0.001;
}

}  // namespace

// The three command lines the program builds, with and without a clip. The
// output lasts the asked length to within one encoder frame and carries the
// source's tone.
struct LineCase {
  const char* name;
  std::vector<std::string> options;  // between the input and the output
  const char* extension;
  const char* codec;
  int sampleRate;
  int channels;
  double seconds;  // negative: the source's whole sound
};

class TaeCommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(TaeCommandLine, WritesTheAskedAudio) {
  const LineCase& c = GetParam();
  TempFolder folder;
  const std::string source = TestMedia::Path("mp4-h264-aac-10s.mp4");
  const std::string output = folder / (std::string("out.") + c.extension);
  std::vector<std::string> arguments = {"-i", source};
  arguments.insert(arguments.end(), c.options.begin(), c.options.end());
  arguments.push_back(output);
  const auto result = RunTae(arguments);
  ASSERT_EQ(result.exitCode, 0) << result.errors;

  const auto probed = Ffprobe(output);
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->audioCodec, c.codec);
  EXPECT_EQ(probed->sampleRate, c.sampleRate);
  EXPECT_EQ(probed->channels, c.channels);
  const double expected = c.seconds >= 0 ? c.seconds : *DecodedAudioSeconds(source);
  EXPECT_NEAR(*DecodedAudioSeconds(output), expected, FrameSeconds(c.codec, c.sampleRate));
  EXPECT_NEAR(DominantFrequency(output), 440, 9);
}

INSTANTIATE_TEST_SUITE_P(
    Tae, TaeCommandLine,
    ::testing::Values(
        LineCase{"Mp3WholeSource",
                 {"-y", "-acodec", "libmp3lame", "-ab", "128k", "-ac", "2", "-ar", "44100"}, "mp3", "mp3", 44100, 2, -1},
        LineCase{"Mp3Clip",
                 {"-ss", "2.000000", "-t", "3.500000", "-y", "-acodec", "libmp3lame", "-ab", "32k", "-ac", "1", "-ar",
                  "22050"},
                 "mp3", "mp3", 22050, 1, 3.5},
        LineCase{"WavWholeSource", {"-y", "-vn", "-ab", "128k", "-ac", "2", "-ar", "48000"}, "wav", "pcm_s16le", 48000,
                 2, -1},
        LineCase{"WavClip", {"-ss", "1.250000", "-t", "4.000000", "-y", "-vn", "-ab", "320k", "-ac", "1", "-ar", "32000"},
                 "wav", "pcm_s16le", 32000, 1, 4.0},
        LineCase{"Ac3Clip",
                 {"-ss", "0.500000", "-t", "6.000000", "-y", "-acodec", "ac3", "-ab", "192k", "-ac", "2", "-ar", "48000"},
                 "ac3", "ac3", 48000, 2, 6.0},
        LineCase{"Ac3WholeSource", {"-y", "-acodec", "ac3", "-ab", "96k", "-ac", "1", "-ar", "32000"}, "ac3", "ac3",
                 32000, 1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

// The clip begins at the asked start to the sample: the source is silent
// until 12 s, so a clip from 11.5 s is half a second of silence, then tone.
TEST(Tae, TheClipStartsExactlyAtItsStart) {
  TempFolder folder;
  const auto result = RunTae({"-i", TestMedia::Path("wav-tone-from-12s-to-30s-40s.wav"), "-ss", "11.500000", "-t",
                              "1.000000", "-y", "-vn", "-ab", "128k", "-ac", "1", "-ar", "44100", folder / "edge.wav"});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const auto loudness = LoudnessWindows(folder / "edge.wav", 0.01);
  ASSERT_GE(loudness.size(), 99u);
  EXPECT_LE(loudness.size(), 100u);
  size_t firstLoud = 0;
  while (firstLoud < loudness.size() && loudness[firstLoud] < 0.1) ++firstLoud;
  EXPECT_EQ(firstLoud, 50u);
}

TEST(Tae, ProgressLinesAreTheOnlyTextWithATime) {
  TempFolder folder;
  const auto result = RunTae({"-i", TestMedia::Path("avi-tone-from-12s-to-30s-40s.avi"), "-y", "-acodec", "libmp3lame",
                              "-ab", "128k", "-ac", "2", "-ar", "44100", folder / "out.mp3"});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const std::regex line(R"(size= *[0-9]+kB time=[0-9]+\.[0-9]+ bitrate= *[0-9]+\.[0-9]kbits/s)");
  int lines = 0;
  double lastTime = 0;
  size_t at = 0;
  for (size_t end; (end = result.errors.find('\r', at)) != std::string::npos; at = end + 1) {
    std::string piece = result.errors.substr(at, end - at);
    if (!piece.empty() && piece.front() == '\n') piece.erase(0, 1);
    EXPECT_TRUE(std::regex_match(piece, line)) << "'" << piece << "'";
    lastTime = std::atof(piece.c_str() + piece.find("time=") + 5);
    ++lines;
  }
  EXPECT_GE(lines, 2);
  EXPECT_NEAR(lastTime, 40, 0.1) << "the last line reports the whole output";
  const std::string rest = result.errors.substr(at);
  EXPECT_EQ(rest.find("time="), std::string::npos) << rest;
}

TEST(Tae, QuitEndsEarlyWithAFileThatDecodes) {
  TempFolder folder;
  const std::string output = folder / "quit.mp3";
  ChildProcess tae({kTae, "-i", TestMedia::Path("m4a-aac-stereo-300s.m4a"), "-y", "-acodec", "libmp3lame", "-ab",
                    "128k", "-ac", "2", "-ar", "44100", output});
  ASSERT_TRUE(tae.Started());
  tae.ReadErrorsUntil("time=");
  tae.Write("q\r\n");
  EXPECT_EQ(tae.Wait(), 0);
  const auto decoded = DecodedAudioSeconds(output);
  ASSERT_TRUE(decoded) << "the file was closed properly";
  EXPECT_GT(*decoded, 0);
  EXPECT_LT(*decoded, 290);
}

// Every failure ends the converter with a non-zero status and one line that
// says why.
TEST(Tae, FailuresExitNonZeroWithTheirReason) {
  TempFolder folder;
  const std::string mp4 = TestMedia::Path("mp4-h264-aac-10s.mp4");
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    const char* reason;
  };
  const Case cases[] = {
      {{"-i", folder / "missing.avi", "-y", folder / "a.mp3"}, 1, "Cannot open"},
      {{"-i", TestMedia::Path("mp4-video-only-2s.mp4"), "-y", folder / "b.mp3"}, 1, "has no audio stream"},
      {{"-i", TestMedia::Path("mkv-audio-stream-without-packets-3s.mkv"), "-y", folder / "c.mp3"}, 1,
       "No audio could be decoded"},
      {{"-i", mp4, "-y", "-acodec", "ac3", "-ab", "192k", "-ac", "2", "-ar", "22050", folder / "d.ac3"}, 1,
       "refused the audio parameters"},
      {{"-i", mp4, "-y", folder / "no-such-folder/e.mp3"}, 1, "Cannot create"},
      {{"-i", mp4, "-y", folder / "f.xyz"}, 1, "No audio format"},
      {{"-i", mp4, "-y", "-acodec", "nosuchcodec", folder / "g.mp3"}, 1, "refused the audio parameters"},
      {{"-i", mp4, "-y", "-ab", "fast", folder / "h.mp3"}, 2, "Invalid bit rate"},
      {{"-i", mp4, "-frobnicate", "1", folder / "i.mp3"}, 2, "Unknown option -frobnicate"},
      {{"-i", mp4, "-map", "0:v:0", "-y", folder / "k.mp3"}, 2, "Unsupported stream map 0:v:0"},
      {{"-i", mp4, "-map", "0:a:x", "-y", folder / "l.mp3"}, 2, "Unsupported stream map 0:a:x"},
      {{"-i", mp4, "-map", "0:a:1", "-y", folder / "m.mp3"}, 1,
       "There is no audio track 2; the file's tracks are 1 (aac"},
      {{"-i", TestMedia::Path("ts-mp2-then-empty-audio-stream-3s.ts"), "-map", "0:a:1", "-y", folder / "n.mp3"}, 1,
       "Audio track 2 holds no sound; the file's tracks are 1 (mp2, mono), 2 (no sound)"},
      {{"-i", mp4, "-y"}, 2, "No output file"},
      {{"-y", folder / "j.mp3"}, 2, "No input file"},
  };
  for (const auto& c : cases) {
    const auto result = RunTae(c.arguments);
    SCOPED_TRACE(c.reason);
    EXPECT_EQ(result.exitCode, c.exitCode);
    const auto reasonAt = result.errors.find("tae: ");
    ASSERT_NE(reasonAt, std::string::npos) << result.errors;
    const std::string reason = result.errors.substr(reasonAt, result.errors.find('\n', reasonAt) - reasonAt);
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(reason.find("time="), std::string::npos);
  }
}

TEST(Tae, AnExistingOutputIsKeptWithoutOverwrite) {
  TempFolder folder;
  const std::string output = folder / "kept.mp3";
  { std::ofstream(output) << "precious"; }
  const auto result = RunTae({"-i", TestMedia::Path("mp4-h264-aac-10s.mp4"), output});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(fs::file_size(output), 8u);
}

// Writing its own input would destroy the sound it reads, through a link or
// under the same name alike; it stays as it was.
TEST(Tae, RefusesToWriteOverItsOwnInput) {
  TempFolder folder;
  const std::string talk = folder / "talk.wav";
  fs::copy_file(TestMedia::Path("wav-tone-from-12s-to-30s-40s.wav"), talk);
  fs::create_symlink(talk, folder / "link.wav");
  const std::string before = ReadWholeFile(talk);
  for (const std::string& output : {talk, folder / "link.wav"}) {
    SCOPED_TRACE(output);
    const auto result = RunTae({"-i", talk, "-y", "-vn", "-ab", "128k", "-ac", "1", "-ar", "22050", output});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.errors.find("tae: The output " + output + " is the input itself"), std::string::npos)
        << result.errors;
  }
  EXPECT_EQ(ReadWholeFile(talk), before);
}

TEST(Tae, ASourceWithoutContainerDurationIsConvertedWhole) {
  TempFolder folder;
  const auto result = RunTae({"-i", TestMedia::Path("mkv-no-duration-5s.mkv"), "-y", "-vn", "-ab", "128k", "-ac", "2",
                              "-ar", "44100", folder / "whole.wav"});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  EXPECT_NEAR(*DecodedAudioSeconds(folder / "whole.wav"), 5.0, 0.05);
}

// The converter reads and writes the files it is named, whatever the names
// look like: a named pipe is refused rather than waited on, and names that
// FFmpeg would take for a protocol, relative to the converter's current
// folder, are the local files of those names.
TEST(Tae, ItsInputAndOutputAreTheLocalFilesNamed) {
  TempFolder folder;
  const NamedPipe pipe(folder / "pipe.avi");
  // Killed after a bound, so that a converter waiting on the pipe fails the test.
  const auto piped = RunCommand({"timeout", "-s", "KILL", "60", kTae, "-i", pipe.Path(), "-y", folder / "pipe.mp3"});
  EXPECT_EQ(piped.exitCode, 1);
  EXPECT_NE(piped.errors.find("tae: Cannot open " + pipe.Path() + ": Not a regular file\n"), std::string::npos)
      << piped.errors;

  fs::copy_file(TestMedia::Path("avi-mpeg4-mp3-6s.avi"), folder / "concat:elsewhere.avi");
  fs::create_directory(folder / "pipe:9");
  const auto named = RunCommand(
      {"env", "-C", folder.Path(), kTae, "-i", "concat:elsewhere.avi", "-y", "-vn", "pipe:9/out.wav"});
  ASSERT_EQ(named.exitCode, 0) << named.errors;
  const auto decoded = DecodedAudioSeconds(folder / "pipe:9/out.wav");
  ASSERT_TRUE(decoded);
  EXPECT_NEAR(*decoded, 6.0, 0.1);
}

TEST(Tae, ZiviradDatHoldsTaeWithItsRunBit) {
  const auto listing = RunCommand({"unzip", "-Z", TOLVAR_ZIVIRAD_DAT});
  ASSERT_EQ(listing.exitCode, 0) << listing.errors;
  EXPECT_NE(listing.output.find("-rwxr-xr-x"), std::string::npos) << listing.output;
  EXPECT_NE(listing.output.find(" tae\n"), std::string::npos) << listing.output;
}
