#include "WmvDecoderMediaObject.h"

#include "platform/com/VideoInfoHeader.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace {

// A caller that keeps feeding packets without taking pictures is refused
// beyond this many, so that memory stays bounded.
constexpr size_t kMaxPendingPictures = 16;

const char* FfmpegDecoderFor(const GUID& subtype) {
  if (subtype == MEDIASUBTYPE_WMV1) return "wmv1";
  if (subtype == MEDIASUBTYPE_WMV2) return "wmv2";
  if (subtype == MEDIASUBTYPE_WMV3) return "wmv3";
  if (subtype == MEDIASUBTYPE_WVC1) return "vc1";
  return nullptr;
}

// The header of a video-info format block, or false when the block is not one.
bool ReadVideoInfo(const DMO_MEDIA_TYPE& type, VIDEOINFOHEADER* header) {
  if (!(type.majortype == MEDIATYPE_Video) || !(type.formattype == FORMAT_VideoInfo) || !type.pbFormat ||
      type.cbFormat < sizeof(VIDEOINFOHEADER)) {
    return false;
  }
  std::memcpy(header, type.pbFormat, sizeof *header);
  return true;
}

// The picture size of a bitmap header, or false for none FFmpeg could hold.
bool ReadPictureSize(const BITMAPINFOHEADER& bitmap, int* width, int* height) {
  const int64_t rows = std::llabs(static_cast<int64_t>(bitmap.biHeight));
  if (bitmap.biWidth <= 0 || rows == 0 || rows > INT_MAX) return false;
  if (av_image_check_size(bitmap.biWidth, static_cast<unsigned>(rows), 0, nullptr) < 0) return false;
  *width = bitmap.biWidth;
  *height = static_cast<int>(rows);
  return true;
}

AVCodecContext* OpenFfmpegDecoder(const char* name, int width, int height, const BYTE* extradata,
                                  DWORD extradataSize) {
  const AVCodec* codec = avcodec_find_decoder_by_name(name);
  if (!codec) return nullptr;
  AVCodecContext* context = avcodec_alloc_context3(codec);
  if (!context) return nullptr;
  context->width = width;
  context->height = height;
  if (extradataSize > 0) {
    context->extradata = static_cast<uint8_t*>(av_mallocz(extradataSize + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!context->extradata) {
      avcodec_free_context(&context);
      return nullptr;
    }
    std::memcpy(context->extradata, extradata, extradataSize);
    context->extradata_size = static_cast<int>(extradataSize);
  }
  if (avcodec_open2(context, codec, nullptr) < 0) avcodec_free_context(&context);
  return context;
}

}  // namespace

WmvDecoderMediaObject* WmvDecoderMediaObject::Create() { return new (std::nothrow) WmvDecoderMediaObject; }

WmvDecoderMediaObject::~WmvDecoderMediaObject() { CloseDecoder(); }

