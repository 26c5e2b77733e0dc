#include "machine_witness.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>

namespace velmora::bench {

using Clock = std::chrono::steady_clock;

// Enough for a stall every 2 ms over half an hour; past that, later stalls go unnoted.
constexpr std::size_t kStallRoom = 1 << 20;

MachineWitness::MachineWitness(int cpu) : cpu_(cpu) {
  stalls_.reserve(kStallRoom);
  thread_ = std::thread([this] { watch(); });
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  pthread_setaffinity_np(thread_.native_handle(), sizeof one, &one);
  const sched_param priority{sched_get_priority_min(SCHED_FIFO)};
  real_time_ = pthread_setschedparam(thread_.native_handle(), SCHED_FIFO, &priority) == 0;
}

MachineWitness::~MachineWitness() { stop(); }

std::vector<Stall> MachineWitness::stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  return std::move(stalls_);
}

void MachineWitness::watch() {
  Clock::time_point due = Clock::now() + kPeriod;
  while (!stopping_) {
    std::this_thread::sleep_until(due);
    const Clock::time_point woke = Clock::now();
    if (woke - due > kLate && stalls_.size() < stalls_.capacity()) stalls_.push_back({due, woke});
    due = woke + kPeriod;
  }
}

double stalled_ms(const std::vector<Stall>& stalls, Clock::time_point from, Clock::time_point to) {
  Clock::duration covered{};
  // Stalls are in time order: the first that ends after `from` is where the overlap starts.
  auto s = std::lower_bound(stalls.begin(), stalls.end(), from,
                            [](const Stall& st, Clock::time_point t) { return st.to <= t; });
  for (; s != stalls.end() && s->from < to; ++s)
    covered += std::min(s->to, to) - std::max(s->from, from);
  return std::chrono::duration<double, std::milli>(covered).count();
}

}  // namespace velmora::bench
