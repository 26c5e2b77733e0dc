#include <gtest/gtest.h>

#include "dynamics_fixtures.h"

namespace velmora {
namespace {

void pressure_steps(Run& run, int n) {
  for (int i = 0; i < n; ++i) brake_pressure_step(run);
}

TEST(ReleaseCurve, FallsAlmostAtTheFullRateHighAndAtATenthNearZero) {
  EXPECT_NEAR(static_cast<double>(release_divisor(300, 1.2L)), 1.0, 0.05);
  EXPECT_DOUBLE_EQ(static_cast<double>(release_divisor(0, 1.2L)), 11.0);
}

TEST(NotchBrake, FillsToItsShareOfTheMaximumAndHoldsWithinTenKilopascals) {
  TestRig rig;
  VehicleData v = table_emu();
  v.brake_type2 = 0;
  start_with(rig, v);
  BrakeState& b = rig.run.brakes;
  b.bc_t = b.bc_m = Fixed4();
  b.mr_press = Fixed4(880);
  rig.run.handles.brake_notch = -3;  // 3 of 7 service notches
  pressure_steps(rig.run, 600);
  const long double target = 440.0L / 7 * 3;
  EXPECT_LE(b.bc_t, target);
  EXPECT_GE(b.bc_t, target - 10 - 200.0L / 60);  // the last fill step may stop just short
  EXPECT_LE(b.bc_m, target);
  EXPECT_GE(b.bc_m, target - 10 - 200.0L / 60);
  EXPECT_LT(b.mr_press, 880);  // filling the trailer cylinders used air
}

TEST(NotchBrake, EmergencyFillsToEmergencyPressureAndALowReservoirAppliesItself) {
  TestRig rig;
  start_with(rig, table_emu());
  BrakeState& b = rig.run.brakes;
  b.bc_t = b.bc_m = Fixed4();
  pressure_steps(rig.run, 600);  // brake notch at emergency from the start
  EXPECT_GE(b.bc_m, 540);
  EXPECT_LT(b.bc_m, 540 + 1.3L * 200 / 60 + 0.001L);

  rig.run.handles.brake_notch = 0;
  b.bc_t = b.bc_m = Fixed4();
  b.mr_press = Fixed4(300);  // below 340 kPa
  pressure_steps(rig.run, 30);
  EXPECT_GT(b.bc_t, 100);
}

TEST(AutomaticAirBrake, ReleaseAfterEmergencyRechargesThePipeBeforeTheCylinders) {
  TestRig rig;
  VehicleData v = table_emu();
  v.brake_type = 0;
  v.brake = 4;
  v.brake_type2 = 0;
  v.max_press = {350, 0};
  v.eb_press = {420, 0};  // below the 490 kPa of a charged pipe, as on a real train
  start_with(rig, v);
  BrakeState& b = rig.run.brakes;
  HandleState& h = rig.run.handles;
  h.brake_notch = -4;
  pressure_steps(rig.run, 300);
  EXPECT_EQ(b.bp_press, 0);
  const Fixed4 applied = b.bc_t;
  EXPECT_EQ(applied, 420);

  h.brake_notch = 0;
  brake_pressure_step(rig.run);
  // The cylinders stand above the pipe: the pipe recharges at the full rate.
  EXPECT_NEAR(static_cast<double>(b.bp_press), 100.0 / 60, 1e-9);
  EXPECT_EQ(b.bc_t, applied);
  int frames = 1;
  while (b.bc_t >= b.bp_press && frames < 6000) {
    brake_pressure_step(rig.run);
    ++frames;
  }
  EXPECT_LT(frames, 6000);
  EXPECT_EQ(b.bc_t, applied);
  const long double before = b.bp_press;
  brake_pressure_step(rig.run);
  EXPECT_LT(b.bc_t, applied);  // only now the cylinders start to release
  EXPECT_NEAR(static_cast<double>(b.bp_press - before), 100.0 / 60 / 2.5, 1e-9);  // the slow rate
}

TEST(AutomaticAirBrake, ServiceWithAReductionBelowElbrLeavesTheCylinders) {
  TestRig rig;
  VehicleData v = table_emu();
  v.brake_type = 0;
  v.brake = 4;
  v.elbr = 40;
  start_with(rig, v);
  BrakeState& b = rig.run.brakes;
  b.mr_press = Fixed4(880);
  b.bp_press = 470;  // 20 kPa below the 490 limit
  b.er_press = Fixed4(470);
  b.bc_t = b.bc_m = Fixed4();
  rig.run.handles.brake_notch = -2;  // lap
  brake_pressure_step(rig.run);
  EXPECT_EQ(b.bc_t.raw(), 0);
  rig.run.handles.brake_notch = -3;  // service: the pipe reduces, the cylinders wait for [ELBR]
  brake_pressure_step(rig.run);
  EXPECT_EQ(b.bc_t.raw(), 0);
  EXPECT_LT(b.bp_press, 470);
  pressure_steps(rig.run, 60);
  EXPECT_GT(b.bc_t, 0);
}

TEST(ElectricBrake, RampsToThePlannedCurrentNeverAboveTheMaximumAndDecaysWhenSlow) {
  TestRig rig;
  start_with(rig, table_emu());
  BrakeState& b = rig.run.brakes;
  HandleState& h = rig.run.handles;
  rig.run.motion.speed = 60;
  h.ebrake_notch = -3;  // planned 1.5 km/h/s: 100 × 1.5 = 150 A
  electric_brake_step(rig.run);
  EXPECT_NEAR(static_cast<double>(b.ebrake_current), 200.0 / 60, 1e-9);
  for (int i = 0; i < 120; ++i) electric_brake_step(rig.run);
  EXPECT_GE(b.ebrake_current, 150 - 300.0L / 60);
  EXPECT_LE(b.ebrake_current, 150 + 200.0L / 60);
  EXPECT_EQ(rig.run.traction.ammeter_value, -static_cast<int>(std::llround(static_cast<double>(b.ebrake_current))));

  h.ebrake_notch = -7;  // planned 3.5: 350 A, within the 400 A maximum
  rig.run.vehicle.max_brake_curr = 200;
  for (int i = 0; i < 240; ++i) electric_brake_step(rig.run);
  EXPECT_LE(b.ebrake_current, 200 + 200.0L / 60);

  rig.run.motion.speed = 4;  // below [Lose_elec] second number 5
  for (int i = 0; i < 60; ++i) electric_brake_step(rig.run);
  EXPECT_EQ(b.ebrake_current, 0);
}

TEST(Compressor, StartsBelowTheLowPressureAndStopsAtTheHighOne) {
  TestRig rig;
  start_with(rig, table_emu());
  BrakeState& b = rig.run.brakes;
  b.mr_press = Fixed4(781);
  compressor_step(rig.run);
  EXPECT_FALSE(b.compressor_on);
  b.mr_press = Fixed4(779);
  compressor_step(rig.run);
  EXPECT_TRUE(b.compressor_on);
  EXPECT_NEAR(static_cast<double>(b.mr_press), 779 + 16.667 / 300, 1e-4);
  for (int i = 0; i < 60 * 40; ++i) compressor_step(rig.run);
  EXPECT_FALSE(b.compressor_on);
  EXPECT_GE(b.mr_press, 880);
}

TEST(BrakeForce, FrictionFactorIsTheFirstRateNumberAtStandstill) {
  TestRig rig;
  start_with(rig, table_emu());
  BrakeState& b = rig.run.brakes;
  rig.run.motion.speed = 0;
  brake_force_step(rig.run);
  EXPECT_EQ(b.air_factor, Fixed4(4.5L));
  rig.run.motion.speed = 30;  // at the reference speed the curve gives 1
  brake_force_step(rig.run);
  EXPECT_EQ(b.air_factor.raw(), 10000);
  rig.run.motion.speed = 80;
  brake_force_step(rig.run);
  EXPECT_EQ(b.air_factor.raw(), 10000);
  // emergency cylinders of the trailers only: 4.5 / 3.6 × 60 t
  EXPECT_NEAR(static_cast<double>(b.brake_force), 4.5 / 3.6 * 60 * 1000, 0.01);
}

}  // namespace
}  // namespace velmora
