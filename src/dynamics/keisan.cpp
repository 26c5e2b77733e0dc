#include "dynamics/keisan.h"

#include "app/run.h"
#include "dynamics/brakes.h"
#include "dynamics/cab_sway.h"
#include "dynamics/engine.h"
#include "dynamics/handles.h"
#include "dynamics/motion.h"
#include "dynamics/resistance.h"
#include "dynamics/traction.h"
#include "route/signals.h"

namespace velmora {

void keisan(Run& run) {
  MotionState& m = run.motion;
  TractionState& t = run.traction;
  m.traction_force = Fixed4();
  m.resist_force = Fixed4();
  tractive_effort(run);
  t.traction_only = m.traction_force;
  current_step_timer(run);
  power_delay_step(run);
  t.traction_delayed = m.traction_force;

  brake_force_step(run);
  if (m.speed > 0)
    m.traction_force -= run.brakes.brake_force;
  else if (m.speed < 0)
    m.traction_force += run.brakes.brake_force;

  resistance_step(run);
  integrate_speed(run);
  const long double M = run.load.total_mass;
  if (M > 0) {
    t.accel_traction = m.traction_force / (M * 1000) * 3.6L;
    t.accel_net = (m.traction_force + m.resist_force) / (M * 1000) * 3.6L;
  }

  brake_pressure_step(run);
  brake_delay_step(run);
  if (run.vehicle.engine_type == EngineType::Diesel) engine_speed_step(run);
  anchor_film_speed(run);
  pre_train_step(run);
  advance_position_and_clock(run);
  if (run.input.auto_run) m.speed = m.film_speed;
  ammeter_step(run);
  electric_brake_step(run);

  cab_sway_step(run.sway, run.frame.fps, accel_from_forces(m.traction_force, m.resist_force, run.load.total_mass),
                run.frame.accel_prev);
}

}  // namespace velmora
