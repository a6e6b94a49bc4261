#include "cli/ExtractCommandLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Arguments = std::vector<std::string>;

}  // namespace

TEST(ExtractCommandLineTest, ReadsEveryOptionInEveryForm) {
  struct Case {
    const char* name;
    Arguments arguments;
    ExtractOptions expected;
  };
  const auto options = [](auto set) {
    ExtractOptions expected;
    set(expected);
    return expected;
  };
  const Case cases[] = {
      {"only files, in their order", {"b.avi", "a.avi"}, options([](auto& o) {
         o.files = {"b.avi", "a.avi"};
       })},
      {"short options with separate values",
       {"-f", "wav", "-b", "320", "-r", "22050", "-c", "1", "-o", "out", "-s", "1.5", "-e", "20", "clip.avi"},
       options([](auto& o) {
         o.formatCode = 2;
         o.bitRateIndex = 12;
         o.sampleRateIndex = 3;
         o.channelIndex = 0;
         o.outputFolder = "out";
         o.clipStart = 1.5;
         o.clipEnd = 20;
         o.files = {"clip.avi"};
       })},
      {"short options with joined values",
       {"-fac3", "-b32", "-r44100", "-c2", "-o/tmp/x", "clip.avi"},
       options([](auto& o) {
         o.formatCode = 3;
         o.bitRateIndex = 0;
         o.sampleRateIndex = 1;
         o.channelIndex = 1;
         o.outputFolder = "/tmp/x";
         o.files = {"clip.avi"};
       })},
      {"long options with '=' and with separate values",
       {"--format=mp3", "--bitrate", "128", "--sample-rate=32000", "--channels", "2", "--output=o", "--start=.5",
        "--end", "7.", "--enhanced", "--quiet", "clip.avi"},
       options([](auto& o) {
         o.formatCode = 1;
         o.bitRateIndex = 8;
         o.sampleRateIndex = 2;
         o.channelIndex = 1;
         o.outputFolder = "o";
         o.clipStart = 0.5;
         o.clipEnd = 7;
         o.enhancedEngine = true;
         o.quiet = true;
         o.files = {"clip.avi"};
       })},
      {"grouped flags, and a value after them", {"-qEfwav", "clip.avi"}, options([](auto& o) {
         o.quiet = true;
         o.enhancedEngine = true;
         o.formatCode = 2;
         o.files = {"clip.avi"};
       })},
      {"the format in capitals", {"-f", "WAV", "clip.avi"}, options([](auto& o) {
         o.formatCode = 2;
         o.files = {"clip.avi"};
       })},
      {"options after files; the later one wins",
       {"a.avi", "-f", "wav", "b.avi", "--format", "ac3"},
       options([](auto& o) {
         o.formatCode = 3;
         o.files = {"a.avi", "b.avi"};
       })},
      {"after -- everything is a file", {"-q", "--", "-f", "--help", "-"}, options([](auto& o) {
         o.quiet = true;
         o.files = {"-f", "--help", "-"};
       })},
      {"a lone - is a file", {"-"}, options([](auto& o) { o.files = {"-"}; })},
      {"a track number", {"--track", "2", "a.mkv"}, options([](auto& o) {
         o.audioTrack = 2;
         o.files = {"a.mkv"};
       })},
      {"languages in any ISO 639 form", {"--language=fr,DEU,en-GB", "a.mkv"}, options([](auto& o) {
         o.languages = {"fr", "DEU", "en-GB"};
         o.files = {"a.mkv"};
       })},
      {"every track, and the listing", {"--all-tracks", "--list-tracks", "a.mkv"}, options([](auto& o) {
         o.allTracks = true;
         o.listTracks = true;
         o.files = {"a.mkv"};
       })},
      {"jobs with a separate value", {"-j", "1", "a.avi"}, options([](auto& o) {
         o.jobs = 1;
         o.files = {"a.avi"};
       })},
      {"jobs joined after a flag", {"-qj12", "a.avi"}, options([](auto& o) {
         o.quiet = true;
         o.jobs = 12;
         o.files = {"a.avi"};
       })},
      {"jobs with '=', a leading zero still decimal", {"--jobs=010", "a.avi"}, options([](auto& o) {
         o.jobs = 10;
         o.files = {"a.avi"};
       })},
      {"a file list alone: no FILE needed", {"--files-from", "list.txt"}, options([](auto& o) {
         o.filesFrom = "list.txt";
       })},
      {"a NUL list on standard input, beside files", {"a.avi", "--files-from=-", "-0", "b.avi"},
       options([](auto& o) {
         o.filesFrom = "-";
         o.nulSeparated = true;
         o.files = {"a.avi", "b.avi"};
       })},
      {"--null grouped and long", {"-q0", "--null", "--files-from", "-"}, options([](auto& o) {
         o.quiet = true;
         o.nulSeparated = true;
         o.filesFrom = "-";
       })},
      {"the listing from a file list", {"--list-tracks", "--files-from", "films.txt"}, options([](auto& o) {
         o.listTracks = true;
         o.filesFrom = "films.txt";
       })},
  };
  for (const auto& [name, arguments, expected] : cases) {
    SCOPED_TRACE(name);
    const ParsedCommandLine parsed = ParseExtractCommandLine(arguments);
    ASSERT_EQ(parsed.request, CommandLineRequest::Extract) << parsed.usageError;
    const ExtractOptions& actual = parsed.options;
    EXPECT_EQ(actual.formatCode, expected.formatCode);
    EXPECT_EQ(actual.bitRateIndex, expected.bitRateIndex);
    EXPECT_EQ(actual.sampleRateIndex, expected.sampleRateIndex);
    EXPECT_EQ(actual.channelIndex, expected.channelIndex);
    EXPECT_EQ(actual.outputFolder, expected.outputFolder);
    EXPECT_EQ(actual.clipStart, expected.clipStart);
    EXPECT_EQ(actual.clipEnd, expected.clipEnd);
    EXPECT_EQ(actual.enhancedEngine, expected.enhancedEngine);
    EXPECT_EQ(actual.quiet, expected.quiet);
    EXPECT_EQ(actual.audioTrack, expected.audioTrack);
    EXPECT_EQ(actual.languages, expected.languages);
    EXPECT_EQ(actual.allTracks, expected.allTracks);
    EXPECT_EQ(actual.listTracks, expected.listTracks);
    EXPECT_EQ(actual.jobs, expected.jobs);
    EXPECT_EQ(actual.files, expected.files);
    EXPECT_EQ(actual.filesFrom, expected.filesFrom);
    EXPECT_EQ(actual.nulSeparated, expected.nulSeparated);
  }
}

