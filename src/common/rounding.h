#pragma once
// The two rounding rules of the simulator. "Rounded" alone always means half to even;
// the shared utility routine rounds halves away from zero. Callers name the rule they need.

#include <cstdint>

namespace velmora {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
std::int64_t round_half_even(long double value);

// Nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3).
std::int64_t round_half_away(long double value);

}  // namespace velmora
