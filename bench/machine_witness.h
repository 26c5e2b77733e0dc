#pragma once
// A thread kept on one CPU that does nothing but wake every 2 ms, at real-time priority, and
// note when it woke late: while it is late, that CPU ran nothing of this machine. A slow pass
// whose CPU's witness was late too was held back by the machine (the hypervisor not running
// that virtual CPU, which the guest's steal time does not always show), not slowed by the
// program's own work, which the witness would have interrupted on time.

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace velmora::bench {

// A time the witness could not run, on the steady clock.
struct Stall {
  std::chrono::steady_clock::time_point from, to;
};

class MachineWitness {
 public:
  static constexpr std::chrono::milliseconds kPeriod{2};
  // Wakes more than this late count as stalls.
  static constexpr std::chrono::milliseconds kLate{1};

  explicit MachineWitness(int cpu);
  ~MachineWitness();
  MachineWitness(const MachineWitness&) = delete;
  MachineWitness& operator=(const MachineWitness&) = delete;

  int cpu() const { return cpu_; }
  // It runs at real-time priority: without it, the program's own work on its CPU can make it
  // late as well.
  bool real_time() const { return real_time_; }
  // Stops the witness and hands over the stalls it saw, oldest first.
  std::vector<Stall> stop();

 private:
  void watch();

  int cpu_;
  bool real_time_ = false;
  std::vector<Stall> stalls_;  // room made before the thread starts: it never allocates
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// How long the stalls cover of [from, to], in ms (stalls do not overlap each other).
double stalled_ms(const std::vector<Stall>& stalls, std::chrono::steady_clock::time_point from,
                  std::chrono::steady_clock::time_point to);

}  // namespace velmora::bench
