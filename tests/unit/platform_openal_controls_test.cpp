#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/openal/channel_controls.h"
#include "platform/openal/pcm_wav.h"
#include "platform_openal_wavs.h"

namespace velmora {
namespace {

TEST(OpenAlChannelControls, VolumeIsHundredthsOfADecibelDownToSilence) {
  struct Case {
    int volume;
    int clamped;
    double gain;
  };
  const Case cases[] = {
      {0, 0, 1.0},   {-2000, -2000, 0.1},   {-600, -600, 0.501187}, {-9999, -9999, 1.0011e-5},
      {300, 0, 1.0}, {-10000, -10000, 0.0}, {-25000, -10000, 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(clamp_volume(c.volume), c.clamped) << c.volume;
    EXPECT_NEAR(volume_gain(c.volume), c.gain, c.gain * 1e-4) << c.volume;
  }
  // The floor is silence, not merely -100 dB.
  EXPECT_EQ(volume_gain(-10000), 0.0f);
  EXPECT_GT(volume_gain(-9999), 0.0f);
}

TEST(OpenAlChannelControls, PanGoesRoundTheFrontHalfCircleFromLeftToRight) {
  const PanPosition centre = pan_position(0);
  EXPECT_NEAR(centre.x, 0.0, 1e-6);
  EXPECT_NEAR(centre.z, -1.0, 1e-6);
  EXPECT_NEAR(pan_position(-10000).x, -1.0, 1e-4);
  EXPECT_NEAR(pan_position(10000).x, 1.0, 1e-4);
  EXPECT_EQ(pan_position(25000).x, pan_position(10000).x);
  EXPECT_EQ(clamp_pan(-25000), -10000);

  double last_azimuth = -4.0;
  for (int pan = -10000; pan <= 10000; pan += 500) {
    const PanPosition p = pan_position(pan);
    // Always one unit away and never behind the listener: only the direction changes.
    EXPECT_NEAR(std::hypot(p.x, p.z), 1.0, 1e-5) << pan;
    EXPECT_LE(p.z, 0.0f) << pan;
    const double azimuth = std::atan2(p.x, -p.z);
    EXPECT_GT(azimuth, last_azimuth) << pan;
    EXPECT_NEAR(p.x, -pan_position(-pan).x, 1e-6) << pan;
    last_azimuth = azimuth;
  }
  // Far side over near side, on a pan law linear in x: |pan|/100 dB down.
  struct Case {
    int pan;
    double far_db;
  };
  for (const Case c : {Case{-600, -6.0}, Case{-2000, -20.0}, Case{300, -3.0}, Case{5000, -50.0}}) {
    const double x = std::abs(pan_position(c.pan).x);
    EXPECT_NEAR(20 * std::log10((1 - x) / (1 + x)), c.far_db, 0.01) << c.pan;
    EXPECT_EQ(pan_position(c.pan).x < 0, c.pan < 0) << c.pan;
  }
}

TEST(OpenAlChannelControls, FrequencyIsCutToWholeHertzAndNeverBelowOne) {
  struct Case {
    long long own;
    long double rate;
    long long hz;
  };
  const Case cases[] = {
      {22050, 1.0L, 22050},
      {22050, 1.5L, 33075},
      {44100, 0.99999L, 44099},
      {11025, 0.7L, 7717},
      {22050, 0.0L, 1},
      {22050, -2.0L, 1},
      {22050, 1e-5L, 1},
      {22050, 1e30L, kMaxChannelHz},
      {22050, std::numeric_limits<long double>::quiet_NaN(), 1},
      {22050, std::numeric_limits<long double>::infinity(), kMaxChannelHz},
  };
  for (const Case& c : cases)
    EXPECT_EQ(channel_frequency(c.own, c.rate), c.hz) << c.own << " x " << c.rate;
}

TEST(OpenAlPcmWav, WideSamplesComeOutAsTheirTopSixteenBits) {
  const auto dir = openal_scratch("wide");
  const std::vector<double> samples = {0.5, -0.5, 1.0, -1.0, 0.0};
  struct Case {
    WavLayout layout;
    std::vector<int> expected;
  };
  // 24-bit -1.0 is written as -0x7fffff, whose top 16 bits are -0x8000.
  const Case cases[] = {
      {{1, 24, 8000, false}, {16384, -16384, 32767, -32768, 0}},
      {{1, 32, 8000, true}, {16384, -16384, 32767, -32767, 0}},
      {{1, 16, 8000, false}, {16384, -16384, 32767, -32767, 0}},
  };
  for (const Case& c : cases) {
    const auto path =
        dir / ("wide_" + std::to_string(c.layout.bits) + (c.layout.floating ? "f" : "") + ".wav");
    write_wav(path, c.layout, samples);
    PcmSound pcm;
    std::string error;
    ASSERT_TRUE(read_pcm_wav(path.string(), pcm, error)) << error;
    EXPECT_EQ(pcm.bits, 16);
    EXPECT_EQ(pcm.rate, 8000);
    ASSERT_EQ(pcm.samples.size(), samples.size() * 2) << c.layout.bits;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      const auto s = static_cast<std::int16_t>(pcm.samples[2 * i] | pcm.samples[2 * i + 1] << 8);
      EXPECT_EQ(s, c.expected[i]) << c.layout.bits << " bits, sample " << i;
    }
  }
}

}  // namespace
}  // namespace velmora
