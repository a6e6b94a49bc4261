#pragma once

#include "WrapperCodecContext.h"

#include "platform/com/DmoMediaType.h"

// The WMV wrapper decoders' entry points: they drive the Windows Media Video
// decoder DMO from the first of "wmvdecod.dll", "wmvdmod.dll" and
// "wmv9dmod.dll" that loads, and log only to FFmpeg's log with the context as
// the source. The context's private state is a DmoDecoderState. One set
// serves all four wrappers: the context's codec id picks the FOURCC.

// Loads the library, makes the decoder object and sets its input and output
// types. 0, or -1 with nothing held.
int DmoDecoderOpen(WrapperCodecContext* context);

// Feeds one packet in and takes at most one picture out, packed 4:2:2 laid
// over a buffer from the context's get_buffer. `picture` then refers to that
// buffer, which stays the decoder's and is valid until the next decode or
// the close. Returns the packet's size when a picture came out, else -1
// (refused, or no picture ready yet); `pictureSize` is nonzero exactly when
// a picture came out.
int DmoDecoderDecode(WrapperCodecContext* context, AVFrame* picture, int* pictureSize, const uint8_t* data,
                     int size);

// Gives back the picture, the decoder object and the library. Always 0.
int DmoDecoderClose(WrapperCodecContext* context);

// The FOURCC the decoder is told for a codec id: WMV2, WMV3 and WVC1 for
// their ids, WMV1 for every other.
DWORD DmoFourCcForCodec(AVCodecID codecId);

// The media types DmoDecoderOpen sets, made with MoInitMediaType; the caller
// frees them with MoFreeMediaType. The input's format block is the 88-byte
// VIDEOINFOHEADER followed by the context's extradata; the output's is the
// header alone, for YUY2 at the context's size.
HRESULT BuildDmoInputMediaType(const WrapperCodecContext& context, DMO_MEDIA_TYPE* type);
HRESULT BuildDmoOutputMediaType(const WrapperCodecContext& context, DMO_MEDIA_TYPE* type);
