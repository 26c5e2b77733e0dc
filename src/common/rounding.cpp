#include "common/rounding.h"

#include <cfenv>
#include <cmath>

namespace velmora {

std::int64_t round_half_even(long double value) {
  // nearbyintl follows the current mode; the default mode is to-nearest-even, but a
  // caller may have changed it, so pin it for this one call.
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const long double r = std::nearbyintl(value);
  std::fesetround(saved);
  return static_cast<std::int64_t>(r);
}

std::int64_t round_half_away(long double value) {
  return static_cast<std::int64_t>(std::roundl(value));
}

}  // namespace velmora
