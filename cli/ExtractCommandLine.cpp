#include "ExtractCommandLine.h"

#include "convert/Settings.h"
#include "media/Language.h"
#include "platform/AsciiText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <functional>
#include <optional>

namespace {

struct OptionRule {
  char shortName;  // '\0' when there is only the long name
  const char* longName;
  std::string values;  // what its value may be, as the messages say it; empty for a flag
  // Takes the value (a flag gets none); false when the value is not allowed.
  std::function<bool(const std::string& value, ParsedCommandLine& parsed)> apply;
};

// The entries with a blank between each two.
template <typename Entries>
std::string Listed(const Entries& entries) {
  std::string text;
  for (const char* entry : entries) text += (text.empty() ? "" : " ") + std::string(entry);
  return text;
}

template <typename Entries>
std::string OneOf(const Entries& entries) {
  return "one of " + Listed(entries);
}

template <typename Entries>
std::optional<int> IndexOf(const Entries& entries, const std::string& value) {
  const auto found = std::find_if(entries.begin(), entries.end(), [&](const char* entry) { return value == entry; });
  if (found == entries.end()) return std::nullopt;
  return static_cast<int>(found - entries.begin());
}

// Plain decimal seconds ("90", "12.5", ".5"): no sign, exponent or comma, so
// that a slip of the keyboard is never read as some other number.
std::optional<double> Seconds(const std::string& value) {
  const bool plainDecimal = value.find_first_not_of("0123456789.") == std::string::npos &&
                            std::count(value.begin(), value.end(), '.') <= 1 &&
                            value.find_first_of("0123456789") != std::string::npos;
  if (!plainDecimal) return std::nullopt;
  double seconds = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (error != std::errc() || end != value.data() + value.size() || !std::isfinite(seconds)) return std::nullopt;
  return seconds;
}

constexpr std::array kChannelCounts{"1", "2"};             // in kChannelEntries order

// An option whose value is one of `entries`, in any case: the field gets
// `first` plus the value's index.
template <typename Entries>
OptionRule ListRule(char shortName, const char* longName, const Entries& entries,
                    std::optional<int> ExtractOptions::*field, int first = 0) {
  return {shortName, longName, OneOf(entries), [=](const std::string& value, ParsedCommandLine& parsed) {
            const auto index = IndexOf(entries, ToLowerAscii(value));
            if (index) parsed.options.*field = first + *index;
            return index.has_value();
          }};
}

// A whole number from 1 on, in plain digits: no sign, blank or exponent, and
// none too large for an int.
std::optional<int> NumberFromOne(const std::string& value) {
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || number < 1) return std::nullopt;
  return number;
}

OptionRule NumberRule(char shortName, const char* longName, const char* values,
                      std::optional<int> ExtractOptions::*field) {
  return {shortName, longName, values, [=](const std::string& value, ParsedCommandLine& parsed) {
            parsed.options.*field = NumberFromOne(value);
            return (parsed.options.*field).has_value();
          }};
}

OptionRule SecondsRule(char shortName, const char* longName, std::optional<double> ExtractOptions::*field) {
  return {shortName, longName, "seconds, such as 90 or 12.5", [=](const std::string& value, ParsedCommandLine& parsed) {
            parsed.options.*field = Seconds(value);
            return (parsed.options.*field).has_value();
          }};
}

OptionRule FlagRule(char shortName, const char* longName, bool ExtractOptions::*field) {
  return {shortName, longName, "", [=](const std::string&, ParsedCommandLine& parsed) {
            parsed.options.*field = true;
            return true;
          }};
}

OptionRule RequestRule(char shortName, const char* longName, CommandLineRequest request) {
  return {shortName, longName, "", [=](const std::string&, ParsedCommandLine& parsed) {
            parsed.request = request;
            return true;
          }};
}

// "eng" or "fr,de": each a language code that FindLanguage knows.
std::optional<std::vector<std::string>> LanguageList(const std::string& value) {
  std::vector<std::string> codes;
  size_t start = 0;
  while (start <= value.size()) {
    const size_t comma = std::min(value.find(',', start), value.size());
    std::string code = value.substr(start, comma - start);
    if (!FindLanguage(code)) return std::nullopt;
    codes.push_back(std::move(code));
    start = comma + 1;
  }
  return codes;
}

