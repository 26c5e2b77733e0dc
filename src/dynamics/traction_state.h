#pragma once
// Forces, adhesion, slip, the motor current and the ammeter of the dynamics step.

#include <string>

#include "common/fixed4.h"

namespace velmora {

struct TractionState {
  Fixed4 traction_only;     // N, tractive force before the brakes (standstill test)
  Fixed4 traction_delayed;  // N, tractive force after the power delay (ammeter)
  Fixed4 adhesion;          // adhesion coefficient of this step
  Fixed4 adh_limit;         // N, force at which the wheels slip or skid
  // N, the magnitude of the resistances in resist_force that oppose the motion (tunnel,
  // starting and running resistance; gravity is not among them)
  long double motion_resistance = 0;
  Fixed4 speed_next;        // km/h, predicted speed of the stopping rule
  std::string slip_text;    // "空転" slipping, "滑走" skidding, else empty
  int motor_current = 0;    // A, current-model traction
  int current_step = 0;     // step in the [CurrentP] list
  bool step_pending = false;
  int step_timer = 0;       // ms
  int ammeter_value = 0;    // A, negative while braking electrically
  long double ammeter_needle = 0;  // A, smoothed
  long double accel_traction = 0;  // km/h/s, display
  long double accel_net = 0;       // km/h/s, display
  long double tick_ms = 0;         // ms not yet counted as clock ticks
};

}  // namespace velmora
