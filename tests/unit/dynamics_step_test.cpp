#include <gtest/gtest.h>

#include <cmath>

#include "dynamics/keisan.h"
#include "dynamics/traction.h"
#include "dynamics_fixtures.h"
#include "input/keyboard.h"

namespace velmora {
namespace {

void steps(Run& run, int n) {
  for (int i = 0; i < n; ++i) keisan(run);
}

bool finite_state(const Run& run) {
  return std::isfinite(static_cast<double>(run.motion.speed)) &&
         std::isfinite(static_cast<double>(run.motion.position_cm)) &&
         std::isfinite(static_cast<double>(run.sway.sway_pos)) &&
         std::isfinite(static_cast<double>(run.traction.accel_net));
}

TEST(Dynamics, ABrakedTrainOnAGradientStaysAtRestAndRollsWhenReleased) {
  TestRig rig;
  start_with(rig, table_emu());
  rig.run.motion.gradient = Fixed4(-25);  // downhill
  steps(rig.run, 120);                     // emergency brake from the start
  EXPECT_EQ(rig.run.motion.speed, 0);
  EXPECT_GT(rig.run.brakes.brake_force, 0);

  AsciiDown(rig.run, U'5');  // release everything: the pipe recharges, then the cylinders
  steps(rig.run, 60 * 20);
  EXPECT_GT(rig.run.motion.speed, 1);  // rolls forward, down the hill
}

TEST(Dynamics, AcceleratesThenBrakesToExactlyZeroWithoutReversing) {
  TestRig rig;
  start_with(rig, table_emu());
  AsciiDown(rig.run, U'5');
  for (int i = 0; i < 5; ++i) AsciiDown(rig.run, U'8');
  steps(rig.run, 60 * 40);
  const long double cruising = rig.run.motion.speed;
  EXPECT_GT(cruising, 40);
  EXPECT_LT(cruising, 120);
  EXPECT_GT(rig.run.motion.position_cm, 0);
  EXPECT_EQ(rig.run.handles.power_notch, 5);

  AsciiDown(rig.run, U'5');
  for (int i = 0; i < 7; ++i) AsciiDown(rig.run, U'2');
  long double lowest = cruising;
  int frames = 0;
  while (rig.run.motion.speed != 0 && frames < 60 * 120) {
    keisan(rig.run);
    lowest = std::min(lowest, rig.run.motion.speed);
    ++frames;
  }
  EXPECT_EQ(rig.run.motion.speed, 0);
  EXPECT_GE(lowest, 0);
  const long double stopped_at = rig.run.motion.position_cm;
  steps(rig.run, 120);
  EXPECT_EQ(rig.run.motion.speed, 0);
  EXPECT_EQ(rig.run.motion.position_cm, stopped_at);
}

TEST(Dynamics, WheelSlipHalvesTheAdhesionForceAndSaysSo) {
  TestRig rig;
  start_with(rig, table_emu());
  rig.run.route.route_friction = Fixed4(0.01L);  // wet rails
  AsciiDown(rig.run, U'5');
  for (int i = 0; i < 5; ++i) AsciiDown(rig.run, U'8');
  rig.run.handles.power_notch = 5;
  keisan(rig.run);
  EXPECT_EQ(rig.run.traction.slip_text, "空転");
  // adhesion at standstill is the friction itself; half of it on the 60 t of motor cars
  const long double expected = 0.01L / 2 * 60 * 1000 * 9.8L;
  EXPECT_NEAR(static_cast<double>(rig.run.traction.adhesion), 0.01, 1e-9);
  // the slip force, less the starting and running resistance that follow it
  EXPECT_LT(rig.run.motion.traction_force, expected + 1);
  EXPECT_GT(rig.run.motion.traction_force, expected - 1);
}

TEST(Dynamics, TableTractionFollowsTheNotchRow) {
  TestRig rig;
  start_with(rig, table_emu());
  HandleState& h = rig.run.handles;
  h.brake_handle = h.brake_notch = 0;
  h.power_notch = 2;  // acc0 1.2, acc1 1.0, speed1 30, speed2 60, exponent 2
  const std::pair<long double, long double> at[] = {
      {0, 1.2L}, {15, 1.1L}, {40, 30 * 1.0L / 40}, {80, 1.0L * 30 / 60 * 60 * 60 / (80.0L * 80)}};
  for (const auto& [speed, accel] : at) {
    rig.run.motion.speed = speed;
    rig.run.motion.traction_force = Fixed4();
    tractive_effort(rig.run);
    EXPECT_NEAR(static_cast<double>(rig.run.motion.traction_force), static_cast<double>(accel / 3.6L * 120 * 1000), 0.01)
        << static_cast<double>(speed);
  }
  h.reverser = -1;
  rig.run.motion.speed = 0;
  rig.run.motion.traction_force = Fixed4();
  tractive_effort(rig.run);
  EXPECT_LT(rig.run.motion.traction_force, 0);
  h.ats_service = true;  // protection cuts traction
  rig.run.motion.traction_force = Fixed4();
  tractive_effort(rig.run);
  EXPECT_EQ(rig.run.motion.traction_force.raw(), 0);
}

TEST(Dynamics, DieselBelowPowerJerkPullsWithTwoNotches) {
  TestRig rig;
  VehicleData v = table_emu();
  v.engine_type = 0;
  v.power = 5;
  v.power_jerk = 10;
  v.engine = {{0, 40, 60, 2.0L, 1.0L, 0.5L}};
  start_with(rig, v);
  HandleState& h = rig.run.handles;
  h.power_notch = 5;
  const auto force_at = [&](long double speed) {
    rig.run.motion.speed = speed;
    rig.run.motion.traction_force = Fixed4();
    tractive_effort(rig.run);
    return static_cast<long double>(rig.run.motion.traction_force);
  };
  const auto base = [](long double speed) { return ((1.0L - 2.0L) / 40 * speed + 2.0L) * 9.8L / 5; };
  EXPECT_NEAR(static_cast<double>(force_at(5)), static_cast<double>(base(5) * 2 * 10000), 0.01);
  EXPECT_NEAR(static_cast<double>(force_at(20)), static_cast<double>(base(20) * 5 * 10000), 0.01);
  EXPECT_EQ(force_at(70), 0);  // beyond this gear's speed2
}

TEST(Dynamics, AmmeterModeOneRisesWithSpeedUpToTheTopNotchSpeed) {
  TestRig rig;
  start_with(rig, table_emu());
  TractionState& t = rig.run.traction;
  rig.run.handles.power_notch = 5;
  t.traction_delayed = Fixed4(120 * 1000 / 3.6L);  // 1 km/h/s
  const std::pair<long double, int> at[] = {{0, 0}, {15, 50}, {30, 100}, {50, 100}};
  for (const auto& [speed, value] : at) {
    rig.run.motion.speed = speed;
    ammeter_step(rig.run);
    EXPECT_EQ(t.ammeter_value, value) << static_cast<double>(speed);
  }
}

TEST(Dynamics, CurrentModelStepsUpUnderPowerAndBackToZeroWithoutIt) {
  TestRig rig;
  VehicleData v = table_emu();
  v.power_type = 0;
  v.current_p_reference = 300;
  v.current_p_accel = 3;
  v.current_p_falloff_speed = 40;
  v.current_p = {{1, 3000, -10, 100, 0}, {1, 6000, -5, 100, 0}, {2, 9000, 0, 100, 0}};
  start_with(rig, v);
  HandleState& h = rig.run.handles;
  TractionState& t = rig.run.traction;
  h.power_handle = h.power_notch = 2;
  rig.run.motion.speed = 20;
  ammeter_step(rig.run);
  EXPECT_EQ(t.motor_current, 100);  // 3000 / (20 + 10)
  EXPECT_TRUE(t.step_pending);
  rig.run.frame.frame_ms = 50;
  for (int i = 0; i < 2; ++i) current_step_timer(rig.run);
  EXPECT_EQ(t.current_step, 1);
  h.power_notch = 0;
  ammeter_step(rig.run);
  EXPECT_EQ(t.current_step, 0);
  EXPECT_EQ(t.motor_current, 0);
}

TEST(Dynamics, DegenerateDataNeverMakesNaN) {
  TestRig rig;
  VehicleData v = table_emu();
  v.tons = {Fixed4(0), Fixed4(0)};
  v.mt = v.tt = v.tons;
  v.eb_press = {0, 0};
  v.notch[0] = {1, 1, 0, 0, 2, 0};  // speeds of zero
  start_with(rig, v);
  AsciiDown(rig.run, U'5');
  AsciiDown(rig.run, U'8');
  rig.run.handles.power_notch = 1;
  steps(rig.run, 60);
  EXPECT_TRUE(finite_state(rig.run));
  EXPECT_EQ(rig.run.motion.speed, 0);
}

}  // namespace
}  // namespace velmora
