#pragma once
// A channel's volume, pan and frequency in the sound device's units, turned into what an
// OpenAL source takes. No OpenAL here, so the arithmetic can be checked on its own.

namespace velmora {

constexpr int kSilentVolume = -10000;  // hundredths of a dB
constexpr int kFullPan = 10000;        // hundredths of a dB taken off the other side

// Clamped to kSilentVolume..0.
int clamp_volume(int volume);
// Linear gain of a clamped volume: 10^(volume/2000); kSilentVolume is exactly 0.
float volume_gain(int volume);

int clamp_pan(int pan);
// A point on the unit circle in front of the listener (x right, z forward is negative),
// for a source placed relative to the listener.
struct PanPosition {
  float x;
  float z;
};
// Where to put a mono source: at x such that a pan law linear in x (left 1 - x, right 1 + x)
// leaves the far side |pan|/100 dB below the near one, as that unit means. The output decides
// the exact levels; OpenAL Soft's stereo output pans a little more steeply than linear.
PanPosition pan_position(int pan);

// Samples per second of a sound with its own rate `own_hz` played at `rate` times its speed,
// cut to an integer. At least 1: a rate of 0 or less (or one too small to give a whole
// sample per second) holds the sound nearly still instead of reaching the device as a
// pitch it rejects. At most kMaxChannelHz, so a huge rate cannot overflow.
long long channel_frequency(long long own_hz, long double rate);
constexpr long long kMaxChannelHz = 100'000'000;

}  // namespace velmora
