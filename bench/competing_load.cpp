#include "competing_load.h"

#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace velmora::bench {

void spin_as_competing_load(pid_t parent) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(0);
  // Converges to 1000 and stays there: no overflow, no denormals, never optimised away.
  volatile double x = 1;
  for (;;) x = x * 0.999 + 1;
}

// posix_spawn rather than fork: it shares the address space until the exec, so the
// benchmark's own pages are not made copy-on-write and it takes no page faults it would
// then count as its own.
CompetingLoad::CompetingLoad() {
  char program[] = "/proc/self/exe";
  std::string option = kCompetingLoadOption;
  std::string parent_arg = std::to_string(getpid());
  char* argv[] = {program, option.data(), parent_arg.data(), nullptr};
  const int error = posix_spawn(&pid_, program, nullptr, nullptr, argv, environ);
  if (error != 0) {
    pid_ = -1;
    throw std::runtime_error(std::string("cannot start the competing load: ") +
                             std::strerror(error));
  }
}

double CompetingLoad::stop() {
  if (pid_ < 0) return -1;
  kill(pid_, SIGKILL);
  int status = 0;
  rusage usage{};
  while (wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace velmora::bench
