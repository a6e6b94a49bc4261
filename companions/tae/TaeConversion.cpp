#include "TaeConversion.h"

#include "media/AudioOutput.h"
#include "media/AudioPipeline.h"
#include "media/CMediaTranscoder.h"
#include "media/DecoderLookup.h"
#include "media/FfmpegError.h"
#include "media/LocalFile.h"
#include "media/SourceAudio.h"

#include <memory>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The parent reads at least two lines a second.
constexpr auto kReportInterval = std::chrono::milliseconds(250);
constexpr auto kQuitCheckInterval = std::chrono::milliseconds(20);

}  // namespace

TaeConversion::TaeConversion(const TaeOptions& options, std::FILE* progress)
    : options_(options), progress_(progress) {}

std::optional<std::string> TaeConversion::Run() {
  struct stat existing {};
  const bool outputExists = stat(options_.output.c_str(), &existing) == 0;
  struct stat source {};
  if (outputExists && stat(options_.input.c_str(), &source) == 0 && source.st_dev == existing.st_dev &&
      source.st_ino == existing.st_ino) {
    return "The output " + options_.output + " is the input itself; writing it would destroy the input";
  }
  if (!options_.overwrite && outputExists) {
    return "The output " + options_.output + " exists (-y overwrites it)";
  }

  AVFormatContext* opened = nullptr;
  if (const int result = OpenSourceFile(&opened, options_.input); result < 0) {
    return "Cannot open " + options_.input + ": " + FfmpegErrorText(result);
  }
  std::unique_ptr<AVFormatContext, SourceFileCloser> input(opened);
  if (const int result = avformat_find_stream_info(input.get(), nullptr); result < 0) {
    return "Cannot read the streams of " + options_.input + ": " + FfmpegErrorText(result);
  }
  const int audioStream = ChooseSourceAudioStream(*input, options_.audioTrack);
  if (options_.audioTrack != 0 && audioStream < 0) {
    return TrackRefusal(ListAudioTracks(*input), options_.audioTrack) + " (" + options_.input + ")";
  }
  if (audioStream < 0) return options_.input + " has no audio stream";
  const AVStream& sourceAudio = *input->streams[audioStream];
  const bool original = options_.encoder == "copy";

  AudioOutput output;
  if (const auto failure = output.Create(options_.output); failure != AudioOutput::Failure::None) {
    return output.FailureText(failure);
  }
  const AudioOutput::AudioSettings settings{options_.encoder, options_.bitRate, options_.sampleRate,
                                            options_.channels};
  const auto added = original ? output.AddOriginalStream(sourceAudio) : output.AddAudioStream(settings);
  if (added != AudioOutput::Failure::None) return output.FailureText(added);
  // A copy needs no decoder; a repack of PCM decodes at the source's channels.
  std::unique_ptr<StreamDecoder> decoder;
  if (!output.CopiesPackets()) {
    const int channels = original ? sourceAudio.codecpar->ch_layout.nb_channels : options_.channels;
    decoder = OpenAudioDecoder(sourceAudio, DecoderSource::FfmpegOnly, channels);
    if (!decoder) return "No decoder can open the audio of " + options_.input;
  }
  output.CopyTags(*input, audioStream);
  if (const int written = output.WriteHeader(); written < 0) return output.HeaderFailureText(written);

  AudioPipeline::Options pipelineOptions;
  pipelineOptions.cut = original ? AudioPipeline::ClipCut::CoveringPackets : AudioPipeline::ClipCut::ExactSamples;
  pipelineOptions.clipStart = options_.start;
  pipelineOptions.clipLength = options_.length;
  pipelineOptions.encodeTail = true;
  std::vector<uint8_t> buffer(CMediaTranscoder::kAudioBufferSize);
  AudioPipeline pipeline({input.get(), audioStream, decoder.get(), false}, output, pipelineOptions, buffer.data(),
                         static_cast<int>(buffer.size()));

  double seconds = 0;
  int64_t bytes = 0;
  const auto result = pipeline.Run([this] { return QuitRequested(); },
                                   [&](double reached, int64_t written) {
                                     seconds = reached;
                                     bytes = written;
                                     ReportProgress(seconds, bytes, false);
                                   });
  struct stat written {};
  if (stat(options_.output.c_str(), &written) == 0) bytes = written.st_size;
  ReportProgress(seconds, bytes, true);
  if (!result.converted) return result.failure;
  return std::nullopt;
}

bool TaeConversion::QuitRequested() {
  if (!stdinOpen_) return false;
  const auto now = Clock::now();
  if (now - lastQuitCheck_ < kQuitCheckInterval) return false;
  lastQuitCheck_ = now;
  pollfd input{STDIN_FILENO, POLLIN, 0};
  if (poll(&input, 1, 0) <= 0) return false;
  char keys[64];
  const ssize_t count = read(STDIN_FILENO, keys, sizeof keys);
  if (count <= 0) {
    stdinOpen_ = false;
    return false;
  }
  for (ssize_t i = 0; i < count; ++i) {
    if (keys[i] == 'q' || keys[i] == 'Q') return true;
  }
  return false;
}

void TaeConversion::ReportProgress(double seconds, int64_t bytes, bool final) {
  const auto now = Clock::now();
  if (!final && reportedOnce_ && now - lastReport_ < kReportInterval) return;
  reportedOnce_ = true;
  lastReport_ = now;
  const double kiloBytes = static_cast<double>(bytes) / 1024;
  const double bitRate = seconds > 0 ? static_cast<double>(bytes) * 8 / seconds / 1000 : 0;
  std::fprintf(progress_, "size=%8.0fkB time=%.2f bitrate=%6.1fkbits/s\r", kiloBytes, seconds, bitRate);
  if (final) std::fputc('\n', progress_);
  std::fflush(progress_);
}
