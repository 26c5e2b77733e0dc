#pragma once
// The high-resolution counter and sleeping. The simulation reads time only through this,
// so tests and velmora-sim step it exactly.

#include <cstdint>

namespace velmora {

class Clock {
 public:
  virtual ~Clock() = default;
  // Ticks since an arbitrary start; never goes back.
  virtual std::int64_t counter() = 0;
  // Ticks per second; constant.
  virtual std::int64_t frequency() = 0;
  // Sleeps about ms milliseconds; 0 gives up the rest of the time slice.
  virtual void sleep_ms(int ms) = 0;
  // Sleeps until the counter reads at least `counter`, in one wait as precise as the system
  // allows; returns at once when it already does.
  virtual void sleep_until(std::int64_t counter) = 0;
};

}  // namespace velmora
