#include "common/rounding.h"

#include <cfenv>
#include <cmath>

namespace velmora {

std::int64_t round_half_even(long double value) {
  // llrintl rounds in the floating-point unit's current mode in one instruction. That mode
  // is to-nearest-even unless something changed it; only then is the halfway case worked out
  // from the floor (pinning the mode for every call cost more than the rest of a frame's
  // arithmetic). value - floor(value) is exact, so the halfway test is too.
  if (std::fegetround() == FE_TONEAREST) return std::llrintl(value);
  const long double below = std::floor(value);
  const long double part = value - below;
  const bool up = part > 0.5L || (part == 0.5L && std::fmod(below, 2.0L) != 0);
  return static_cast<std::int64_t>(up ? below + 1 : below);
}

std::int64_t round_half_away(long double value) {
  return static_cast<std::int64_t>(std::roundl(value));
}

}  // namespace velmora
