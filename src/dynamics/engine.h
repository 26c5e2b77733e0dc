#pragma once
// The diesel engine and transmission, the starter and the train-settings dialog's actions.

namespace velmora {

struct Run;

// Engine speed toward the engaged gear's target (dynamics step, diesel cars).
void engine_speed_step(Run& run);

// Automatic gear selection, then the gear change (route step, diesel cars).
void transmission_step(Run& run);

// The stall check, then the starter key (route step, every vehicle).
void engine_state_step(Run& run);

// Train-settings dialog: train protection on or off.
void jump_ats(Run& run, bool on);
// Train-settings dialog: "始動" starts the engine at once (after the 700 ms the dialog
// waits); "切" stops a running engine.
void jump_engine_start(Run& run);
void jump_engine_stop(Run& run);

}  // namespace velmora
