#include "dynamics/keisan.h"

#include "app/run.h"
#include "dynamics/cab_sway.h"
#include "dynamics/handles.h"

namespace velmora {

void keisan(Run& run) {
  // Traction, resistance, adhesion, brakes and the engine join around the two delay steps.
  power_delay_step(run);
  brake_delay_step(run);
  const long double accel_now = accel_from_forces(
      run.motion.traction_force, run.motion.resist_force, run.load.total_mass);
  cab_sway_step(run.sway, run.frame.fps, accel_now, run.frame.accel_prev);
}

}  // namespace velmora
