#pragma once

#include <string>

// Writes a still of the source's first video stream into `outputPath` as one
// JPEG image of width × height, stretched: the first picture that comes out
// of the decoder from the `frameOrdinal`-th video packet on (counting from
// 1), or while the decoder is drained after the input's last packet.
// Returns 0 when the picture was written, -1 on any failure; the output file
// may then exist without a picture in it. The WMV decoders are the
// program's own, so the media libraries must have been readied
// (InitMediaLibraries) for a WMV source.
int CapturePreviewFrame(const std::string& sourcePath, int frameOrdinal, const std::string& outputPath, int width,
                        int height);
