#pragma once
// Adhesion, gradient and tunnel resistance, wheel slip and skid, starting and running
// resistance.

#include "dynamics/train.h"
#include "dynamics/train_io.h"

namespace velmora {

// Item 8 of the dynamics step: adhesion, then every resistance into resist_force, with
// slip and skid limiting traction_force.
void resistance_step(Train& train, const TrainInputs& in);

}  // namespace velmora
