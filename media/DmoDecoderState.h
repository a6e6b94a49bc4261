#pragma once

#include "platform/RuntimeLibrary.h"
#include "platform/com/IClassFactory.h"
#include "platform/com/IMediaObject.h"

extern "C" {
#include <libavutil/frame.h>
}

// The private state of an opened WMV wrapper decoder. It lives in zero-filled
// memory that the wrapper's caller allocates, so its members are plain
// pointers, null until DmoDecoderOpen fills them and again after
// DmoDecoderClose.
struct DmoDecoderState {
  // The loaded decoder library; owned.
  RuntimeLibrary* library;
  DllGetClassObjectFunction getClassObject;
  IMediaObject* mediaObject;
  IClassFactory* classFactory;
  // The picture the decoder currently owns, from the context's get_buffer;
  // an empty first plane when it holds none. A pointer, since FFmpeg's frame
  // record has no fixed size that could be embedded.
  AVFrame* picture;
};
