#include "sound/announcements.h"

#include <cstdint>

#include "common/random_below.h"
#include "route/station_table.h"
#include "sound/call_queue.h"
#include "sound/route_sounds.h"
#include "sound/sound_run.h"

namespace velmora {
namespace {

constexpr int kPassengerOdds = 10;           // a draw in [0, prob) at or below this makes the event
constexpr long double kNextStopFar = 10000;  // cm: after departing, only while the stop is further
constexpr long double kPlaceLength = 500;    // cm: the stretch an announcement may start in

// The number of announcement entries; entry 0 is the header's sound.
int entry_count(const SoundRun& run) { return static_cast<int>(run.route.announce.size()) - 1; }

// The sound of entry k; -1 (silence) outside the table.
int entry_sound(const SoundRun& run, int k) {
  return k >= 0 && k <= entry_count(run) ? run.route.announce[static_cast<std::size_t>(k)].sound
                                         : -1;
}

void fit_latches(AnnounceState& a, std::size_t n) {
  if (a.announce_played.size() != n) a.announce_played.assign(n, false);
  if (a.announce_answered.size() != n) a.announce_answered.assign(n, false);
}

}  // namespace

void clear_announce_latches(const SoundRun& run) {
  AnnounceState& a = run.announce;
  a.announce_played.assign(run.route.announce.size(), false);
  a.announce_answered.assign(run.route.announce.size(), false);
  a.announce_event = false;
}

void announce_next(const SoundRun& run) {
  int& k = run.station.announce_next;
  if (k < 0 || k > entry_count(run) || route_sound_playing(run, entry_sound(run, k))) return;
  if (k > 0) route_sound_stop(run, entry_sound(run, k - 1));
  route_sound_restart(run, entry_sound(run, k));
  const int prob = station_at(run.route, k).prob;
  if (prob > 0 && random_below(run.rng, prob) <= kPassengerOdds) {
    run.announce.announce_event = true;
    run.announce.announce_event_tick = run.train.motion.sim_ticks;
  }
  k += 1;
}

void announce_previous(const SoundRun& run) {
  int& k = run.station.announce_next;
  if (k <= 0) return;
  route_sound_stop(run, entry_sound(run, k - 1));
  k -= 1;
}

void announce_event_step(const SoundRun& run) {
  AnnounceState& a = run.announce;
  const int k = run.station.announce_next;
  if (k <= 0 || !a.announce_event) return;
  // The station's `time` counts tenths of a second; three ticks each.
  const std::int64_t due =
      std::int64_t{a.announce_event_tick} + 3 * std::int64_t{station_at(run.route, k - 1).time};
  if (run.train.motion.sim_ticks <= due) return;
  a.extra_picture4_shown = true;
  a.announce_event = false;
}

void conductor_announcements(const SoundRun& run) {
  const RouteData& r = run.route;
  if (r.one_man != OneManMode::Conductor && r.one_man != OneManMode::OneManAutoAnnounce) return;
  AnnounceState& a = run.announce;
  fit_latches(a, r.announce.size());
  const long double x = run.train.motion.position_cm;
  for (int i = 1; i <= entry_count(run); ++i) {
    const AnnounceData& e = r.announce[static_cast<std::size_t>(i)];
    if (e.station < 0 || e.station >= station_count(r)) continue;
    const long double stop = station_at(r, e.station).position;
    const long double d = 100.0L * e.distance;
    bool here = false;
    if (e.kind == 0)
      here = run.train.motion.stop_distance > kNextStopFar && stop + d <= x &&
             x < stop + d + kPlaceLength;
    else if (e.kind == 1)
      here = stop - d <= x && x < stop - d + kPlaceLength;
    const auto n = static_cast<std::size_t>(i);
    if (!here || a.announce_played[n] || route_sound_playing(run, e.sound)) continue;
    route_sound_restart(run, e.sound);
    a.announce_played[n] = true;
  }
}

void answer_call_step(const SoundRun& run) {
  AnnounceState& a = run.announce;
  const bool down = run.input.key4_held;
  const bool pressed = down && !a.answer_key_down;
  a.answer_key_down = down;
  const RouteData& r = run.route;
  if (!pressed || run.vehicle.key4 != "B" || r.one_man != OneManMode::Conductor) return;
  fit_latches(a, r.announce.size());
  for (int i = 1; i <= entry_count(run); ++i) {
    const AnnounceData& e = r.announce[static_cast<std::size_t>(i)];
    const auto n = static_cast<std::size_t>(i);
    if (!a.announce_played[n] || a.announce_answered[n] || e.answer == 0 ||
        !route_sound_playing(run, e.sound))
      continue;
    kanko_queue_add(run, e.answer);
    a.announce_answered[n] = true;
  }
}

}  // namespace velmora
