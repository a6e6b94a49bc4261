#pragma once

#include <string>

// Checks an output as a player would: it decodes to `seconds` of sound
// (within a fifth of a second), in the asked codec, rate and channels, with
// the source's tone at `frequency`. Records failures in the current test.
void ExpectAudioOutput(const std::string& path, const std::string& codec, int sampleRate, int channels,
                       double seconds, double frequency);
