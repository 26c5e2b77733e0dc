#pragma once
// Each pass of the frame pipeline benchmark split into what the benchmark can tell apart,
// and where the slow ones come from.

#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

namespace velmora::bench {

struct PassRecord {
  long long frame = 0;
  double total_ms = 0;      // the pass as counted (unpaced: film waits left out)
  double windows_ms = 0;    // driver commands and the ImGui windows
  double run_frame_ms = 0;  // the run's frame, finish_frame (unpaced: film waits left out)
  double film_ms = 0;       // inside avi_getframe; paced: part of run_frame_ms
  double drawing_ms = 0;    // inside the cab screen's texts, compose and flip; part of run_frame_ms
  double cpu_ms = 0;        // the thread's own CPU time, user and system, from its clock
  double user_ms = 0, system_ms = 0;  // getrusage's split: sampled at the tick, so rough
  long steal_ticks = -1;  // the machine's stolen time in the pass, in 1/100 s; -1 unknown
  long invol_switches = 0, vol_switches = 0;
  long minor_faults = 0, major_faults = 0;
  std::chrono::steady_clock::time_point start, end;  // the pass's own time, waits included
  std::array<int, 2> cpus{-1, -1};                   // the CPU it started and ended on
  double stalled_ms = -1;  // how long the witness of its CPU could not run in it; -1 unknown
};

inline constexpr double kSlowPassMs = 4;

// A pass was taken off the CPU: an involuntary switch, and the thread's CPU time well
// below the pass's time.
bool preempted(const PassRecord& p);

// The machine held the pass back: its CPU's witness could not run for half of it or more.
bool machine_stalled(const PassRecord& p);

// The hypervisor's stolen time over all CPUs, from /proc/stat, in 1/100 s; -1 where it cannot
// be read. Reads into a fixed buffer: no allocation in the frame loop.
long machine_steal_ticks(int proc_stat_fd);

// How many passes took over kSlowPassMs and what they have in common, then the worst five
// with their split. `paced` tells whether the film's time is part of the passes.
void print_slow_passes(std::FILE* out, const std::vector<PassRecord>& passes, bool paced);

}  // namespace velmora::bench
