#pragma once
// The cab sway: a damped spring that makes the panel bob when the acceleration changes.

#include "common/fixed4.h"
#include "dynamics/sway_state.h"

namespace velmora {

// km/h/s from the two force sums (N) and the train mass (t). A train without mass has
// no acceleration rather than a NaN that would spread through every later step.
long double accel_from_forces(Fixed4 traction_force, Fixed4 resist_force, Fixed4 total_mass);

// One step of the spring at the end of the dynamics step, then the acceleration of this
// step and its change since the previous one.
void cab_sway_step(SwayState& sway, int fps, long double accel_now, long double accel_prev);

}  // namespace velmora
