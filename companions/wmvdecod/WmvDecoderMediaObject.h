#pragma once

#include "Yuy2PictureConverter.h"

#include "platform/com/IMediaObject.h"

#include <atomic>
#include <deque>

extern "C" {
#include <libavcodec/avcodec.h>
}

// The WMV decoder media object: one input stream of WMV1, WMV2, WMV3 or WVC1
// packets, one output stream of packed YUY2 pictures, decoded by FFmpeg's own
// decoder for the input's FOURCC. Pictures come out in display order, at
// most one per ProcessOutput.
class WmvDecoderMediaObject final : public IMediaObject {
 public:
  // A new object with one reference; null when memory runs out.
  static WmvDecoderMediaObject* Create();

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetStreamCount(DWORD* inputStreams, DWORD* outputStreams) override;
  HRESULT GetInputStreamInfo(DWORD inputStream, DWORD* flags) override;
  HRESULT GetOutputStreamInfo(DWORD outputStream, DWORD* flags) override;
  HRESULT GetInputType(DWORD inputStream, DWORD typeIndex, DMO_MEDIA_TYPE* type) override;
  HRESULT GetOutputType(DWORD outputStream, DWORD typeIndex, DMO_MEDIA_TYPE* type) override;
  // Takes video of the four subtypes with a VIDEOINFOHEADER format block,
  // the stream's set-up bytes after the header (biSize counts them). Flags
  // are not offered: only 0.
  HRESULT SetInputType(DWORD inputStream, const DMO_MEDIA_TYPE* type, DWORD flags) override;
  // Takes YUY2 video of the input's size, once the input type is set.
  HRESULT SetOutputType(DWORD outputStream, const DMO_MEDIA_TYPE* type, DWORD flags) override;
  HRESULT GetInputCurrentType(DWORD inputStream, DMO_MEDIA_TYPE* type) override;
  HRESULT GetOutputCurrentType(DWORD outputStream, DMO_MEDIA_TYPE* type) override;
  HRESULT GetInputSizeInfo(DWORD inputStream, DWORD* size, DWORD* maxLookahead, DWORD* alignment) override;
  HRESULT GetOutputSizeInfo(DWORD outputStream, DWORD* size, DWORD* alignment) override;
  HRESULT GetInputMaxLatency(DWORD inputStream, REFERENCE_TIME* maxLatency) override;
  HRESULT SetInputMaxLatency(DWORD inputStream, REFERENCE_TIME maxLatency) override;
  // Forgets the packets and pictures in flight.
  HRESULT Flush() override;
  HRESULT Discontinuity(DWORD inputStream) override;
  HRESULT AllocateStreamingResources() override;
  HRESULT FreeStreamingResources() override;
  HRESULT GetInputStatus(DWORD inputStream, DWORD* flags) override;
  // Decodes one packet (the buffer's bytes are copied). E_FAIL when the
  // decoder rejects it; the object stays usable. Time stamps are not used.
  HRESULT ProcessInput(DWORD inputStream, IMediaBuffer* buffer, DWORD flags, REFERENCE_TIME timestamp,
                       REFERENCE_TIME timelength) override;
  // Writes the next picture into the one buffer and sets its length; S_FALSE
  // when no picture is ready.
  HRESULT ProcessOutput(DWORD flags, DWORD outputBufferCount, DMO_OUTPUT_DATA_BUFFER* outputBuffers,
                        DWORD* status) override;
  HRESULT Lock(LONG lock) override;

 private:
  WmvDecoderMediaObject() = default;
  ~WmvDecoderMediaObject();

  bool TypesSet() const { return decoder_ && outputTypeSet_; }
  // Moves the decoder's next picture to the pending ones: 0, or FFmpeg's
  // error (AVERROR(EAGAIN) when none is ready).
  int ReceivePicture();
  void DropPendingPictures();
  void CloseDecoder();

  std::atomic<ULONG> references_{1};
  AVCodecContext* decoder_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  bool outputTypeSet_ = false;
  // Decoded pictures the caller has not taken yet, oldest first.
  std::deque<AVFrame*> pending_;
  Yuy2PictureConverter converter_;
};
