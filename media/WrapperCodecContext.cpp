#include "WrapperCodecContext.h"

#include "CodecWrapper.h"

namespace {

const char* WrapperName(void* context) {
  const CodecWrapper* codec = static_cast<WrapperCodecContext*>(context)->codec;
  return codec ? codec->name : kWrapperCodecContextClass.class_name;
}

}  // namespace

const AVClass kWrapperCodecContextClass = {
    .class_name = "WrapperCodecContext",
    .item_name = WrapperName,
    .option = nullptr,
    .version = LIBAVUTIL_VERSION_INT,
    .log_level_offset_offset = 0,
    .parent_log_context_offset = 0,
    .category = AV_CLASS_CATEGORY_DECODER,
    .get_category = nullptr,
    .query_ranges = nullptr,
    .child_next = nullptr,
    .child_class_iterate = nullptr,
};
