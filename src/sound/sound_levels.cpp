#include "sound/sound_levels.h"

#include <algorithm>
#include <cmath>

#include "common/rounding.h"

namespace velmora {

int clamp_level(long double level) {
  if (!(level > kSilent)) return kSilent;  // also catches NaN
  return static_cast<int>(std::min<long double>(level, kFullLevel));
}

int level_of(long double factor, long double ratio) {
  if (!(ratio > 0)) return kSilent;
  return clamp_level(static_cast<long double>(round_half_even(factor * std::log10(ratio))));
}

int level_of_away(long double factor, long double ratio) {
  if (!(ratio > 0)) return kSilent;
  return clamp_level(static_cast<long double>(round_half_away(factor * std::log10(ratio))));
}

}  // namespace velmora
