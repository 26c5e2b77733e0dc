#pragma once
// The cab's equipment sounds, once per frame before the running sounds: brake squeal, the
// air-brake valves and the emergency valve, electro-pneumatic brake steps, horns, the stop
// alert, buzzer and hastening on key 4, the notching of the motor-current model and the
// warning while protection is cut out.

namespace velmora {

struct Run;

void brake_squeal_step(Run& run);
void air_valve_step(Run& run);
void emergency_valve_step(Run& run);
void brake_step_sounds(Run& run);
void horn_step(Run& run);
void stop_alert_step(Run& run);
void key4_sounds_step(Run& run);
void notching_sound_step(Run& run);
void ats_warn_step(Run& run);

}  // namespace velmora
