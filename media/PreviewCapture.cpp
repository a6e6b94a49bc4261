#include "PreviewCapture.h"

#include "DecoderLookup.h"
#include "LocalFile.h"
#include "PreviewPictureConverter.h"
#include "SourceVideo.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <memory>

namespace {

// The still's fixed quality, as a quantiser: 2 is the finest, 31 the coarsest.
constexpr int kJpegQuantiser = 5;

struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

int FirstVideoStream(const AVFormatContext& input) {
  for (unsigned i = 0; i < input.nb_streams; ++i) {
    if (IsSourceVideo(*input.streams[i])) return static_cast<int>(i);
  }
  return -1;
}

// A file that receives one JPEG image through the "mjpeg" muxer and the
// encoder it names.
class JpegStillFile {
 public:
  enum class Outcome { NotEncoded, Written, Failed };

  JpegStillFile() = default;
  ~JpegStillFile();
  JpegStillFile(const JpegStillFile&) = delete;
  JpegStillFile& operator=(const JpegStillFile&) = delete;

  // Creates the file and writes its header.
  bool Open(const std::string& path, int width, int height);
  // A picture the encoder turns down leaves the file as it was, so the
  // caller may try the next one; Failed means the file is spoilt.
  Outcome Write(AVFrame& picture);
  // Writes the trailer and closes the file; false when something written
  // did not reach the file.
  bool Close();

 private:
  AVFormatContext* output_ = nullptr;
  AVCodecContext* encoder_ = nullptr;
  AVPacket* packet_ = nullptr;
  bool headerWritten_ = false;
};

JpegStillFile::~JpegStillFile() {
  if (output_) avio_closep(&output_->pb);
  avformat_free_context(output_);
  avcodec_free_context(&encoder_);
  av_packet_free(&packet_);
}

bool JpegStillFile::Open(const std::string& path, int width, int height) {
  const AVOutputFormat* format = av_guess_format("mjpeg", nullptr, nullptr);
  if (!format || avformat_alloc_output_context2(&output_, format, nullptr, path.c_str()) < 0) return false;
  AVStream* stream = avformat_new_stream(output_, nullptr);
  const AVCodec* codec = avcodec_find_encoder(format->video_codec);
  if (!stream || !codec) return false;
  encoder_ = avcodec_alloc_context3(codec);
  packet_ = av_packet_alloc();
  if (!encoder_ || !packet_) return false;

  encoder_->width = width;
  encoder_->height = height;
  encoder_->time_base = AVRational{1, 25};
  encoder_->pix_fmt = PreviewPictureConverter::kPixelFormat;
  encoder_->flags |= AV_CODEC_FLAG_QSCALE;
  encoder_->global_quality = FF_QP2LAMBDA * kJpegQuantiser;
  if (avcodec_open2(encoder_, codec, nullptr) < 0) return false;
  if (avcodec_parameters_from_context(stream->codecpar, encoder_) < 0) return false;
  stream->time_base = encoder_->time_base;

  if (OpenOutputFile(*output_, path) < 0) return false;
  headerWritten_ = avformat_write_header(output_, nullptr) >= 0;
  return headerWritten_;
}

// Straight to the muxer, without interleaving: there is only this packet.
JpegStillFile::Outcome JpegStillFile::Write(AVFrame& picture) {
  picture.quality = encoder_->global_quality;
  picture.pts = 0;
  picture.pict_type = AV_PICTURE_TYPE_NONE;
  if (avcodec_send_frame(encoder_, &picture) < 0 || avcodec_receive_packet(encoder_, packet_) < 0) {
    return Outcome::NotEncoded;
  }
  packet_->stream_index = 0;
  av_packet_rescale_ts(packet_, encoder_->time_base, output_->streams[0]->time_base);
  const int written = av_write_frame(output_, packet_);
  av_packet_unref(packet_);
  return written < 0 ? Outcome::Failed : Outcome::Written;
}

bool JpegStillFile::Close() {
  bool complete = headerWritten_ && av_write_trailer(output_) >= 0;
  headerWritten_ = false;
  if (output_->pb && avio_closep(&output_->pb) < 0) complete = false;
  return complete;
}

}  // namespace

int CapturePreviewFrame(const std::string& sourcePath, int frameOrdinal, const std::string& outputPath, int width,
                        int height) {
  if (width <= 0 || height <= 0) return -1;

  AVFormatContext* opened = nullptr;
  if (OpenSourceFile(&opened, sourcePath) < 0) return -1;
  const std::unique_ptr<AVFormatContext, SourceFileCloser> input(opened);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return -1;
  const int videoIndex = FirstVideoStream(*input);
  if (videoIndex < 0) return -1;
  const std::unique_ptr<StreamDecoder> decoder =
      OpenStreamDecoder(*input->streams[videoIndex], DecoderSource::Registered);
  if (!decoder) return -1;

  PreviewPictureConverter converter(width, height);
  JpegStillFile output;
  const std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
  if (!packet || !output.Open(outputPath, width, height)) return -1;

  using Outcome = JpegStillFile::Outcome;
  int videoPackets = 0;
  Outcome outcome = Outcome::NotEncoded;
  const StreamDecoder::FrameSink takePicture = [&](const AVFrame& picture) {
    if (outcome != Outcome::NotEncoded || videoPackets < frameOrdinal) return;
    if (AVFrame* ready = converter.Convert(picture)) outcome = output.Write(*ready);
  };
  while (outcome == Outcome::NotEncoded && av_read_frame(input.get(), packet.get()) >= 0) {
    if (packet->stream_index == videoIndex) {
      ++videoPackets;
      // A packet the decoder refuses, or one after which it holds no picture
      // yet, is no reason to stop: a later one may still give a picture.
      decoder->Decode(packet.get(), takePicture);
    }
    av_packet_unref(packet.get());
  }
  // Pictures held back by decoder delay come out only when it is drained.
  if (outcome == Outcome::NotEncoded && videoPackets >= frameOrdinal) decoder->Decode(nullptr, takePicture);

  const bool closed = output.Close();
  return outcome == Outcome::Written && closed ? 0 : -1;
}
