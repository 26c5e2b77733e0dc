#pragma once
// Tractive effort, the motor-current steps and the ammeter.

#include "dynamics/train.h"
#include "dynamics/train_io.h"

namespace velmora {

// Whether the doors let the train take power ([DoorLock]).
bool doors_allow_traction(const VehicleData& vehicle, bool doors_open);

// Adds the tractive effort of the vehicle's model to traction_force, then applies the
// reverser. Nothing at or above [MaxSpeed], with the doors interlocked, with the engine
// not running or under a protection override.
void tractive_effort(Train& train, const TrainInputs& in);

// The [CurrentP] step timer: a pending step advances after its entry's time.
void current_step_timer(TractionState& t, const TrainInputs& in);

// The ammeter value and its smoothed needle.
void ammeter_step(Train& train, const TrainInputs& in);

}  // namespace velmora
