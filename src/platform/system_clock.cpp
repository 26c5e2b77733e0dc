#include "platform/system_clock.h"

#include <chrono>
#include <thread>

namespace velmora {

std::int64_t SystemClock::counter() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SystemClock::sleep_ms(int ms) {
  if (ms <= 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace velmora