TEST(ExtractCommandLineTest, HelpAndVersionWinOverWhatFollows) {
  const struct {
    Arguments arguments;
    CommandLineRequest expected;
  } cases[] = {
      {{"--help"}, CommandLineRequest::Help},
      {{"-h", "--bogus"}, CommandLineRequest::Help},
      {{"-qh"}, CommandLineRequest::Help},
      {{"--version"}, CommandLineRequest::Version},
      {{"--bogus", "--help"}, CommandLineRequest::UsageError},
  };
  for (const auto& [arguments, expected] : cases) {
    SCOPED_TRACE(arguments.front());
    EXPECT_EQ(ParseExtractCommandLine(arguments).request, expected);
  }
}

// Every usage error names the option and what it accepts.
TEST(ExtractCommandLineTest, UsageErrorsNameTheOptionAndItsValues) {
  const std::string bitRates = "one of 32 40 48 56 64 80 96 112 128 192 224 256 320";
  const std::string seconds = "seconds, such as 90 or 12.5";
  const std::string jobs = "a number of files from 1, such as 4";
  const std::string list = "a file that lists files, or - for standard input";
  const struct {
    Arguments arguments;
    std::string expected;
  } cases[] = {
      {{"-f", "ogg", "a.avi"}, "-f/--format takes one of mp3 wav ac3 m4a flac opus original, not 'ogg'"},
      {{"--format=", "a.avi"}, "-f/--format takes one of mp3 wav ac3 m4a flac opus original, not ''"},
      {{"-b", "100", "a.avi"}, "-b/--bitrate takes " + bitRates + ", not '100'"},
      {{"--bitrate=128k", "a.avi"}, "-b/--bitrate takes " + bitRates + ", not '128k'"},
      {{"-r", "8000", "a.avi"}, "-r/--sample-rate takes one of 48000 44100 32000 22050, not '8000'"},
      {{"--channels=3", "a.avi"}, "-c/--channels takes one of 1 2, not '3'"},
      {{"-c", "stereo", "a.avi"}, "-c/--channels takes one of 1 2, not 'stereo'"},
      {{"-o", "", "a.avi"}, "-o/--output takes a folder, not ''"},
      {{"-s", "-1", "a.avi"}, "-s/--start takes " + seconds + ", not '-1'"},
      {{"-s", "1,5", "a.avi"}, "-s/--start takes " + seconds + ", not '1,5'"},
      {{"-e", "1e3", "a.avi"}, "-e/--end takes " + seconds + ", not '1e3'"},
      {{"-e", ".", "a.avi"}, "-e/--end takes " + seconds + ", not '.'"},
      {{"--end=1.2.3", "a.avi"}, "-e/--end takes " + seconds + ", not '1.2.3'"},
      {{"a.avi", "-f"}, "-f/--format needs a value: one of mp3 wav ac3 m4a flac opus original"},
      {{"a.avi", "--sample-rate"}, "-r/--sample-rate needs a value: one of 48000 44100 32000 22050"},
      {{"--quiet=yes", "a.avi"}, "-q/--quiet takes no value"},
      {{"--frobnicate", "a.avi"}, "unknown option '--frobnicate'"},
      {{"-qx", "a.avi"}, "unknown option '-x'"},
      {{"-s", "10", "-e", "5", "a.avi"}, "-e/--end must come after -s/--start"},
      {{"-s", "5", "-e", "5", "a.avi"}, "-e/--end must come after -s/--start"},
      {{"--track", "0", "a.mkv"}, "--track takes a track number from 1 (see --list-tracks), not '0'"},
      {{"--track=2x", "a.mkv"}, "--track takes a track number from 1 (see --list-tracks), not '2x'"},
      {{"--track", "-1", "a.mkv"}, "--track takes a track number from 1 (see --list-tracks), not '-1'"},
      {{"--language", "und", "a.mkv"}, "--language takes ISO 639 language codes such as eng or fr,de, not 'und'"},
      {{"--language=fr,", "a.mkv"}, "--language takes ISO 639 language codes such as eng or fr,de, not 'fr,'"},
      {{"--language=french", "a.mkv"},
       "--language takes ISO 639 language codes such as eng or fr,de, not 'french'"},
      {{"--track", "1", "--all-tracks", "a.mkv"},
       "--track, --language and --all-tracks each choose the track: give one"},
      {{"--language", "en", "--track", "1", "a.mkv"},
       "--track, --language and --all-tracks each choose the track: give one"},
      {{"-j", "0", "a.avi"}, "-j/--jobs takes " + jobs + ", not '0'"},
      {{"--jobs=-2", "a.avi"}, "-j/--jobs takes " + jobs + ", not '-2'"},
      {{"-j", "+4", "a.avi"}, "-j/--jobs takes " + jobs + ", not '+4'"},
      {{"-j", " 4", "a.avi"}, "-j/--jobs takes " + jobs + ", not ' 4'"},
      {{"-j", "2.5", "a.avi"}, "-j/--jobs takes " + jobs + ", not '2.5'"},
      {{"-jfour", "a.avi"}, "-j/--jobs takes " + jobs + ", not 'four'"},
      {{"-j", "0x10", "a.avi"}, "-j/--jobs takes " + jobs + ", not '0x10'"},
      {{"--jobs=", "a.avi"}, "-j/--jobs takes " + jobs + ", not ''"},
      {{"--jobs", "2147483648", "a.avi"}, "-j/--jobs takes " + jobs + ", not '2147483648'"},
      {{"a.avi", "--jobs"}, "-j/--jobs needs a value: " + jobs},
      {{"--files-from="}, "--files-from takes " + list + ", not ''"},
      {{"a.avi", "--files-from"}, "--files-from needs a value: " + list},
      {{"-0", "a.avi"}, "-0/--null needs --files-from"},
      {{"--null"}, "-0/--null needs --files-from"},
      {{"--list-tracks"}, "no FILE given"},
      {{"-f", "wav"}, "no FILE given"},
      {{}, "no FILE given"},
  };
  for (const auto& [arguments, expected] : cases) {
    SCOPED_TRACE(expected);
    const ParsedCommandLine parsed = ParseExtractCommandLine(arguments);
    EXPECT_EQ(parsed.request, CommandLineRequest::UsageError);
    EXPECT_EQ(parsed.usageError, expected);
  }
}
