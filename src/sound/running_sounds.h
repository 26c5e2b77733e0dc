#pragma once
// The running sounds of the train, once per frame: the running-noise bands, the traction
// motors of an electric car or the engine, idling and gearbox of a diesel car.

namespace velmora {

struct Run;

void running_noise_step(Run& run);
void electric_motor_step(Run& run);
void diesel_engine_step(Run& run);
void engine_idle_step(Run& run);
void gear_sounds_step(Run& run);

// The faders and levels as after loading: every one at 1.
void reset_running_sounds(Run& run);

}  // namespace velmora
