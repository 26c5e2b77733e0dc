#include "platform/openal/channel_controls.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

int clamp_volume(int volume) { return std::clamp(volume, kSilentVolume, 0); }

float volume_gain(int volume) {
  volume = clamp_volume(volume);
  // -100 dB would still be a gain of 1e-5; the unit's floor means no sound at all.
  if (volume == kSilentVolume) return 0.0f;
  return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

int clamp_pan(int pan) { return std::clamp(pan, -kFullPan, kFullPan); }

PanPosition pan_position(int pan) {
  pan = clamp_pan(pan);
  // (1 - x) / (1 + x) = 10^(-|pan|/2000) solved for x.
  const double x = std::tanh(pan * std::numbers::ln10 / 4000.0);
  // On the unit circle in front: the distance, and with it any distance attenuation, stays.
  return {static_cast<float>(x), static_cast<float>(-std::sqrt(1.0 - x * x))};
}

long long channel_frequency(long long own_hz, long double rate) {
  const long double hz = static_cast<long double>(own_hz) * rate;
  // Written so that NaN falls to the floor too.
  if (!(hz >= 1)) return 1;
  if (hz >= kMaxChannelHz) return kMaxChannelHz;
  return static_cast<long long>(hz);
}

}  // namespace velmora
