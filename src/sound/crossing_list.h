#pragma once
// The level crossings ahead that still wait for the driver's call, nearest first. A crossing
// joins the list over the 20 film frames from its announce frame and leaves it over the 20
// from its passed frame, or when it has been called.

#include "sound/sound_run.h"

namespace velmora {

// Once per route step, for each [Cross] entry in file order.
void crossing_list_step(const SoundRun& run);

// Enter at a lit crossing light: queues the first crossing's call and drops it from the list.
void crossing_call(const SoundRun& run);

// Removes the first crossing; an emptied list puts the crossing light out of the calls' view.
void drop_first_crossing(const SoundRun& run);

// The crossings between their announce and passed frames at the train's frame, in file
// order: the list after a station jump.
void rebuild_crossing_list(const SoundRun& run);

}  // namespace velmora
