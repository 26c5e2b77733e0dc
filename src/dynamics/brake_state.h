#pragma once
// Air-brake pressures.

#include "common/fixed4.h"

namespace velmora {

struct BrakeState {
  Fixed4 bc_m;  // kPa, motor-car brake cylinders
  Fixed4 bc_t;  // kPa, trailer-car brake cylinders
};

}  // namespace velmora
