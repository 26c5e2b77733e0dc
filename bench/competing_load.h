#pragma once
// One competing CPU-bound process beside the frame pipeline benchmark: the same program
// started again with --competing-load, spinning on arithmetic at normal priority on any core.

#include <sys/types.h>

#include <string>

namespace velmora::bench {

inline constexpr const char* kCompetingLoadOption = "--competing-load";

// The started process's side: dies with its parent, spins until killed. `parent` is the pid
// the parent passed, so that a parent gone before the death signal was armed is noticed.
[[noreturn]] void spin_as_competing_load(pid_t parent);

// Starts the process on construction and kills and reaps it on destruction, so that no
// process is left behind when a drive throws; a benchmark killed or interrupted takes it
// along through the death signal.
class CompetingLoad {
 public:
  CompetingLoad();  // throws std::runtime_error when the process cannot start
  ~CompetingLoad() { stop(); }
  CompetingLoad(const CompetingLoad&) = delete;
  CompetingLoad& operator=(const CompetingLoad&) = delete;

  // Kills and reaps the process; returns the CPU seconds it used, -1 when already stopped.
  double stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace velmora::bench
