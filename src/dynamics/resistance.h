#pragma once
// Adhesion, gradient and tunnel resistance, wheel slip and skid, starting and running
// resistance.

namespace velmora {

struct Run;

// Item 8 of the dynamics step: adhesion, then every resistance into resist_force, with
// slip and skid limiting traction_force.
void resistance_step(Run& run);

}  // namespace velmora
