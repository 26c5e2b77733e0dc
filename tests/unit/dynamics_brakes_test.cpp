#include <gtest/gtest.h>

#include "dynamics_fixtures.h"

namespace velmora {
namespace {

void pressure_steps(TrainRig& rig, int n) {
  for (int i = 0; i < n; ++i) brake_pressure_step(rig.train, rig.in);
}

TEST(ReleaseCurve, FallsAlmostAtTheFullRateHighAndAtATenthNearZero) {
  EXPECT_NEAR(static_cast<double>(release_divisor(300, 1.2L)), 1.0, 0.05);
  EXPECT_DOUBLE_EQ(static_cast<double>(release_divisor(0, 1.2L)), 11.0);
}

TEST(NotchBrake, FillsToItsShareOfTheMaximumAndHoldsWithinTenKilopascals) {
  VehicleData v = table_emu();
  v.brake_type2 = 0;
  TrainRig rig(v);
  BrakeState& b = rig.train.brakes;
  b.bc_t = b.bc_m = Fixed4();
  b.mr_press = Fixed4(880);
  rig.train.handles.brake_notch = -3;  // 3 of 7 service notches
  pressure_steps(rig, 600);
  const long double target = 440.0L / 7 * 3;
  EXPECT_LE(b.bc_t, target);
  EXPECT_GE(b.bc_t, target - 10 - 200.0L / 60);  // the last fill step may stop just short
  EXPECT_LE(b.bc_m, target);
  EXPECT_GE(b.bc_m, target - 10 - 200.0L / 60);
  EXPECT_LT(b.mr_press, 880);  // filling the trailer cylinders used air
}

TEST(NotchBrake, EmergencyFillsToEmergencyPressureAndALowReservoirAppliesItself) {
  TrainRig rig(table_emu());
  BrakeState& b = rig.train.brakes;
  b.bc_t = b.bc_m = Fixed4();
  pressure_steps(rig, 600);  // brake notch at emergency from the start
  EXPECT_GE(b.bc_m, 540);
  EXPECT_LT(b.bc_m, 540 + 1.3L * 200 / 60 + 0.001L);

  rig.train.handles.brake_notch = 0;
  b.bc_t = b.bc_m = Fixed4();
  b.mr_press = Fixed4(300);  // below 340 kPa
  pressure_steps(rig, 30);
  EXPECT_GT(b.bc_t, 100);
}

TEST(AutomaticAirBrake, ReleaseAfterEmergencyRechargesThePipeBeforeTheCylinders) {
  VehicleData v = table_emu();
  v.brake_type = BrakeType::AutomaticAir;
  v.brake = 4;
  v.brake_type2 = 0;
  v.max_press = {350, 0};
  v.eb_press = {420, 0};  // below the 490 kPa of a charged pipe, as on a real train
  TrainRig rig(v);
  BrakeState& b = rig.train.brakes;
  HandleState& h = rig.train.handles;
  h.brake_notch = -4;
  pressure_steps(rig, 300);
  EXPECT_EQ(b.bp_press, 0);
  const Fixed4 applied = b.bc_t;
  EXPECT_EQ(applied, 420);

  h.brake_notch = 0;
  brake_pressure_step(rig.train, rig.in);
  // The cylinders stand above the pipe: the pipe recharges at the full rate.
  EXPECT_NEAR(static_cast<double>(b.bp_press), 100.0 / 60, 1e-9);
  EXPECT_EQ(b.bc_t, applied);
  int frames = 1;
  while (b.bc_t >= b.bp_press && frames < 6000) {
    brake_pressure_step(rig.train, rig.in);
    ++frames;
  }
  EXPECT_LT(frames, 6000);
  EXPECT_EQ(b.bc_t, applied);
  const long double before = b.bp_press;
  brake_pressure_step(rig.train, rig.in);
  EXPECT_LT(b.bc_t, applied);  // only now the cylinders start to release
  EXPECT_NEAR(static_cast<double>(b.bp_press - before), 100.0 / 60 / 2.5, 1e-9);  // the slow rate
}

TEST(AutomaticAirBrake, ServiceWithAReductionBelowElbrLeavesTheCylinders) {
  VehicleData v = table_emu();
  v.brake_type = BrakeType::AutomaticAir;
  v.brake = 4;
  v.elbr = 40;
  TrainRig rig(v);
  BrakeState& b = rig.train.brakes;
  b.mr_press = Fixed4(880);
  b.bp_press = 470;  // 20 kPa below the 490 limit
  b.er_press = Fixed4(470);
  b.bc_t = b.bc_m = Fixed4();
  rig.train.handles.brake_notch = -2;  // lap
  brake_pressure_step(rig.train, rig.in);
  EXPECT_EQ(b.bc_t.raw(), 0);
  rig.train.handles.brake_notch = -3;  // service: the pipe reduces, the cylinders wait for [ELBR]
  brake_pressure_step(rig.train, rig.in);
  EXPECT_EQ(b.bc_t.raw(), 0);
  EXPECT_LT(b.bp_press, 470);
  pressure_steps(rig, 60);
  EXPECT_GT(b.bc_t, 0);
}

// Service notch 3 of 7 on the 440 kPa train: target 440 / 7 × 3 = 188.57 kPa. Steps of
// 200 / 60 kPa up; released by 150 / 60 over the release curve.
constexpr long double kTarget = 440.0L / 7 * 3, kUp = 200.0L / 60;

TEST(BlendedBrake, TheElectricBrakeRelievesTheMotorCylindersDownToElbr) {
  const struct {
    long double current;
    long double bc_m_low, bc_m_high;
  } cases[] = {{100, 40, 45}, {0, kTarget - 10 - kUp, kTarget}};
  for (const auto& c : cases) {
    VehicleData v = table_emu();
    v.brake_type = BrakeType::Notch;  // notch brake without a pipe
    v.brake_type2 = 1;
    TrainRig rig(v);
    BrakeState& b = rig.train.brakes;
    b.bc_t = b.bc_m = Fixed4();
    b.ebrake_current = c.current;
    rig.train.handles.brake_notch = -3;
    pressure_steps(rig, 600);
    EXPECT_GE(b.bc_t, kTarget - 10 - kUp) << static_cast<double>(c.current);
    EXPECT_LE(b.bc_t, kTarget);
    EXPECT_GE(b.bc_m, c.bc_m_low) << static_cast<double>(c.current);
    EXPECT_LT(b.bc_m, c.bc_m_high) << static_cast<double>(c.current);
  }
  // With the pipe of type 1, the trailers release above the target only while the pipe
  // holds 440 - 440 / 8 = 385 kPa.
  for (const long double pipe : {300.0L, 400.0L}) {
    TrainRig rig(table_emu());
    BrakeState& b = rig.train.brakes;
    b.bc_t = Fixed4(300);
    b.bp_press = pipe;
    b.er_press = Fixed4(490);
    rig.train.handles.brake_notch = -3;
    rig.train.handles.sap_notch = 0;
    brake_pressure_step(rig.train, rig.in);
    EXPECT_NEAR(static_cast<double>(b.bc_t), pipe < 385 ? 300 : 300 - 2.398939, 1e-4) << static_cast<double>(pipe);
  }
}

TEST(BlendedBrake, AirMakesUpWhatTheElectricBrakeFallsShortOfThePlannedRate) {
  // Electric notch 3: planned 1.5 km/h/s. Decelerating at 1.0 is too little, at 2.0 enough.
  const struct {
    long double accel;
    bool trailers;
    long double bc_t, bc_m;
  } cases[] = {
      {-1.0L, true, 100 + kUp, 100},                     // the trailers fill in first
      {-2.0L, true, 100 - 2.130533L, 100 - 2.130533L},   // enough: both release
      {-1.0L, false, 100, 100 + kUp},                    // no trailers: the motor cars fill in
  };
  for (const auto& c : cases) {
    VehicleData v = table_emu();
    v.brake_type = BrakeType::Notch;
    v.brake_type2 = 2;
    if (!c.trailers) v.tt = {Fixed4(), Fixed4()};
    TrainRig rig(v);
    BrakeState& b = rig.train.brakes;
    b.bc_t = b.bc_m = Fixed4(100);
    b.ebrake_current = 100;
    rig.train.handles.brake_notch = rig.train.handles.ebrake_notch = -3;
    rig.train.traction.accel_traction = c.accel;
    brake_pressure_step(rig.train, rig.in);
    EXPECT_NEAR(static_cast<double>(b.bc_t), static_cast<double>(c.bc_t), 1e-4) << static_cast<double>(c.accel);
    EXPECT_NEAR(static_cast<double>(b.bc_m), static_cast<double>(c.bc_m), 1e-4) << static_cast<double>(c.accel);
    EXPECT_EQ(b.planned_decel, -1.5L);
  }
}

TEST(NotchBrake, TheStraightAirPipeFollowsItsNotchAndTheReservoirGatesTheRelease) {
  TrainRig rig(table_emu());  // type 1: pipe, reservoir and straight-air pipe
  BrakeState& b = rig.train.brakes;
  HandleState& h = rig.train.handles;
  h.brake_notch = h.sap_notch = -3;  // S = 440 / 7 × 3 = 188.57 kPa
  const std::pair<long double, long double> sap[] = {{0, kUp}, {200, 200 - 2.5L}, {185, 185}};
  for (const auto& [before, after] : sap) {
    b.sap_press = Fixed4(before);
    brake_pressure_step(rig.train, rig.in);
    EXPECT_NEAR(static_cast<double>(b.sap_press), static_cast<double>(after), 1e-4) << static_cast<double>(before);
  }
  // Released: the cylinders follow only with the reservoir above 540 - 540 / 8 = 472.5 kPa;
  // the straight-air pipe empties either way.
  h.brake_notch = h.sap_notch = 0;
  for (const long double er : {470.0L, 473.0L}) {
    b.bc_t = b.bc_m = b.sap_press = Fixed4(100);
    b.er_press = Fixed4(er);
    brake_pressure_step(rig.train, rig.in);
    const long double bc = er < 472.5L ? 100 : 100 - 2.130533L;
    EXPECT_NEAR(static_cast<double>(b.bc_t), static_cast<double>(bc), 1e-4) << static_cast<double>(er);
    EXPECT_NEAR(static_cast<double>(b.bc_m), static_cast<double>(bc), 1e-4) << static_cast<double>(er);
    EXPECT_NEAR(static_cast<double>(b.sap_press), 100 - 2.130533, 1e-4);
  }
}

// [CurrentB]: (|speed| - offset) / divisor of the entry in use, stepping on like a cam
// controller while the current stays below the notch's limit (or 125 A holding back).
TEST(ElectricBrake, TheCurrentTableStepsUpToTheNotchLimitAndTheHoldBackNotch) {
  struct Case {
    int notch, suppress, suppress_limit;
    long double speed, current;
    int row;
    bool traction_reset;
  } cases[] = {
      {-2, 0, 0, 50, 0, 0, false},     // a notch limit of 0: no electric brake
      {-3, 0, 0, 50, 160, 1, true},    // 80 A below 150 A steps on; 160 A from entry 1
      {-3, 0, 0, 4, 0, 0, false},      // below [Lose_elec]
      {0, 1, 2, 30, 80, 2, false},     // holding back: 40 A, 80 A, up to entry 2
      {0, 1, 1, 30, 80, 1, false},     // its [Suppress] entry stops at entry 1
  };
  for (const Case& c : cases) {
    VehicleData v = table_emu();
    v.ebrake_model = 0;
    v.current_b = {{0.5L, 10, 0}, {0.25L, 10, 0}, {0.2L, 5, 0}};
    v.brake_current_limit = {0, 0, 0, 150, 150, 150, 150, 150};
    v.suppress = {c.suppress_limit};
    TrainRig rig(v);
    rig.train.handles.ebrake_notch = c.notch;
    rig.train.handles.suppress_state = c.suppress;
    rig.train.motion.speed = c.speed;
    rig.train.traction.current_step = 2;
    electric_brake_step(rig.train, rig.in);
    const BrakeState& b = rig.train.brakes;
    EXPECT_NEAR(static_cast<double>(b.ebrake_current), static_cast<double>(c.current), 1e-9) << c.notch << " " << c.suppress;
    EXPECT_EQ(b.currentb_row, c.row) << c.notch << " " << c.suppress;
    EXPECT_EQ(rig.train.traction.current_step, c.traction_reset ? 0 : 2) << c.notch << " " << c.suppress;
  }
  // Back at notch 0 the table starts again from its first entry.
  VehicleData v = table_emu();
  v.ebrake_model = 0;
  v.current_b = {{0.5L, 10, 0}, {0.25L, 10, 0}};
  v.brake_current_limit = {0, 0, 0, 150};
  TrainRig rig(v);
  rig.train.motion.speed = 50;
  rig.train.handles.ebrake_notch = -3;
  electric_brake_step(rig.train, rig.in);
  ASSERT_EQ(rig.train.brakes.currentb_row, 1);
  rig.train.handles.ebrake_notch = 0;
  electric_brake_step(rig.train, rig.in);
  EXPECT_EQ(rig.train.brakes.currentb_row, 0);
  EXPECT_EQ(rig.train.brakes.ebrake_current, 0);
}

TEST(ElectricBrake, RampsToThePlannedCurrentNeverAboveTheMaximumAndDecaysWhenSlow) {
  TrainRig rig(table_emu());
  BrakeState& b = rig.train.brakes;
  HandleState& h = rig.train.handles;
  rig.train.motion.speed = 60;
  h.ebrake_notch = -3;  // planned 1.5 km/h/s: 100 × 1.5 = 150 A
  electric_brake_step(rig.train, rig.in);
  EXPECT_NEAR(static_cast<double>(b.ebrake_current), 200.0 / 60, 1e-9);
  for (int i = 0; i < 120; ++i) electric_brake_step(rig.train, rig.in);
  EXPECT_GE(b.ebrake_current, 150 - 300.0L / 60);
  EXPECT_LE(b.ebrake_current, 150 + 200.0L / 60);
  EXPECT_EQ(rig.train.traction.ammeter_value, -static_cast<int>(std::llround(static_cast<double>(b.ebrake_current))));

  h.ebrake_notch = -7;  // planned 3.5: 350 A, within the 400 A maximum
  rig.vehicle.max_brake_curr = 200;
  for (int i = 0; i < 240; ++i) electric_brake_step(rig.train, rig.in);
  EXPECT_LE(b.ebrake_current, 200 + 200.0L / 60);

  rig.train.motion.speed = 4;  // below [Lose_elec] second number 5
  for (int i = 0; i < 60; ++i) electric_brake_step(rig.train, rig.in);
  EXPECT_EQ(b.ebrake_current, 0);
}

TEST(Compressor, StartsBelowTheLowPressureAndStopsAtTheHighOne) {
  TrainRig rig(table_emu());
  BrakeState& b = rig.train.brakes;
  b.mr_press = Fixed4(781);
  compressor_step(rig.train, rig.in, rig.events);
  EXPECT_FALSE(b.compressor_on);
  b.mr_press = Fixed4(779);
  compressor_step(rig.train, rig.in, rig.events);
  EXPECT_TRUE(b.compressor_on);
  EXPECT_TRUE(rig.events.compressor_started);  // the run plays its start sound and loop
  EXPECT_NEAR(static_cast<double>(b.mr_press), 779 + 16.667 / 300, 1e-4);
  for (int i = 0; i < 60 * 40; ++i) compressor_step(rig.train, rig.in, rig.events);
  EXPECT_FALSE(b.compressor_on);
  EXPECT_TRUE(rig.events.compressor_stopped);
  EXPECT_GE(b.mr_press, 880);
}

TEST(BrakeForce, FrictionFactorIsTheFirstRateNumberAtStandstill) {
  TrainRig rig(table_emu());
  BrakeState& b = rig.train.brakes;
  rig.train.motion.speed = 0;
  brake_force_step(rig.train, rig.in);
  EXPECT_EQ(b.air_factor, Fixed4(4.5L));
  rig.train.motion.speed = 30;  // at the reference speed the curve gives 1
  brake_force_step(rig.train, rig.in);
  EXPECT_EQ(b.air_factor.raw(), 10000);
  rig.train.motion.speed = 80;
  brake_force_step(rig.train, rig.in);
  EXPECT_EQ(b.air_factor.raw(), 10000);
  // emergency cylinders of the trailers only: 4.5 / 3.6 × 60 t
  EXPECT_NEAR(static_cast<double>(b.brake_force), 4.5 / 3.6 * 60 * 1000, 0.01);
}

}  // namespace
}  // namespace velmora
