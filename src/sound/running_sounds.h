#pragma once
// The running sounds of the train, once per frame: the running-noise bands, the traction
// motors of an electric car or the engine, idling and gearbox of a diesel car.

#include "sound/sound_run.h"

namespace velmora {

void running_noise_step(const SoundRun& run);
void electric_motor_step(const SoundRun& run);
void diesel_engine_step(const SoundRun& run);
void engine_idle_step(const SoundRun& run);
void gear_sounds_step(const SoundRun& run);

// The faders and levels as after loading: every one at 1.
void reset_running_sounds(const SoundRun& run);

}  // namespace velmora
