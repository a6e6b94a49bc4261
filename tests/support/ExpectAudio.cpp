#include "support/ExpectAudio.h"

#include "support/Ffprobe.h"

#include <gtest/gtest.h>

void ExpectAudioOutput(const std::string& path, const std::string& codec, int sampleRate, int channels,
                       double seconds, double frequency) {
  SCOPED_TRACE(path);
  const auto probed = Ffprobe(path);
  ASSERT_TRUE(probed) << "no output";
  EXPECT_EQ(probed->audioCodec, codec);
  EXPECT_EQ(probed->sampleRate, sampleRate);
  EXPECT_EQ(probed->channels, channels);
  const auto decoded = DecodedAudioSeconds(path);
  ASSERT_TRUE(decoded);
  EXPECT_NEAR(*decoded, seconds, 0.2);
  EXPECT_NEAR(DominantFrequency(path), frequency, frequency * 0.02);
}
