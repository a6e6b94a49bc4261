#pragma once

#include <cstdint>
#include <optional>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// One audio output file: its muxer, the file itself and the audio encoder,
// or, for a stream copied as it is, no encoder. Opened in two steps, so that
// a caller can speak up between creating the file and choosing the encoder.
// Whatever step fails, the object can be destroyed; a file that never got its
// header is removed again.
class AudioOutput {
 public:
  enum class Failure {
    None,
    NoExtension,      // the path has no dot
    NoMuxer,          // no muxer for the extension
    NoMemory,         // the output context could not be allocated
    CannotCreate,     // the file could not be created
    EncoderRefused,   // no encoder, or it refused the parameters
  };

  struct AudioSettings {
    std::string encoderName;  // empty: the muxer's default audio codec
    int bitRate = 128000;     // bits per second
    int sampleRate = 44100;   // Opus always gets 48000
    int channels = 2;
  };

  AudioOutput() = default;
  ~AudioOutput();
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // Whether the encoder an output of that extension ("mp3") would get opens
  // with these settings, without any file: nullopt when it does, else why
  // not in the encoder's words. Settings that no source can change (a
  // sample rate the format does not have) are refused so before a batch.
  static std::optional<std::string> EncoderRefusal(const std::string& extension, const AudioSettings& settings);

  // Picks the muxer by the path's extension and creates the file.
  Failure Create(const std::string& path);
  // Adds the audio stream and opens its encoder.
  Failure AddAudioStream(const AudioSettings& settings);
  // Adds an audio stream that takes the packets of `source` as they are,
  // instead of an encoder.
  Failure AddCopiedStream(const AVStream& source);
  // The Original format: AddCopiedStream, or for PCM that the output's WAV
  // cannot take as it is, an encoder of little-endian PCM at the source's
  // own rate and channels (see OriginalSound).
  Failure AddOriginalStream(const AVStream& source);

  // Carries the source's title, artist, album, album artist, date, genre,
  // comment and track number, and the language of its stream `audioStream`,
  // into the output's tags; nothing else. Before WriteHeader. Formats
  // without tags (raw AC-3) write none.
  void CopyTags(const AVFormatContext& source, int audioStream);

  // 0 or a negative AVERROR.
  int WriteHeader();
  // Why WriteHeader failed with `error`, in words for the user: a copied
  // codec the container does not take is named.
  std::string HeaderFailureText(int error) const;
  // Encodes one frame in the encoder's format (null drains the encoder) and
  // writes every packet that comes out. 0 or a negative AVERROR.
  int Encode(const AVFrame* frame);
  // Writes one packet of the copied stream, its time stamps in `timeBase`;
  // a time stamp that does not rise is moved on by one tick. 0 or a negative
  // AVERROR.
  int WriteCopiedPacket(AVPacket& packet, AVRational timeBase);
  // Writes the trailer and closes the file, which is removed when it holds
  // no sound; 0 or the first error met.
  int Finish();

  // Whether the stream was added by AddCopiedStream: then there is no Encoder.
  bool CopiesPackets() const { return stream_ && !encoder_; }
  const AVCodecContext& Encoder() const { return *encoder_; }
  // Whether the encoder takes a last frame shorter than its frame size.
  bool TakesShortLastFrame() const;
  int64_t PacketsWritten() const { return packetsWritten_; }
  // Bytes written to the file so far.
  int64_t BytesWritten() const;
  // A failure of Create or AddAudioStream in words for the user, naming the
  // path that Create was given.
  std::string FailureText(Failure failure) const;
  // The first error met writing a packet to the file, 0 while there was
  // none: a full disk shows as an encoding error otherwise.
  int WriteError() const { return writeError_; }
  const std::string& Path() const { return path_; }

 private:
  int WritePendingPackets();
  int WritePacket(AVPacket& packet);
  void Close();

  std::string path_;
  AVFormatContext* muxer_ = nullptr;
  AVCodecContext* encoder_ = nullptr;
  AVStream* stream_ = nullptr;
  AVPacket* packet_ = nullptr;
  bool headerWritten_ = false;
  bool finished_ = false;
  int64_t packetsWritten_ = 0;
  int64_t lastCopiedDts_ = AV_NOPTS_VALUE;
  int writeError_ = 0;
  std::string failureDetail_;
};
