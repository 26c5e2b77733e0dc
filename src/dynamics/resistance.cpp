#include "dynamics/resistance.h"

#include <cmath>


namespace velmora {
namespace {

constexpr long double kG = 9.8L;

// Against the motion: subtracted while running forward (or standing), added backwards.
void oppose_motion(MotionState& m, TractionState& t, long double force) {
  if (m.speed >= 0)
    m.resist_force -= force;
  else
    m.resist_force += force;
  t.motion_resistance += force;
}

}  // namespace

void resistance_step(Train& train, const TrainInputs& in) {
  MotionState& m = train.motion;
  TractionState& t = train.traction;
  const HandleState& h = train.handles;
  const VehicleData& v = in.vehicle;
  const long double speed = std::fabs(m.speed);
  const long double M = in.load.total_mass;
  const long double friction = in.route.route_friction;
  // Diesel cars drive on every axle; electric cars only on the motor cars'.
  const long double driven = v.engine_type == EngineType::Diesel ? M : in.load.motor_mass.value();

  if (h.power_notch > 0)
    t.adhesion = (1 + 0.279L * speed) / (1 + 0.367L * speed) * friction;
  else if (h.brake_notch < 0)
    t.adhesion = friction / (1 + 0.0059L * speed);

  t.motion_resistance = 0;
  // Gravity pulls the same way whichever way the train runs.
  const long double G = m.gradient;
  m.resist_force += -kG * 1000 * M * G / std::sqrt(G * G + 1000 * 1000);

  if (m.in_tunnel) oppose_motion(m, t, in.route.tunnel_r / 10000.0L * speed * speed * M * kG);

  if (h.power_notch > 0)
    t.adh_limit = t.adhesion * driven * 1000 * kG + m.resist_force;
  else if (h.brake_notch < 0)
    t.adh_limit = t.adhesion * M * 1000 * kG + m.resist_force;

  if (h.power_notch > 0 && m.traction_force > t.adh_limit) {
    m.traction_force = t.adhesion / 2 * driven * 1000 * kG;
    t.slip_text = "空転";
  } else if (h.brake_notch < 0 && m.traction_force < -t.adh_limit) {
    m.traction_force = -t.adhesion * 0.66L * M * 1000 * kG;
    t.slip_text = "滑走";
  } else {
    t.slip_text.clear();
  }

  if (h.power_notch > 0 && speed < 3 && m.resist_force >= 0) oppose_motion(m, t, (3 - speed) * kG * M);

  const long double running =
      kG * (1.32L * M + 0.0164L * M * speed + (0.028L + 0.0078L * (v.cars - 1)) * speed * speed);
  if (m.speed > 0.1L || m.speed < -0.1L) oppose_motion(m, t, running);
}

}  // namespace velmora
