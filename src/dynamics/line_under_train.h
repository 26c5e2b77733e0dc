#pragma once
// What the line does under the train: the gradient each car stands on and the tunnels.

#include "dynamics/train_io.h"
#include "dynamics/motion_state.h"

namespace velmora {

// Once a car length has been run, the gradients move back one car and the front car takes
// the gradient at film_frame; the train feels their mean.
void sample_gradient(MotionState& m, const TrainInputs& in);

// Whether the train is in a tunnel, and the tunnel level for the cab panel.
void tunnel_step(MotionState& m, const RouteData& route);

}  // namespace velmora
