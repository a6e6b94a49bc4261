#include "DecoderRegistration.h"

#include "DecoderRegistry.h"
#include "DmoDecoder.h"
#include "DmoDecoderState.h"

#include "platform/FfmpegLog.h"

#include <mutex>

namespace {

constexpr CodecWrapper DmoWrapper(const char* name, AVCodecID codecId) {
  return CodecWrapper{
      .name = name,
      .mediaType = AVMEDIA_TYPE_VIDEO,
      .codecId = codecId,
      .privateDataSize = sizeof(DmoDecoderState),
      .init = DmoDecoderOpen,
      .close = DmoDecoderClose,
      .decode = DmoDecoderDecode,
      .capabilities = AV_CODEC_CAP_DR1,
  };
}

const CodecWrapper kDmoWrappers[] = {
    DmoWrapper("wmv1dmo", AV_CODEC_ID_WMV1),
    DmoWrapper("wmv2dmo", AV_CODEC_ID_WMV2),
    DmoWrapper("wmv3dmo", AV_CODEC_ID_WMV3),
    DmoWrapper("wvc1dmo", AV_CODEC_ID_VC1),
};

std::once_flag registered;

}  // namespace

int InitMediaLibraries() {
  FfmpegLog::Route(AV_LOG_ERROR);
  RegisterDmoCodecs();
  return 0;
}

void RegisterDmoCodecs() {
  std::call_once(registered, [] {
    for (const CodecWrapper& wrapper : kDmoWrappers) DecoderRegistry::Register(wrapper);
  });
}
