#pragma once
// The real clock: the monotonic counter of the C++ library, nanosecond ticks.

#include "platform/clock.h"

namespace velmora {

class SystemClock final : public Clock {
 public:
  // Asks the system to wake this thread's sleeps close to the time asked for.
  SystemClock();
  std::int64_t counter() override;
  std::int64_t frequency() override { return 1'000'000'000; }
  void sleep_ms(int ms) override;
  void sleep_until(std::int64_t counter) override;
};

}  // namespace velmora
