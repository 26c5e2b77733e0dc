#pragma once
// The cab sway spring, driven by changes of acceleration at the end of each dynamics
// step.

namespace velmora {

struct SwayState {
  long double sway_pos = 0.5;  // spring position; rests near 0.403 (offset 0)
  long double sway_vel = 0;    // per frame
  long double accel_now = 0;     // km/h/s from this step's forces
  long double accel_change = 0;  // km/h/s, accel_now - accel_prev
};

}  // namespace velmora
