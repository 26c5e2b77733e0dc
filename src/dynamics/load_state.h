#pragma once
// Masses and brake limits after passenger-load compensation, set first in every frame.

#include "common/fixed4.h"

namespace velmora {

struct LoadState {
  Fixed4 total_mass;    // t, whole train
  Fixed4 motor_mass;    // t, motor cars
  Fixed4 trailer_mass;  // t, trailer cars
  int bc_max = 0;        // kPa, highest service brake-cylinder pressure
  int bc_emergency = 0;  // kPa, emergency brake-cylinder pressure
  int sap_max = 0;       // kPa, highest straight-air-pipe pressure
};

}  // namespace velmora
