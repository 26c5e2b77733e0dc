#pragma once
// The calls the route asks for: signal calls of [SignalKanko], the time call, the time check
// of [Time] and the station calls of [StationKanko]. They only queue voices (call_queue.h).

#include "sound/sound_run.h"

namespace velmora {

// The [SignalKanko] calls of the signal in view: kind 1 runs the entries of type 0, kind 2
// those of types 2 and 1 (a type 1 value of 999 or more is a time call).
void kanko_add(const SoundRun& run, int kind);

// How far the clock is from `scheduled` (ticks): "on time" within 15 s, else the amount in
// 15 s steps and whether late or early (type 0 or 1 pick the words); 195 s or more off, none.
void Timekanko(const SoundRun& run, int scheduled, int type);

// The time call of the [Time] entries the train stands at; does nothing unless t is 0.
void Timecheck(const SoundRun& run, int t);

// The [StationKanko] calls of `event` (0..5) at `station`; event 4 first queues the call of
// powering away. Each is also written as a "station_call EVENT STATION" event.
void station_call(const SoundRun& run, int event, int station);

}  // namespace velmora
