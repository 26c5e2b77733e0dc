#pragma once
// Levels for the sound device: hundredths of a dB between silence and full level.

namespace velmora {

constexpr int kSilent = -10000;  // the quietest level the device takes
constexpr int kFullLevel = 0;

// `factor` × log10(`ratio`) rounded half to even, kept within the device's range; a ratio
// of 0 or less (or not a number) is silence rather than -infinity.
int level_of(long double factor, long double ratio);

// The same, rounded half away from zero.
int level_of_away(long double factor, long double ratio);

// A level kept within the device's range.
int clamp_level(long double level);

}  // namespace velmora
