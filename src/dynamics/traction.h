#pragma once
// Tractive effort, the motor-current steps and the ammeter.

namespace velmora {

struct Run;

// Whether the doors let the train take power ([DoorLock]).
bool doors_allow_traction(const Run& run);

// Adds the tractive effort of the vehicle's model to traction_force, then applies the
// reverser. Nothing at or above [MaxSpeed], with the doors interlocked, with the engine
// not running or under a protection override.
void tractive_effort(Run& run);

// The [CurrentP] step timer: a pending step advances after its entry's time.
void current_step_timer(Run& run);

// The ammeter value and its smoothed needle.
void ammeter_step(Run& run);

}  // namespace velmora
