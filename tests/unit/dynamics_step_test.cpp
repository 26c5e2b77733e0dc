#include <gtest/gtest.h>

#include <cmath>

#include "app/train_steps.h"
#include "dynamics/keisan.h"
#include "dynamics/motion.h"
#include "dynamics/resistance.h"
#include "dynamics/traction.h"
#include "dynamics_fixtures.h"
#include "input/keyboard.h"

namespace velmora {
namespace {

void steps(Run& run, int n) {
  for (int i = 0; i < n; ++i) keisan(run);
}

bool finite_state(const Run& run) {
  return std::isfinite(static_cast<double>(run.train.motion.speed)) &&
         std::isfinite(static_cast<double>(run.train.motion.position_cm)) &&
         std::isfinite(static_cast<double>(run.train.sway.sway_pos)) &&
         std::isfinite(static_cast<double>(run.train.traction.accel_net));
}

TEST(Dynamics, ABrakedTrainOnAGradientStaysAtRestAndRollsWhenReleased) {
  TestRig rig;
  start_with(rig, table_emu());
  rig.run.train.motion.gradient = Fixed4(-25);  // downhill
  steps(rig.run, 120);                     // emergency brake from the start
  EXPECT_EQ(rig.run.train.motion.speed, 0);
  EXPECT_GT(rig.run.train.brakes.brake_force, 0);

  AsciiDown(rig.run, U'5');  // release everything: the pipe recharges, then the cylinders
  steps(rig.run, 60 * 20);
  EXPECT_GT(rig.run.train.motion.speed, 1);  // rolls forward, down the hill
}

TEST(Dynamics, AcceleratesThenBrakesToExactlyZeroWithoutReversing) {
  TestRig rig;
  start_with(rig, table_emu());
  AsciiDown(rig.run, U'5');
  for (int i = 0; i < 5; ++i) AsciiDown(rig.run, U'8');
  steps(rig.run, 60 * 40);
  const long double cruising = rig.run.train.motion.speed;
  EXPECT_GT(cruising, 40);
  EXPECT_LT(cruising, 120);
  EXPECT_GT(rig.run.train.motion.position_cm, 0);
  EXPECT_EQ(rig.run.train.handles.power_notch, 5);

  AsciiDown(rig.run, U'5');
  for (int i = 0; i < 7; ++i) AsciiDown(rig.run, U'2');
  long double lowest = cruising;
  int frames = 0;
  while (rig.run.train.motion.speed != 0 && frames < 60 * 120) {
    keisan(rig.run);
    lowest = std::min(lowest, rig.run.train.motion.speed);
    ++frames;
  }
  EXPECT_EQ(rig.run.train.motion.speed, 0);
  EXPECT_GE(lowest, 0);
  const long double stopped_at = rig.run.train.motion.position_cm;
  steps(rig.run, 120);
  EXPECT_EQ(rig.run.train.motion.speed, 0);
  EXPECT_EQ(rig.run.train.motion.position_cm, stopped_at);
}

TEST(Dynamics, WheelSlipHalvesTheAdhesionForceAndSaysSo) {
  TestRig rig;
  start_with(rig, table_emu());
  rig.run.route.route_friction = Fixed4(0.01L);  // wet rails
  AsciiDown(rig.run, U'5');
  for (int i = 0; i < 5; ++i) AsciiDown(rig.run, U'8');
  rig.run.train.handles.power_notch = 5;
  keisan(rig.run);
  EXPECT_EQ(rig.run.train.traction.slip_text, "空転");
  // adhesion at standstill is the friction itself; half of it on the 60 t of motor cars
  const long double expected = 0.01L / 2 * 60 * 1000 * 9.8L;
  EXPECT_NEAR(static_cast<double>(rig.run.train.traction.adhesion), 0.01, 1e-9);
  // the slip force, less the starting and running resistance that follow it
  EXPECT_LT(rig.run.train.motion.traction_force, expected + 1);
  EXPECT_GT(rig.run.train.motion.traction_force, expected - 1);
}

TEST(Dynamics, TableTractionFollowsTheNotchRow) {
  TrainRig rig(table_emu());
  HandleState& h = rig.train.handles;
  h.brake_handle = h.brake_notch = 0;
  h.power_notch = 2;  // acc0 1.2, acc1 1.0, speed1 30, speed2 60, exponent 2
  const std::pair<long double, long double> at[] = {
      {0, 1.2L}, {15, 1.1L}, {40, 30 * 1.0L / 40}, {80, 1.0L * 30 / 60 * 60 * 60 / (80.0L * 80)}};
  for (const auto& [speed, accel] : at) {
    rig.train.motion.speed = speed;
    rig.train.motion.traction_force = Fixed4();
    tractive_effort(rig.train, rig.in);
    EXPECT_NEAR(static_cast<double>(rig.train.motion.traction_force), static_cast<double>(accel / 3.6L * 120 * 1000), 0.01)
        << static_cast<double>(speed);
  }
  h.reverser = -1;
  rig.train.motion.speed = 0;
  rig.train.motion.traction_force = Fixed4();
  tractive_effort(rig.train, rig.in);
  EXPECT_LT(rig.train.motion.traction_force, 0);
  h.ats_service = true;  // protection cuts traction
  rig.train.motion.traction_force = Fixed4();
  tractive_effort(rig.train, rig.in);
  EXPECT_EQ(rig.train.motion.traction_force.raw(), 0);
}

TEST(Dynamics, DieselBelowPowerJerkPullsWithTwoNotches) {
  VehicleData v = table_emu();
  v.engine_type = EngineType::Diesel;
  v.power = 5;
  v.power_jerk = 10;
  v.engine = {{0, 40, 60, 2.0L, 1.0L, 0.5L}};
  TrainRig rig(v);
  HandleState& h = rig.train.handles;
  h.power_notch = 5;
  const auto force_at = [&](long double speed) {
    rig.train.motion.speed = speed;
    rig.train.motion.traction_force = Fixed4();
    tractive_effort(rig.train, rig.in);
    return static_cast<long double>(rig.train.motion.traction_force);
  };
  const auto base = [](long double speed) { return ((1.0L - 2.0L) / 40 * speed + 2.0L) * 9.8L / 5; };
  EXPECT_NEAR(static_cast<double>(force_at(5)), static_cast<double>(base(5) * 2 * 10000), 0.01);
  EXPECT_NEAR(static_cast<double>(force_at(20)), static_cast<double>(base(20) * 5 * 10000), 0.01);
  EXPECT_EQ(force_at(70), 0);  // beyond this gear's speed2
}

TEST(Dynamics, AmmeterModeOneRisesWithSpeedUpToTheTopNotchSpeed) {
  TrainRig rig(table_emu());
  TractionState& t = rig.train.traction;
  rig.train.handles.power_notch = 5;
  t.traction_delayed = Fixed4(120 * 1000 / 3.6L);  // 1 km/h/s
  const std::pair<long double, int> at[] = {{0, 0}, {15, 50}, {30, 100}, {50, 100}};
  for (const auto& [speed, value] : at) {
    rig.train.motion.speed = speed;
    ammeter_step(rig.train, rig.in);
    EXPECT_EQ(t.ammeter_value, value) << static_cast<double>(speed);
  }
}

TEST(Dynamics, CurrentModelStepsUpUnderPowerAndBackToZeroWithoutIt) {
  VehicleData v = table_emu();
  v.power_type = 0;
  v.current_p_reference = 300;
  v.current_p_accel = 3;
  v.current_p_falloff_speed = 40;
  v.current_p = {{1, 3000, -10, 100, 0}, {1, 6000, -5, 100, 0}, {2, 9000, 0, 100, 0}};
  TrainRig rig(v);
  HandleState& h = rig.train.handles;
  TractionState& t = rig.train.traction;
  h.power_handle = h.power_notch = 2;
  rig.train.motion.speed = 20;
  ammeter_step(rig.train, rig.in);
  EXPECT_EQ(t.motor_current, 100);  // 3000 / (20 + 10)
  EXPECT_TRUE(t.step_pending);
  rig.in.frame_ms = 50;
  for (int i = 0; i < 2; ++i) current_step_timer(rig.train.traction, rig.in);
  EXPECT_EQ(t.current_step, 1);
  h.power_notch = 0;
  ammeter_step(rig.train, rig.in);
  EXPECT_EQ(t.current_step, 0);
  EXPECT_EQ(t.motor_current, 0);
}

// Standing with the brakes released and a power notch that gives no force: the starting
// resistance holds the train (up to its own size) but never sets it moving, and no
// resistance turns a moving train round.
TEST(Dynamics, AStandingTrainWithPowerButNoTractiveForceStaysExactlyAtRest) {
  struct Case {
    const char* why;
    bool doors_open;  // with [DoorLock] 1
    int reverser, engine_run;
    long double gradient, speed, first_speed;
  } cases[] = {
      {"doors open", true, 1, 1, 0, 0, 0},
      {"reverser neutral", false, 0, 1, 0, 0, 0},
      {"engine stopped", false, 1, 0, 0, 0, 0},
      // gravity on 2 per mille down, 2352 N, is less than the 3528 N starting resistance
      {"held downhill", false, 0, 1, -2, 0, 0},
      // on 5 per mille, 5880 N: it rolls on with the difference
      {"rolling downhill", false, 0, 1, -5, 0, (5879.9265L - 3528) / (120 * 1000) * 3.6L / 60},
      // uphill the starting resistance does not count: gravity alone rolls it back
      {"rolling back uphill", false, 0, 1, 5, 0, -5879.9265L / (120 * 1000) * 3.6L / 60},
      {"creeping forward", false, 0, 1, 0, 0.001L, 0},
      {"creeping back", false, 0, 1, 0, -0.001L, 0},
  };
  for (const Case& c : cases) {
    TestRig rig;
    VehicleData v = table_emu();
    v.door_lock = 1;
    start_with(rig, v);
    velmora::Run& run = rig.run;
    HandleState& h = run.train.handles;
    h.brake_handle = h.brake_notch = h.sap_notch = h.ebrake_notch = 0;
    h.power_handle = h.power_notch = 3;
    clear_latches(h);
    h.reverser = c.reverser;
    run.train.brakes.bc_t = run.train.brakes.bc_m = Fixed4();
    run.station.doors_open = c.doors_open;
    run.train.engine.engine_run = c.engine_run;
    run.train.motion.gradient = Fixed4(c.gradient);
    run.train.motion.speed = c.speed;
    keisan(run);
    EXPECT_NEAR(static_cast<double>(run.train.motion.speed), static_cast<double>(c.first_speed), 1e-9) << c.why;
    if (c.first_speed != 0) continue;
    EXPECT_EQ(run.train.motion.speed, 0) << c.why;
    for (int frame = 0; frame < 60 * 60; ++frame) {
      keisan(run);
      ASSERT_EQ(run.train.motion.speed, 0) << c.why << ", frame " << frame;
    }
  }
}

TEST(Dynamics, ABrakeBeyondTheAdhesionSkidsAndSaysSo) {
  TestRig rig;
  start_with(rig, table_emu());
  velmora::Run& run = rig.run;
  run.route.route_friction = Fixed4(0.01L);  // at 50 km/h: 0.01 / 1.295 = 0.0077
  run.train.motion.speed = 50;
  run.train.handles.power_notch = 0;
  run.train.handles.brake_notch = -3;
  // The limit is 0.0077 × 120 t × 9.8 = 9055.2 N; a skid leaves 0.66 of it in braking force.
  const std::pair<long double, long double> cases[] = {{-150000, -5976.432L}, {-9000, -9000}};
  for (const auto& [braking, after] : cases) {
    run.train.motion.traction_force = Fixed4(braking);
    run.train.motion.resist_force = Fixed4();
    resistance_step(run.train, train_inputs(run));
    EXPECT_EQ(run.train.traction.adhesion, Fixed4(0.0077L));
    EXPECT_EQ(run.train.motion.traction_force, Fixed4(after)) << static_cast<double>(braking);
    EXPECT_EQ(run.train.traction.slip_text, braking == -150000 ? "滑走" : "") << static_cast<double>(braking);
  }
}

TEST(Dynamics, TunnelResistanceGrowsWithTheSquareOfTheSpeedAgainstTheMotion) {
  TestRig rig;
  start_with(rig, table_emu());
  velmora::Run& run = rig.run;
  run.route.tunnel_r = 2;
  run.train.handles.power_notch = 0;
  // 2 / 10000 × 60² × 120 t × 9.8 = 846.72 N
  const std::pair<long double, long double> cases[] = {{60, -846.72L}, {-60, 846.72L}, {0, 0}};
  for (const auto& [speed, added] : cases) {
    run.train.motion.speed = speed;
    long double outside = 0;
    for (const bool in_tunnel : {false, true}) {
      run.train.motion.in_tunnel = in_tunnel;
      run.train.motion.resist_force = Fixed4();
      resistance_step(run.train, train_inputs(run));
      if (!in_tunnel) outside = static_cast<long double>(run.train.motion.resist_force);
    }
    EXPECT_NEAR(static_cast<double>(run.train.motion.resist_force - outside), static_cast<double>(added), 1e-3)
        << static_cast<double>(speed);
  }
}

// The adjustments before the speed is integrated, at 30 km/h on the 120 t train: 1 N more
// or less changes the speed by 3.6 / 120000 / 60 = 0.0000005 km/h in the frame.
TEST(Dynamics, HoldBackKeepsTheSpeedDownhillAndConstantSpeedCancelsTheResistance) {
  struct Case {
    bool hold;
    int const_active;
    long double gradient, traction, resist, change;
  } cases[] = {
      {true, 0, -10, 0, 2000, 0},          {true, 0, 10, 0, 2000, 0.001L},  {false, 0, -10, 0, 2000, 0.001L},
      {true, 0, -10, 0, -500, -0.00025L},  {false, 1, 0, 5000, -3000, 0},   {false, 1, 0, 5000, 1000, 0.0005L},
  };
  for (const Case& c : cases) {
    TestRig rig;
    start_with(rig, table_emu());
    velmora::Run& run = rig.run;
    run.train.handles.hold_active = c.hold;
    run.train.handles.const_active = c.const_active;
    run.train.motion.gradient = Fixed4(c.gradient);
    run.train.motion.traction_force = Fixed4(c.traction);
    run.train.motion.resist_force = Fixed4(c.resist);
    run.train.motion.speed = 30;
    integrate_speed(run.train, train_inputs(run));
    EXPECT_NEAR(static_cast<double>(run.train.motion.speed - 30), static_cast<double>(c.change), 1e-12)
        << c.hold << " " << c.const_active << " " << static_cast<double>(c.resist);
  }
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
  rig.run.train.handles.power_notch = 1;
  steps(rig.run, 60);
  EXPECT_TRUE(finite_state(rig.run));
  EXPECT_EQ(rig.run.train.motion.speed, 0);
}

}  // namespace
}  // namespace velmora