HRESULT WmvDecoderMediaObject::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IMediaObject) {
    AddRef();
    *object = static_cast<IMediaObject*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG WmvDecoderMediaObject::AddRef() { return ++references_; }

ULONG WmvDecoderMediaObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT WmvDecoderMediaObject::GetStreamCount(DWORD* inputStreams, DWORD* outputStreams) {
  if (!inputStreams || !outputStreams) return E_POINTER;
  *inputStreams = 1;
  *outputStreams = 1;
  return S_OK;
}

HRESULT WmvDecoderMediaObject::GetInputStreamInfo(DWORD, DWORD*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::GetOutputStreamInfo(DWORD, DWORD*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::GetInputType(DWORD, DWORD, DMO_MEDIA_TYPE*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::GetOutputType(DWORD, DWORD, DMO_MEDIA_TYPE*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::GetInputCurrentType(DWORD, DMO_MEDIA_TYPE*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::GetOutputCurrentType(DWORD, DMO_MEDIA_TYPE*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::GetInputSizeInfo(DWORD, DWORD*, DWORD*, DWORD*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::GetOutputSizeInfo(DWORD, DWORD*, DWORD*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::GetInputMaxLatency(DWORD, REFERENCE_TIME*) { return E_NOTIMPL; }
HRESULT WmvDecoderMediaObject::SetInputMaxLatency(DWORD, REFERENCE_TIME) { return E_NOTIMPL; }

HRESULT WmvDecoderMediaObject::SetInputType(DWORD inputStream, const DMO_MEDIA_TYPE* type, DWORD flags) {
  if (inputStream != 0) return DMO_E_INVALIDSTREAMINDEX;
  if (flags != 0) return E_INVALIDARG;
  if (!type) return E_POINTER;
  const char* decoderName = FfmpegDecoderFor(type->subtype);
  VIDEOINFOHEADER header;
  int width = 0;
  int height = 0;
  if (!decoderName || !ReadVideoInfo(*type, &header) || !ReadPictureSize(header.bmiHeader, &width, &height)) {
    return DMO_E_TYPE_NOT_ACCEPTED;
  }
  // The set-up bytes follow the header, and the bitmap header's size
  // counts them; they must lie inside the block.
  const DWORD bitmapSize = header.bmiHeader.biSize;
  if (bitmapSize < sizeof(BITMAPINFOHEADER) ||
      bitmapSize - sizeof(BITMAPINFOHEADER) > type->cbFormat - sizeof(VIDEOINFOHEADER)) {
    return DMO_E_TYPE_NOT_ACCEPTED;
  }
  AVCodecContext* decoder = OpenFfmpegDecoder(decoderName, width, height, type->pbFormat + sizeof(VIDEOINFOHEADER),
                                              bitmapSize - static_cast<DWORD>(sizeof(BITMAPINFOHEADER)));
  if (!decoder) return DMO_E_TYPE_NOT_ACCEPTED;

  CloseDecoder();
  decoder_ = decoder;
  if (width != width_ || height != height_) outputTypeSet_ = false;
  width_ = width;
  height_ = height;
  return S_OK;
}

HRESULT WmvDecoderMediaObject::SetOutputType(DWORD outputStream, const DMO_MEDIA_TYPE* type, DWORD flags) {
  if (outputStream != 0) return DMO_E_INVALIDSTREAMINDEX;
  if (flags != 0) return E_INVALIDARG;
  if (!type) return E_POINTER;
  if (!decoder_) return DMO_E_TYPE_NOT_SET;
  VIDEOINFOHEADER header;
  int width = 0;
  int height = 0;
  if (!(type->subtype == MEDIASUBTYPE_YUY2) || !ReadVideoInfo(*type, &header) ||
      !ReadPictureSize(header.bmiHeader, &width, &height) || width != width_ || height != height_) {
    return DMO_E_TYPE_NOT_ACCEPTED;
  }
  outputTypeSet_ = true;
  return S_OK;
}

HRESULT WmvDecoderMediaObject::Flush() {
  DropPendingPictures();
  if (decoder_) avcodec_flush_buffers(decoder_);
  return S_OK;
}

HRESULT WmvDecoderMediaObject::Discontinuity(DWORD inputStream) {
  return inputStream == 0 ? S_OK : DMO_E_INVALIDSTREAMINDEX;
}

HRESULT WmvDecoderMediaObject::AllocateStreamingResources() { return S_OK; }
HRESULT WmvDecoderMediaObject::FreeStreamingResources() { return S_OK; }

HRESULT WmvDecoderMediaObject::GetInputStatus(DWORD inputStream, DWORD* flags) {
  if (inputStream != 0) return DMO_E_INVALIDSTREAMINDEX;
  if (!flags) return E_POINTER;
  *flags = pending_.size() < kMaxPendingPictures ? DMO_INPUT_STATUSF_ACCEPT_DATA : 0;
  return S_OK;
}

HRESULT WmvDecoderMediaObject::ProcessInput(DWORD inputStream, IMediaBuffer* buffer, DWORD, REFERENCE_TIME,
                                            REFERENCE_TIME) {
  if (inputStream != 0) return DMO_E_INVALIDSTREAMINDEX;
  if (!buffer) return E_POINTER;
  if (!TypesSet()) return DMO_E_TYPE_NOT_SET;
  BYTE* bytes = nullptr;
  DWORD length = 0;
  // An empty packet would tell FFmpeg's decoder that the stream ended.
  if (FAILED(buffer->GetBufferAndLength(&bytes, &length)) || !bytes || length == 0 ||
      length > INT_MAX - AV_INPUT_BUFFER_PADDING_SIZE) {
    return E_INVALIDARG;
  }
  AVPacket* packet = av_packet_alloc();
  if (!packet || av_new_packet(packet, static_cast<int>(length)) < 0) {
    av_packet_free(&packet);
    return E_OUTOFMEMORY;
  }
  std::memcpy(packet->data, bytes, length);

  int sent = avcodec_send_packet(decoder_, packet);
  // The decoder takes no packet while it holds a picture; keep that one
  // back for ProcessOutput and try again.
  for (size_t attempt = 0; sent == AVERROR(EAGAIN) && attempt < kMaxPendingPictures; ++attempt) {
    if (pending_.size() >= kMaxPendingPictures || ReceivePicture() == AVERROR(EAGAIN)) break;
    sent = avcodec_send_packet(decoder_, packet);
  }
  av_packet_free(&packet);
  if (sent == AVERROR(EAGAIN)) return DMO_E_NOTACCEPTING;
  return sent < 0 ? E_FAIL : S_OK;
}

HRESULT WmvDecoderMediaObject::ProcessOutput(DWORD flags, DWORD outputBufferCount,
                                             DMO_OUTPUT_DATA_BUFFER* outputBuffers, DWORD* status) {
  if (!outputBuffers || !status) return E_POINTER;
  if (outputBufferCount != 1) return E_INVALIDARG;
  *status = 0;
  outputBuffers[0].dwStatus = 0;
  if (!TypesSet()) return DMO_E_TYPE_NOT_SET;
  if (pending_.empty()) {
    const int received = ReceivePicture();
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return S_FALSE;
    if (received < 0) return E_FAIL;
  }

  IMediaBuffer* target = outputBuffers[0].pBuffer;
  if (!target && !(flags & DMO_PROCESS_OUTPUT_DISCARD_WHEN_NO_BUFFER)) return E_POINTER;
  if (target) {
    BYTE* data = nullptr;
    DWORD maxLength = 0;
    const int pictureBytes = Yuy2PictureConverter::PictureBytes(width_, height_);
    if (FAILED(target->GetMaxLength(&maxLength)) || FAILED(target->GetBufferAndLength(&data, nullptr)) || !data ||
        maxLength < static_cast<DWORD>(pictureBytes)) {
      return E_INVALIDARG;
    }
    if (!converter_.Convert(*pending_.front(), width_, height_, data)) return E_OUTOFMEMORY;
    target->SetLength(static_cast<DWORD>(pictureBytes));
  }
  av_frame_free(&pending_.front());
  pending_.pop_front();
  return S_OK;
}

HRESULT WmvDecoderMediaObject::Lock(LONG) { return S_OK; }

int WmvDecoderMediaObject::ReceivePicture() {
  AVFrame* picture = av_frame_alloc();
  if (!picture) return AVERROR(ENOMEM);
  const int received = avcodec_receive_frame(decoder_, picture);
  if (received < 0) {
    av_frame_free(&picture);
    return received;
  }
  pending_.push_back(picture);
  return 0;
}

void WmvDecoderMediaObject::DropPendingPictures() {
  for (AVFrame* picture : pending_) av_frame_free(&picture);
  pending_.clear();
}

void WmvDecoderMediaObject::CloseDecoder() {
  DropPendingPictures();
  avcodec_free_context(&decoder_);
}
