#pragma once
// The route's sounds ([SoundData]) by their sound number, on channel nV + number. A number
// outside the table, or an empty entry, is silence.

#include "sound/sound_run.h"

namespace velmora {

void route_sound_restart(const SoundRun& run, int number);  // stop, then once from the start
void route_sound_loop(const SoundRun& run, int number);     // in a loop from the start
void route_sound_stop(const SoundRun& run, int number);
bool route_sound_playing(const SoundRun& run, int number);
void route_sound_volume(const SoundRun& run, int number, int volume);  // hundredths of a dB

// The sound's length in whole seconds; 0 for an empty entry or a number outside the table.
int route_sound_seconds(const SoundRun& run, int number);

}  // namespace velmora
