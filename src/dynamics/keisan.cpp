#include "dynamics/keisan.h"

#include "dynamics/brakes.h"
#include "dynamics/cab_sway.h"
#include "dynamics/engine.h"
#include "dynamics/handles.h"
#include "dynamics/motion.h"
#include "dynamics/resistance.h"
#include "dynamics/traction.h"

namespace velmora {

void keisan(Train& train, const TrainInputs& in, TrainEvents&) {
  MotionState& m = train.motion;
  TractionState& t = train.traction;
  m.traction_force = Fixed4();
  m.resist_force = Fixed4();
  tractive_effort(train, in);
  t.traction_only = m.traction_force;
  current_step_timer(t, in);
  power_delay_step(train, in);
  t.traction_delayed = m.traction_force;

  brake_force_step(train, in);
  if (m.speed > 0)
    m.traction_force -= train.brakes.brake_force;
  else if (m.speed < 0)
    m.traction_force += train.brakes.brake_force;

  resistance_step(train, in);
  integrate_speed(train, in);
  const long double M = in.load.total_mass;
  if (M > 0) {
    t.accel_traction = m.traction_force / (M * 1000) * 3.6L;
    t.accel_net = (m.traction_force + m.resist_force) / (M * 1000) * 3.6L;
  }

  brake_pressure_step(train, in);
  brake_delay_step(train, in);
  if (in.vehicle.engine_type == EngineType::Diesel) engine_speed_step(train, in);
  anchor_film_speed(m, in);
}

void keisan_advance(Train& train, const TrainInputs& in, TrainEvents& events) {
  MotionState& m = train.motion;
  advance_position_and_clock(train, in, events);
  if (in.auto_run) m.speed = m.film_speed;
  ammeter_step(train, in);
  electric_brake_step(train, in);

  cab_sway_step(train.sway, in.fps, accel_from_forces(m.traction_force, m.resist_force, in.load.total_mass),
                in.accel_prev);
}

}  // namespace velmora
