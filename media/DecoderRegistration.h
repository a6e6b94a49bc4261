#pragma once

// Readies the media libraries for the whole run; called once at start-up,
// before any window or worker thread exists. Registers the WMV wrapper
// decoders and routes FFmpeg's log at error level. Always 0.
int InitMediaLibraries();

// Registers the four WMV wrapper decoders "wmv1dmo", "wmv2dmo", "wmv3dmo"
// and "wvc1dmo", so that the decoder lookup finds them ahead of FFmpeg's own
// decoders for their codec ids. Later calls register nothing. Touches no
// decoder library: whether one is present shows when a wrapper is opened.
void RegisterDmoCodecs();