const std::vector<OptionRule>& Rules() {
  static const std::vector<OptionRule> rules = {
      ListRule('f', "format", kFormatNames, &ExtractOptions::formatCode, kFormatMp3),
      ListRule('b', "bitrate", kBitRateEntries, &ExtractOptions::bitRateIndex),
      ListRule('r', "sample-rate", kSampleRateEntries, &ExtractOptions::sampleRateIndex),
      ListRule('c', "channels", kChannelCounts, &ExtractOptions::channelIndex),
      {'o', "output", "a folder",
       [](const std::string& value, ParsedCommandLine& parsed) {
         if (!value.empty()) parsed.options.outputFolder = value;
         return !value.empty();
       }},
      SecondsRule('s', "start", &ExtractOptions::clipStart),
      SecondsRule('e', "end", &ExtractOptions::clipEnd),
      NumberRule('\0', "track", "a track number from 1 (see --list-tracks)", &ExtractOptions::audioTrack),
      {'\0', "language", "ISO 639 language codes such as eng or fr,de",
       [](const std::string& value, ParsedCommandLine& parsed) {
         const auto codes = LanguageList(value);
         if (codes) parsed.options.languages = *codes;
         return codes.has_value();
       }},
      FlagRule('\0', "all-tracks", &ExtractOptions::allTracks),
      FlagRule('\0', "list-tracks", &ExtractOptions::listTracks),
      {'\0', "files-from", "a file that lists files, or - for standard input",
       [](const std::string& value, ParsedCommandLine& parsed) {
         if (!value.empty()) parsed.options.filesFrom = value;
         return !value.empty();
       }},
      FlagRule('0', "null", &ExtractOptions::nulSeparated),
      NumberRule('j', "jobs", "a number of files from 1, such as 4", &ExtractOptions::jobs),
      FlagRule('E', "enhanced", &ExtractOptions::enhancedEngine),
      FlagRule('q', "quiet", &ExtractOptions::quiet),
      RequestRule('h', "help", CommandLineRequest::Help),
      RequestRule('\0', "version", CommandLineRequest::Version),
  };
  return rules;
}

std::string NameOf(const OptionRule& rule) {
  const std::string longName = "--" + std::string(rule.longName);
  return rule.shortName ? "-" + std::string(1, rule.shortName) + "/" + longName : longName;
}

// Options and files in any order, as getopt_long with permutation reads them.
class Parser {
 public:
  explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  ParsedCommandLine Parse() {
    bool optionsEnded = false;
    while (next_ < arguments_.size() && Going()) {
      const std::string& argument = arguments_[next_++];
      if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
        parsed_.options.files.push_back(argument);
      } else if (argument == "--") {
        optionsEnded = true;
      } else if (argument.starts_with("--")) {
        LongOption(argument);
      } else {
        ShortOptions(argument);
      }
    }
    if (Going()) CheckTheWhole();
    return parsed_;
  }

 private:
  bool Going() const { return parsed_.request == CommandLineRequest::Extract; }

  void LongOption(const std::string& argument) {
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const auto rule = std::find_if(Rules().begin(), Rules().end(),
                                   [&](const OptionRule& candidate) { return name == candidate.longName; });
    if (rule == Rules().end()) return Fail("unknown option '--" + name + "'");
    if (equals == std::string::npos) return Take(*rule);
    if (rule->values.empty()) return Fail(NameOf(*rule) + " takes no value");
    Apply(*rule, argument.substr(equals + 1));
  }

  void ShortOptions(const std::string& argument) {
    for (size_t i = 1; i < argument.size() && Going(); ++i) {
      const auto rule = std::find_if(Rules().begin(), Rules().end(), [&](const OptionRule& candidate) {
        return candidate.shortName != '\0' && candidate.shortName == argument[i];
      });
      if (rule == Rules().end()) return Fail("unknown option '-" + std::string(1, argument[i]) + "'");
      if (rule->values.empty()) {
        Apply(*rule, {});
      } else {
        // The rest of the argument is the value, else the next argument.
        if (i + 1 < argument.size()) return Apply(*rule, argument.substr(i + 1));
        return Take(*rule);
      }
    }
  }

  // The option's value from the next argument, or a flag.
  void Take(const OptionRule& rule) {
    if (rule.values.empty()) return Apply(rule, {});
    if (next_ >= arguments_.size()) return Fail(NameOf(rule) + " needs a value: " + rule.values);
    Apply(rule, arguments_[next_++]);
  }

  void Apply(const OptionRule& rule, const std::string& value) {
    if (!rule.apply(value, parsed_)) Fail(NameOf(rule) + " takes " + rule.values + ", not '" + value + "'");
  }

  void CheckTheWhole() {
    const ExtractOptions& options = parsed_.options;
    if (options.clipStart && options.clipEnd && *options.clipStart >= *options.clipEnd) {
      return Fail("-e/--end must come after -s/--start");
    }
    const int trackChoices = options.audioTrack.has_value() + !options.languages.empty() + options.allTracks;
    if (trackChoices > 1) return Fail("--track, --language and --all-tracks each choose the track: give one");
    if (options.nulSeparated && !options.filesFrom) return Fail("-0/--null needs --files-from");
    // The list may name none: then there is nothing to do, which is no mistake.
    if (options.files.empty() && !options.filesFrom) Fail("no FILE given");
  }

  void Fail(const std::string& error) {
    parsed_.request = CommandLineRequest::UsageError;
    parsed_.usageError = error;
  }

  const std::vector<std::string>& arguments_;
  size_t next_ = 0;
  ParsedCommandLine parsed_;
};

}  // namespace

