#pragma once
// The train's own state: everything the dynamics writes, in one struct. Everything else
// reads it through the run.

#include "dynamics/brake_state.h"
#include "dynamics/engine_state.h"
#include "dynamics/handle_state.h"
#include "dynamics/motion_state.h"
#include "dynamics/sway_state.h"
#include "dynamics/traction_state.h"

namespace velmora {

struct Train {
  HandleState handles;
  MotionState motion;
  TractionState traction;
  BrakeState brakes;
  EngineState engine;
  SwayState sway;
};

}  // namespace velmora
