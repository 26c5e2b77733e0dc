#pragma once
// Air-brake pressures, the compressor and the electric-brake current.

#include "common/fixed4.h"

namespace velmora {

struct BrakeState {
  Fixed4 mr_press;          // kPa, main reservoir; [HighAirPress] at start
  Fixed4 er_press;          // kPa, equalising reservoir
  long double bp_press = 0; // kPa, brake pipe
  long double bp_max = 0;   // kPa, brake-pipe charging limit
  Fixed4 bc_m;              // kPa, motor-car brake cylinders
  Fixed4 bc_t;              // kPa, trailer-car brake cylinders; bc_emergency at start
  Fixed4 sap_press;         // kPa, straight-air pipe
  long double ebrake_current = 0;  // A
  int currentb_row = 0;            // [CurrentB] entry in use
  long double planned_decel = 0;   // km/h/s, minus the planned rate of the electric notch
  bool compressor_on = false;
  Fixed4 air_factor;   // brake-shoe friction factor
  Fixed4 brake_force;  // N, total braking force (magnitude)
};

}  // namespace velmora
