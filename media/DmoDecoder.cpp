#include "DmoDecoder.h"

#include "DmoDecoderState.h"
#include "DmoMediaBuffer.h"

#include "platform/com/VideoInfoHeader.h"
#include "platform/com/WmvDecoderClassId.h"

#include <cstring>
#include <memory>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
}

namespace {

constexpr DWORD kStream = 0;

DmoDecoderState& StateOf(WrapperCodecContext* context) {
  return *static_cast<DmoDecoderState*>(context->privateData);
}

std::unique_ptr<RuntimeLibrary> LoadDecoderLibrary(WrapperCodecContext* context) {
  if (auto library = RuntimeLibrary::Load("wmvdecod.dll")) return library;
  av_log(context, AV_LOG_INFO, "wmvdecod.dll not found, trying wmvdmod.dll\n");
  if (auto library = RuntimeLibrary::Load("wmvdmod.dll")) return library;
  av_log(context, AV_LOG_INFO, "wmvdmod.dll not found, trying wmv9dmod.dll\n");
  if (auto library = RuntimeLibrary::Load("wmv9dmod.dll")) return library;
  av_log(context, AV_LOG_ERROR, "wmvdmod.dll or wmv9dmod.dll not found\n");
  return nullptr;
}

// The header both media types share: the whole picture as source and
// target, the height positive (top-down).
VIDEOINFOHEADER VideoInfoFor(const WrapperCodecContext& context) {
  VIDEOINFOHEADER header{};
  header.rcSource = {0, 0, context.width, context.height};
  header.rcTarget = header.rcSource;
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = context.width;
  header.bmiHeader.biHeight = context.height;
  header.bmiHeader.biPlanes = 1;
  return header;
}

HRESULT SetType(IMediaObject* mediaObject, bool input, HRESULT built, DMO_MEDIA_TYPE* type) {
  HRESULT result = built;
  if (result == S_OK) {
    result = input ? mediaObject->SetInputType(kStream, type, 0) : mediaObject->SetOutputType(kStream, type, 0);
  }
  MoFreeMediaType(type);
  return result;
}

}  // namespace

DWORD DmoFourCcForCodec(AVCodecID codecId) {
  switch (codecId) {
    case AV_CODEC_ID_WMV3:
      return MakeFourCc('W', 'M', 'V', '3');
    case AV_CODEC_ID_WMV2:
      return MakeFourCc('W', 'M', 'V', '2');
    case AV_CODEC_ID_VC1:
      return MakeFourCc('W', 'V', 'C', '1');
    default:
      return MakeFourCc('W', 'M', 'V', '1');
  }
}

HRESULT BuildDmoInputMediaType(const WrapperCodecContext& context, DMO_MEDIA_TYPE* type) {
  const DWORD extradataSize = context.extradata ? static_cast<DWORD>(context.extradataSize) : 0;
  const HRESULT initialised = MoInitMediaType(type, sizeof(VIDEOINFOHEADER) + extradataSize);
  if (initialised != S_OK) return initialised;
  const DWORD fourCc = DmoFourCcForCodec(context.codecId);
  type->majortype = MEDIATYPE_Video;
  type->subtype = GuidFromFourCc(fourCc);
  type->bFixedSizeSamples = false;
  type->bTemporalCompression = true;
  type->lSampleSize = 0;
  type->formattype = FORMAT_VideoInfo;

  VIDEOINFOHEADER header = VideoInfoFor(context);
  header.bmiHeader.biSize += extradataSize;
  header.bmiHeader.biBitCount = 0;
  header.bmiHeader.biCompression = fourCc;
  header.bmiHeader.biSizeImage = 0;
  std::memcpy(type->pbFormat, &header, sizeof header);
  if (extradataSize > 0) std::memcpy(type->pbFormat + sizeof header, context.extradata, extradataSize);
  return S_OK;
}

HRESULT BuildDmoOutputMediaType(const WrapperCodecContext& context, DMO_MEDIA_TYPE* type) {
  const HRESULT initialised = MoInitMediaType(type, sizeof(VIDEOINFOHEADER));
  if (initialised != S_OK) return initialised;
  type->majortype = MEDIATYPE_Video;
  type->subtype = MEDIASUBTYPE_YUY2;
  type->bFixedSizeSamples = true;
  type->bTemporalCompression = false;
  type->lSampleSize = 0;
  type->formattype = FORMAT_VideoInfo;

  VIDEOINFOHEADER header = VideoInfoFor(context);
  header.bmiHeader.biBitCount = 16;
  header.bmiHeader.biCompression = MakeFourCc('Y', 'U', 'Y', '2');
  header.bmiHeader.biSizeImage = static_cast<DWORD>(context.width) * 16 * static_cast<DWORD>(context.height) / 8;
  std::memcpy(type->pbFormat, &header, sizeof header);
  return S_OK;
}

