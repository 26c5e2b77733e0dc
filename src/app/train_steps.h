#pragma once
// The train's steps as the run calls them: each builds the train's inputs from the run,
// runs the step on run.train and hands its events on to sound, the cab panel and the
// station rules in the same pass.

#include "dynamics/train_io.h"

namespace velmora {

struct Run;

// What the train reads from the other subsystems now.
TrainInputs train_inputs(const Run& run);

// The others' answers to the train's events, in the order the train raised them.
void apply_train_events(Run& run, const TrainEvents& events);

// The dynamics step: keisan, the preceding train on the clock of before the step, then
// keisan_advance.
void keisan(Run& run);

void reset_handles(Run& run);
void reset_brakes(Run& run);
void masconupdate(Run& run);
void set_handle_latches(Run& run);
void set_brake_latches(Run& run);
void suppression_reset(Run& run);
void update_gear_label(Run& run);
bool doors_allow_traction(const Run& run);

// Route step.
void tunnel_step(Run& run);
void sample_gradient(Run& run);
// The compressor, then the horns' air use while their sounds play.
void compressor_step(Run& run);
void transmission_step(Run& run);
void engine_state_step(Run& run);
void rollback_protection(Run& run);

// Train-settings dialog: train protection on or off.
void jump_ats(Run& run, bool on);
// Train-settings dialog: "始動" starts the engine at once (after the 700 ms the dialog
// waits); "切" stops a running engine.
void jump_engine_start(Run& run);
void jump_engine_stop(Run& run);

}  // namespace velmora
