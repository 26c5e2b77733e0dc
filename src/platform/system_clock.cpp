#include "platform/system_clock.h"

#include <sys/prctl.h>
#include <time.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace velmora {

SystemClock::SystemClock() {
  // A frame waits for its moment in one sleep: the usual 50 us of slack would make every
  // frame that much late. A failure only leaves the default.
  prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
}

// CLOCK_MONOTONIC, read and waited on directly, so that a wait ends at the counter's tick.
std::int64_t SystemClock::counter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

void SystemClock::sleep_ms(int ms) {
  if (ms <= 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SystemClock::sleep_until(std::int64_t counter) {
  const timespec due{static_cast<time_t>(counter / 1'000'000'000),
                     static_cast<long>(counter % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
  }
}

}  // namespace velmora
