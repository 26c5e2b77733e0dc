#include "sound/calls.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "sound/call_queue.h"
#include "sound/enter_call.h"
#include "sound/sound_run.h"

namespace velmora {
namespace {

constexpr std::int64_t kTimeUnit = 15 * 30;  // ticks: the time call counts in 15 s steps
constexpr int kOnTimeSlot = 18;
constexpr int kPowerAwaySlot = 20;
constexpr int kAsEnter = 999;     // a [StationKanko] value that acts as the Enter key
constexpr int kFirstTime = 1000;  // values from here on are clock times

// The [StationKanko] type that runs at each station event.
int station_kanko_type(int event) {
  constexpr int kTypes[] = {4, 0, 1, 2, 3, 5};
  return event >= 0 && event <= 5 ? kTypes[event] : -1;
}

void call_value(const SoundRun& run, int value) {
  if (value >= kFirstTime)
    Timekanko(run, value, 0);
  else if (value == kAsEnter)
    enter_call(run);
  else
    kanko_queue_add(run, value);
}

}  // namespace

void kanko_add(const SoundRun& run, int kind) {
  const int signal = run.signals.shown_signal;
  if (signal == kNoSignal) return;
  const bool at_stop = image_call_slot(run.signals.signal_image_now) == kStopCallSlot;
  for (const SignalKankoData& e : run.route.signal_kanko) {
    if (e.signal != signal) continue;
    const bool runs = kind == 1 ? e.type == 0 : kind == 2 && (e.type == 1 || e.type == 2);
    if (!runs) continue;
    // A call marked so is not made while the signal shows stop; nor is any after it.
    if (at_stop && e.suppress == 1) return;
    // Here 999 already counts as a clock time: a signal call never stands for Enter.
    if (e.type == 1 && e.value >= kAsEnter)
      Timekanko(run, e.value, 0);
    else
      kanko_queue_add(run, e.value);
  }
}

void Timekanko(const SoundRun& run, int scheduled, int type) {
  const std::int64_t now = run.train.motion.sim_ticks;
  const std::int64_t off = std::llabs(now - static_cast<std::int64_t>(scheduled));
  if (off <= kTimeUnit) {
    kanko_queue_add(run, kOnTimeSlot);
    return;
  }
  if (off >= 13 * kTimeUnit) return;
  int n = 1;
  while (n < 12 && off > (n + 1) * kTimeUnit) ++n;
  kanko_queue_add(run, 5 + n);  // slot 6 just over 15 s ... slot 17 over 180 s
  const bool late = now > scheduled;
  kanko_queue_add(run, late ? (type == 0 ? 13 : 14) : (type == 0 ? 15 : 16));
}

void Timecheck(const SoundRun& run, int t) {
  if (t != 0) return;
  const int f = run.film.film_frame;
  for (const TimeCheckData& e : run.route.time_checks)
    if (e.first_frame < f && f < e.end_frame) Timekanko(run, e.scheduled, 1);
}

void station_call(const SoundRun& run, int event, int station) {
  run.platform.events.event("station_call", std::to_string(event) + " " + std::to_string(station));
  const int type = station_kanko_type(event);
  if (type < 0) return;
  if (event == 4) kanko_queue_add(run, kPowerAwaySlot);
  for (const StationKankoData& e : run.route.station_kanko)
    if (e.station == station && e.event == type) call_value(run, e.value);
}

}  // namespace velmora
