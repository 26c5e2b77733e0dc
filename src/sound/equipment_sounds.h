#pragma once
// The cab's equipment sounds, once per frame before the running sounds: brake squeal, the
// air-brake valves and the emergency valve, electro-pneumatic brake steps, horns, the stop
// alert, buzzer and hastening on key 4, the notching of the motor-current model and the
// warning while protection is cut out.

#include "sound/sound_run.h"

namespace velmora {

void brake_squeal_step(const SoundRun& run);
void air_valve_step(const SoundRun& run);
void emergency_valve_step(const SoundRun& run);
void brake_step_sounds(const SoundRun& run);
void horn_step(const SoundRun& run);
void stop_alert_step(const SoundRun& run);
void key4_sounds_step(const SoundRun& run);
void notching_sound_step(const SoundRun& run);
void ats_warn_step(const SoundRun& run);

}  // namespace velmora
