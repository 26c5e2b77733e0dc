#pragma once
// The dynamics step.

#include "dynamics/train.h"
#include "dynamics/train_io.h"

namespace velmora {

// The dynamics step, first part: forces, speed, pressures and the film speed for one
// frame. The preceding train runs between the two parts, on the clock of before the step.
void keisan(Train& train, const TrainInputs& in, TrainEvents& events);

// The dynamics step, second part: position and clock, the ammeter and electric brake,
// then the cab sway.
void keisan_advance(Train& train, const TrainInputs& in, TrainEvents& events);

}  // namespace velmora
