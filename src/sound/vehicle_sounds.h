#pragma once
// The vehicle's sounds by their sound number, as the driver's commands and the handle
// logic ask for them. Sound number 0 (or one without a loaded sound) is silence.

#include "sound/sound_run.h"

namespace velmora {

void vehicle_sound_play(const SoundRun& run, int number);     // once from the start
void vehicle_sound_restart(const SoundRun& run, int number);  // stop, then once from the start
void vehicle_sound_loop(const SoundRun& run, int number);     // in a loop
void vehicle_sound_stop(const SoundRun& run, int number);
bool vehicle_sound_playing(const SoundRun& run, int number);

// The handle sounds for a change of handle positions made by a typed command, from the
// positions the last such command left (controllers make no handle sound).
void handle_sounds(const SoundRun& run, int power_before, int brake_before);

}  // namespace velmora
