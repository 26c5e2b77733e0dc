#include "dynamics/cab_sway.h"

namespace velmora {

long double accel_from_forces(Fixed4 traction_force, Fixed4 resist_force, Fixed4 total_mass) {
  if (total_mass.raw() <= 0) return 0;
  return (traction_force + resist_force) / (total_mass * 1000.0L) * 3.6L;
}

void cab_sway_step(SwayState& sway, int fps, long double accel_now, long double accel_prev) {
  const long double force = (0.03L - sway.sway_pos) * 42000.0L;
  const long double acc = force / 16000.0L;
  sway.sway_vel = (sway.sway_vel + acc / fps + 0.98L / fps) * 0.95L;
  // The change left by the previous step kicks the spring.
  sway.sway_vel += 0.01L * sway.accel_change;
  sway.sway_pos += sway.sway_vel;
  sway.accel_now = accel_now;
  sway.accel_change = accel_now - accel_prev;
}

}  // namespace velmora
