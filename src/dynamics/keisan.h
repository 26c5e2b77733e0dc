#pragma once
// The dynamics step.

namespace velmora {

struct Run;

// The dynamics step: forces, speed, position and clock for one frame, then the cab sway.
void keisan(Run& run);

}  // namespace velmora
