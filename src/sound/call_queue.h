#pragma once
// The queue the calls are spoken from, one after the other, on the call channel. Each call
// queued is written as a "call SLOT FILE" event; one that finds the queue full is lost
// ("call_lost SLOT FILE").

#include "sound/sound_run.h"

namespace velmora {

// The [KankoSound1] (0..21) or [KankoSound2] (22 on) voice in `slot`. A slot outside the
// table or without a voice queues nothing.
void kanko_queue_add(const SoundRun& run, int slot);
// The [OtherKanko] / [LimitKanko] voice for that sign picture (events "O<index>", "L<index>").
void queue_other_call(const SoundRun& run, int index);
void queue_limit_call(const SoundRun& run, int index);

// Whether the sign picture has a voice of its own in [OtherKanko] / [LimitKanko].
bool has_other_call(const SoundRun& run, int index);
bool has_limit_call(const SoundRun& run, int index);

// The player, once per route step: hands the head of the queue to the call channel when the
// call before it has ended. With calls switched off it advances one entry per pass, silently.
void kanko_queue_play(const SoundRun& run);

// Empties the queue (a station jump); the call channel has been stopped with the others.
void clear_call_queue(const SoundRun& run);

}  // namespace velmora
