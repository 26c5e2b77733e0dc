#pragma once
// Speed, position, clock and forces: written by the dynamics step (and by the film stop
// points, which can stop the train dead).

#include <vector>

#include "common/fixed4.h"

namespace velmora {

struct MotionState {
  long double speed = 0;        // km/h, signed: negative when running backwards
  long double position_cm = 0;  // cm along the line
  int sim_ticks = 0;            // 1/30 s ticks since midnight
  long double film_speed = 0;   // km/h at which the film was taken at film_frame
  Fixed4 traction_force;        // N, sum of the last dynamics step
  Fixed4 resist_force;          // N, sum of the last dynamics step
  long double stop_distance = 0;  // cm to the stop position
  Fixed4 gradient;              // per mille under the train, uphill positive
  std::vector<int> car_gradients;  // per mille under each car, front first
  long double last_sample_cm = 0;  // position of the last gradient sample
  bool in_tunnel = false;       // inside a tunnel (set by the route step)
  int tunnel_level = 0;         // 0 outside, rising over the first and falling over the last 15 m
  int speedunit_seg = -1;       // [SpeedUnit] segment of film_frame; -1 before the first
};

}  // namespace velmora
