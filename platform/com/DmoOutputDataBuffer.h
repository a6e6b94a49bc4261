#pragma once

#include "platform/com/IMediaBuffer.h"
#include "platform/com/WinTypes.h"

// One output stream's buffer in a ProcessOutput call, with what the media
// object reports about the data it wrote.
struct DMO_OUTPUT_DATA_BUFFER {
  IMediaBuffer* pBuffer;
  DWORD dwStatus;
  REFERENCE_TIME rtTimestamp;
  REFERENCE_TIME rtTimelength;
};
