#include "slow_passes.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace velmora::bench {

bool preempted(const PassRecord& p) { return p.invol_switches > 0 && p.cpu_ms < 0.7 * p.total_ms; }

bool machine_stalled(const PassRecord& p) { return p.stalled_ms >= 0.5 * p.total_ms; }

long machine_steal_ticks(int proc_stat_fd) {
  char text[512];
  const ssize_t got = proc_stat_fd < 0 ? -1 : pread(proc_stat_fd, text, sizeof text - 1, 0);
  if (got <= 0) return -1;
  text[got] = '\0';
  // "cpu  user nice system idle iowait irq softirq steal ...": the eighth number.
  const char* at = text + 3;
  long value = -1;
  for (int field = 0; field < 8; ++field) {
    char* end = nullptr;
    value = std::strtol(at, &end, 10);
    if (end == at) return -1;
    at = end;
  }
  return value;
}

void print_slow_passes(std::FILE* out, const std::vector<PassRecord>& passes, bool paced) {
  std::vector<const PassRecord*> slow;
  for (const PassRecord& p : passes)
    if (p.total_ms > kSlowPassMs) slow.push_back(&p);
  std::size_t taken_off = 0, faulted = 0, in_film = 0, stolen = 0, stalled = 0;
  for (const PassRecord* p : slow) {
    taken_off += preempted(*p);
    stalled += machine_stalled(*p);
    faulted += p->minor_faults + p->major_faults > 0;
    stolen += p->steal_ticks > 0;
    // Unpaced, the film's time is left out of the pass, so no pass is mostly in it.
    in_film += paced && p->film_ms > 0.5 * p->total_ms;
  }
  // Without witnesses no pass knows whether its CPU stalled.
  const bool witnessed = std::any_of(passes.begin(), passes.end(),
                                     [](const PassRecord& p) { return p.stalled_ms >= 0; });
  std::fprintf(out,
               "  passes over %.0f ms: %zu of %zu; preempted (involuntary switch, CPU under 70 %% "
               "of the pass) %zu, with page faults %zu, mostly in the film call %zu, with time "
               "stolen by the hypervisor %zu",
               kSlowPassMs, slow.size(), passes.size(), taken_off, faulted, in_film, stolen);
  if (witnessed)
    std::fprintf(out, ", with its CPU stalled (the CPU's witness late for half the pass) %zu",
                 stalled);
  std::fprintf(out, "%s\n", paced ? "" : " (unpaced: film waits left out)");
  if (slow.empty()) return;
  std::sort(slow.begin(), slow.end(),
            [](const PassRecord* a, const PassRecord* b) { return a->total_ms > b->total_ms; });
  slow.resize(std::min<std::size_t>(slow.size(), 5));
  std::fprintf(out, "  the %zu worst:\n  %7s %9s %9s %11s %9s %9s %9s %13s %13s %15s %6s%s\n",
               slow.size(), "frame", "pass", "windows", "run's frame", "drawing", "film", "cpu",
               "user/sys ms", "faults mn/mj", "switches inv/vol", "steal",
               witnessed ? "   stalled" : "");
  for (const PassRecord* p : slow) {
    std::fprintf(
        out,
        "  %7lld %6.2f ms %6.2f ms %8.2f ms %6.2f ms %6.2f ms %6.2f ms %6.0f / %-4.0f %8ld / %ld "
        "%10ld / %ld %5ld",
        p->frame, p->total_ms, p->windows_ms, p->run_frame_ms, p->drawing_ms, p->film_ms, p->cpu_ms,
        p->user_ms, p->system_ms, p->minor_faults, p->major_faults, p->invol_switches,
        p->vol_switches, p->steal_ticks);
    if (witnessed) std::fprintf(out, " %6.2f ms", p->stalled_ms);
    std::fputc('\n', out);
  }
}

}  // namespace velmora::bench