int DmoDecoderOpen(WrapperCodecContext* context) {
  DmoDecoderState& state = StateOf(context);
  std::unique_ptr<RuntimeLibrary> library = LoadDecoderLibrary(context);
  if (!library) return -1;
  state.library = library.release();

  // Whatever was obtained before a failure is given back at once: the
  // caller never closes a decoder whose open failed.
  state.getClassObject = state.library->Entry<DllGetClassObjectFunction>("DllGetClassObject");
  if (!state.getClassObject) {
    av_log(context, AV_LOG_ERROR, "DllGetClassObject not found in the WMVDMO DLL\n");
    DmoDecoderClose(context);
    return -1;
  }

  void* factory = nullptr;
  if (FAILED(state.getClassObject(CLSID_CWMVDecMediaObject, IID_IClassFactory, &factory)) || !factory) {
    av_log(context, AV_LOG_ERROR, "This DLL can't decode WMV content\n");
    DmoDecoderClose(context);
    return -1;
  }
  state.classFactory = static_cast<IClassFactory*>(factory);

  void* mediaObject = nullptr;
  if (FAILED(state.classFactory->CreateInstance(nullptr, IID_IMediaObject, &mediaObject)) || !mediaObject) {
    av_log(context, AV_LOG_ERROR, "Cannot create an instance of the WMV DMO decoder\n");
    DmoDecoderClose(context);
    return -1;
  }
  state.mediaObject = static_cast<IMediaObject*>(mediaObject);

  DMO_MEDIA_TYPE type{};
  if (SetType(state.mediaObject, true, BuildDmoInputMediaType(*context, &type), &type) != S_OK ||
      SetType(state.mediaObject, false, BuildDmoOutputMediaType(*context, &type), &type) != S_OK) {
    DmoDecoderClose(context);
    return -1;
  }

  state.picture = av_frame_alloc();
  if (!state.picture) {
    DmoDecoderClose(context);
    return -1;
  }
  context->pixelFormat = AV_PIX_FMT_YUYV422;
  return 0;
}

int DmoDecoderDecode(WrapperCodecContext* context, AVFrame* picture, int* pictureSize, const uint8_t* data,
                     int size) {
  *pictureSize = 0;
  if (size < 0) return -1;
  DmoDecoderState& state = StateOf(context);

  // The decoder only reads the packet; the buffer interface has no
  // read-only form.
  IMediaBuffer* input = MakeMediaBuffer(const_cast<uint8_t*>(data), static_cast<DWORD>(size));
  if (!input) return -1;
  input->SetLength(static_cast<DWORD>(size));
  const HRESULT accepted = state.mediaObject->ProcessInput(kStream, input, DMO_INPUT_DATA_BUFFERF_SYNCPOINT, 0, 0);
  input->Release();
  if (accepted == S_FALSE) return -1;
  if (accepted != S_OK) {
    av_log(context, AV_LOG_ERROR, "The DMO decoder doesn't accept the input sample\n");
    return -1;
  }

  const int pictureBytes = av_image_get_buffer_size(context->pixelFormat, context->width, context->height, 1);
  if (pictureBytes < 0) return -1;
  if (state.picture->data[0]) context->release_buffer(context, state.picture);
  if (context->get_buffer(context, state.picture) < 0) {
    av_log(context, AV_LOG_ERROR, "get_buffer() failed\n");
    return -1;
  }

  IMediaBuffer* output = MakeMediaBuffer(state.picture->data[0], static_cast<DWORD>(pictureBytes));
  if (!output) return -1;
  DMO_OUTPUT_DATA_BUFFER outputBuffer{output, 0, 0, 0};
  DWORD status = 0;
  const HRESULT produced =
      state.mediaObject->ProcessOutput(DMO_PROCESS_OUTPUT_DISCARD_WHEN_NO_BUFFER, 1, &outputBuffer, &status);

  // The decoder writes rows without gaps, whatever line size the allocator
  // chose.
  av_image_fill_arrays(state.picture->data, state.picture->linesize, state.picture->data[0], context->pixelFormat,
                       context->width, context->height, 1);
  // A view: the state keeps owning the memory.
  for (int plane = 0; plane < AV_NUM_DATA_POINTERS; ++plane) {
    picture->data[plane] = state.picture->data[plane];
    picture->linesize[plane] = state.picture->linesize[plane];
  }
  picture->format = context->pixelFormat;
  picture->width = context->width;
  picture->height = context->height;

  DWORD written = 0;
  output->GetBufferAndLength(nullptr, &written);
  *pictureSize = static_cast<int>(written);
  output->Release();
  return produced == S_OK ? size : -1;
}

int DmoDecoderClose(WrapperCodecContext* context) {
  DmoDecoderState& state = StateOf(context);
  if (state.picture && state.picture->data[0]) context->release_buffer(context, state.picture);
  av_frame_free(&state.picture);
  if (state.mediaObject) state.mediaObject->Release();
  state.mediaObject = nullptr;
  if (state.classFactory) state.classFactory->Release();
  state.classFactory = nullptr;
  state.getClassObject = nullptr;
  delete state.library;
  state.library = nullptr;
  return 0;
}
