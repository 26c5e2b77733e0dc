#include "sound/crossing_list.h"

#include <algorithm>
#include <cstdint>

#include "sound/call_queue.h"
#include "sound/sound_run.h"

namespace velmora {
namespace {

constexpr std::int64_t kWindowFrames = 20;

// f within the 20 frames from `from` (wide arithmetic: frames come from the route file).
bool within_window(std::int64_t from, std::int64_t f) {
  return from <= f && f < from + kWindowFrames;
}

void add_crossing(CallState& c, int index) {
  for (int& slot : c.cross_pending) {
    if (slot == index) return;
    if (slot == -1) {
      slot = index;
      return;
    }
  }
  // A full list leaves the crossing out.
}

}  // namespace

void crossing_list_step(const SoundRun& run) {
  CallState& c = run.calls;
  const std::int64_t f = run.film.film_frame;
  const auto& crossings = run.route.crossings;
  for (std::size_t i = 0; i < crossings.size(); ++i) {
    const CrossData& x = crossings[i];
    const int index = static_cast<int>(i);
    if (within_window(x.announce_frame, f)) add_crossing(c, index);
    // The first crossing being a later one, this one has gone already (called by Enter).
    // The entries after it are still looked at: a crossing announced while this one is
    // being passed would otherwise never join the list.
    if (within_window(x.passed_frame, f) && c.cross_pending[0] <= index && !c.cross_busy)
      drop_first_crossing(run);
  }
}

void crossing_call(const SoundRun& run) {
  CallState& c = run.calls;
  const int first = c.cross_pending[0];
  if (first < 0) return;
  const auto& crossings = run.route.crossings;
  if (static_cast<std::size_t>(first) < crossings.size())
    kanko_queue_add(run, crossings[static_cast<std::size_t>(first)].call);
  if (!c.cross_busy) drop_first_crossing(run);
}

void drop_first_crossing(const SoundRun& run) {
  CallState& c = run.calls;
  c.cross_busy = true;
  std::move(c.cross_pending.begin() + 1, c.cross_pending.end(), c.cross_pending.begin());
  c.cross_pending.back() = -1;
  c.cross_busy = false;
  if (c.cross_pending[0] == -1) run.overlays.cross_shown = kNoCrossing;
}

void rebuild_crossing_list(const SoundRun& run) {
  CallState& c = run.calls;
  c.cross_pending = CallState::filled_cross_list();
  const int f = run.film.film_frame;
  const auto& crossings = run.route.crossings;
  for (std::size_t i = 0; i < crossings.size(); ++i)
    if (crossings[i].announce_frame <= f && f < crossings[i].passed_frame)
      add_crossing(c, static_cast<int>(i));
}

}  // namespace velmora