ParsedCommandLine ParseExtractCommandLine(const std::vector<std::string>& arguments) {
  return Parser(arguments).Parse();
}

std::string ExtractUsageText() {
  return "Usage: tolvar-extract [OPTIONS] FILE...\n"
         "  or:  tolvar-extract [OPTIONS] --files-from LIST [FILE...]\n"
         "Extracts the sound track of each video FILE into an audio file, as the\n"
         "Tolvar Audio Extractor window does; settings left out come from its option.ini.\n"
         "\n"
         "  -f, --format mp3|wav|ac3|m4a|flac|opus|original\n"
         "                                 output format: m4a is AAC, flac lossless\n"
         "                                 (no bit rate), opus always 48000 Hz;\n"
         "                                 original copies the sound as it is, in the\n"
         "                                 file type of its codec (no -b, -r, -c), and\n"
         "                                 cuts a clip to whole codec frames: it keeps\n"
         "                                 every frame that overlaps -s..-e, so it may\n"
         "                                 start and end tens of milliseconds wider\n"
         "  -b, --bitrate KBPS             " + Listed(kBitRateEntries) + "\n"
         "  -r, --sample-rate HZ           " + Listed(kSampleRateEntries) + "\n"
         "  -c, --channels 1|2\n"
         "  -o, --output DIR               output folder (created, one level)\n"
         "  -s, --start SECONDS            clip start for every file (decimal)\n"
         "  -e, --end SECONDS              clip end for every file (decimal)\n"
         "      --track N                  audio track N of each file, numbered from 1\n"
         "                                 (a file without it fails)\n"
         "      --language CODE[,CODE...]  the track in the first listed language a file\n"
         "                                 has (ISO 639 codes: en, eng; fr, fre, fra),\n"
         "                                 else the file's default track; of two in one\n"
         "                                 language, the one marked as default, else\n"
         "                                 the first\n"
         "      --all-tracks               one output per track with sound, named\n"
         "                                 \"title (eng).mp3\", or \"title (track 2).mp3\"\n"
         "                                 for a track without a language\n"
         "      --list-tracks              convert nothing: print each FILE's tracks\n"
         "      --files-from LIST          also the files LIST names, one a line, after\n"
         "                                 those given as FILE (- reads standard input);\n"
         "                                 each line is a name as it stands, blanks and\n"
         "                                 carriage return included; empty ones are\n"
         "                                 skipped\n"
         "  -0, --null                     LIST's names each end with a NUL byte, not a\n"
         "                                 newline (as find -print0 writes them)\n"
         "  -j, --jobs N                   convert N files at once (by default as many\n"
         "                                 as the processors allow, at most one per\n"
         "                                 file); 1 converts one after another\n"
         "  -E, --enhanced                 every file through the tae converter\n"
         "  -q, --quiet                    no progress output\n"
         "  -h, --help\n"
         "      --version\n"
         "\n"
         "Without a track option, each file gives the last of its tracks with sound.\n"
         "\n"
         "When the run ends, standard output gets one line per FILE, in the order given\n"
         "whatever -j (LIST's files after the others; with --all-tracks, one per output):\n"
         "  ok<TAB>FILE<TAB>OUTPUT   or   failed<TAB>FILE<TAB>REASON\n"
         "with tab, newline, carriage return and backslash written as \\t \\n \\r \\\\.\n"
         "--list-tracks prints one line per track instead, escaped alike:\n"
         "  FILE<TAB>N<TAB>LANGUAGE<TAB>CODEC<TAB>CHANNELS<TAB>RATE<TAB>default|-<TAB>TITLE\n"
         "with - for what the file does not tell, and a failed line for a file it cannot read.\n"
         "Progress and messages go to standard error.\n"
         "\n"
         "Exit status: 0 when every file was converted, 1 when any was refused or\n"
         "failed, 2 for a usage error or a LIST that cannot be read, 128 + the\n"
         "signal's number when stopped by Ctrl+C (130), SIGTERM or SIGHUP.\n";
}
