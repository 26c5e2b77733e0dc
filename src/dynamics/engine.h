#pragma once
// The diesel engine and transmission, the starter and the train-settings dialog's actions.

#include "dynamics/train.h"
#include "dynamics/train_io.h"

namespace velmora {

// Engine speed toward the engaged gear's target (dynamics step, diesel cars).
void engine_speed_step(Train& train, const TrainInputs& in);

// Automatic gear selection, then the gear change (route step, diesel cars).
void transmission_step(Train& train, const TrainInputs& in, TrainEvents& events);

// The stall check, then the starter key (route step, every vehicle).
void engine_state_step(Train& train, const TrainInputs& in, TrainEvents& events);

// Train-settings dialog: "始動" starts the engine; "切" stops a running engine.
void jump_engine_start(EngineState& e, TrainEvents& events);
void jump_engine_stop(EngineState& e, TrainEvents& events);

}  // namespace velmora
