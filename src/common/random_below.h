#pragma once
// Random integers for the simulation, drawn from the run's engine. The draw is spelled
// out (not a standard distribution) so that a seed gives the same drive with every
// standard library.

#include <cstdint>
#include <random>

namespace velmora {

// An integer in [0, n); 0 when n is 0 or less (an empty range), without drawing.
inline int random_below(std::mt19937_64& rng, int n) {
  if (n <= 0) return 0;
  return static_cast<int>(rng() % static_cast<std::uint64_t>(n));
}

}  // namespace velmora
