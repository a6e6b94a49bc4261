#pragma once

#include "platform/com/DmoMediaType.h"
#include "platform/com/DmoOutputDataBuffer.h"
#include "platform/com/IMediaBuffer.h"
#include "platform/com/IUnknown.h"

// {D8AD0F58-5494-4102-97C5-EC798E59BCF4}
inline constexpr IID IID_IMediaObject = {0xD8AD0F58, 0x5494, 0x4102, {0x97, 0xC5, 0xEC, 0x79, 0x8E, 0x59, 0xBC, 0xF4}};

// ProcessInput: the buffer starts at a point the decoder can start from.
inline constexpr DWORD DMO_INPUT_DATA_BUFFERF_SYNCPOINT = 0x1;
// ProcessOutput: a stream given no buffer has its output dropped.
inline constexpr DWORD DMO_PROCESS_OUTPUT_DISCARD_WHEN_NO_BUFFER = 0x1;
// SetInputType/SetOutputType: only check whether the type would be accepted.
inline constexpr DWORD DMO_SET_TYPEF_TEST_ONLY = 0x1;
// SetInputType/SetOutputType: forget the stream's type.
inline constexpr DWORD DMO_SET_TYPEF_CLEAR = 0x2;
// GetInputStatus: the stream takes input now.
inline constexpr DWORD DMO_INPUT_STATUSF_ACCEPT_DATA = 0x1;

// A DirectX Media Object: a codec or effect with typed input and output
// streams. The methods stand in the interface's own table order.
class IMediaObject : public IUnknown {
 public:
  virtual HRESULT GetStreamCount(DWORD* inputStreams, DWORD* outputStreams) = 0;
  virtual HRESULT GetInputStreamInfo(DWORD inputStream, DWORD* flags) = 0;
  virtual HRESULT GetOutputStreamInfo(DWORD outputStream, DWORD* flags) = 0;
  virtual HRESULT GetInputType(DWORD inputStream, DWORD typeIndex, DMO_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetOutputType(DWORD outputStream, DWORD typeIndex, DMO_MEDIA_TYPE* type) = 0;
  virtual HRESULT SetInputType(DWORD inputStream, const DMO_MEDIA_TYPE* type, DWORD flags) = 0;
  virtual HRESULT SetOutputType(DWORD outputStream, const DMO_MEDIA_TYPE* type, DWORD flags) = 0;
  virtual HRESULT GetInputCurrentType(DWORD inputStream, DMO_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetOutputCurrentType(DWORD outputStream, DMO_MEDIA_TYPE* type) = 0;
  virtual HRESULT GetInputSizeInfo(DWORD inputStream, DWORD* size, DWORD* maxLookahead, DWORD* alignment) = 0;
  virtual HRESULT GetOutputSizeInfo(DWORD outputStream, DWORD* size, DWORD* alignment) = 0;
  virtual HRESULT GetInputMaxLatency(DWORD inputStream, REFERENCE_TIME* maxLatency) = 0;
  virtual HRESULT SetInputMaxLatency(DWORD inputStream, REFERENCE_TIME maxLatency) = 0;
  virtual HRESULT Flush() = 0;
  virtual HRESULT Discontinuity(DWORD inputStream) = 0;
  virtual HRESULT AllocateStreamingResources() = 0;
  virtual HRESULT FreeStreamingResources() = 0;
  virtual HRESULT GetInputStatus(DWORD inputStream, DWORD* flags) = 0;
  virtual HRESULT ProcessInput(DWORD inputStream, IMediaBuffer* buffer, DWORD flags, REFERENCE_TIME timestamp,
                               REFERENCE_TIME timelength) = 0;
  virtual HRESULT ProcessOutput(DWORD flags, DWORD outputBufferCount, DMO_OUTPUT_DATA_BUFFER* outputBuffers,
                                DWORD* status) = 0;
  virtual HRESULT Lock(LONG lock) = 0;

 protected:
  ~IMediaObject() = default;
};
