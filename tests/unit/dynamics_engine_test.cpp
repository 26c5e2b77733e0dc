#include <gtest/gtest.h>

#include "app/train_steps.h"
#include "dynamics/engine.h"
#include "dynamics_fixtures.h"

namespace velmora {
namespace {

VehicleData railcar(int gear_type) {
  VehicleData v = table_emu();
  v.engine_type = EngineType::Diesel;
  v.gear_type = gear_type;
  v.engine = {{0, 20, 30, 2, 1.5L, 1}, {25, 40, 50, 1.5L, 1, 0.8L}, {45, 60, 70, 1, 0.8L, 0.5L},
              {65, 80, 95, 0.8L, 0.6L, 0.3L}};
  v.engine_rate = {{30, 2}, {30, 1.5L}, {30, 1}, {30, 0.8L}};
  return v;
}

TEST(GearSelection, ClimbsSeveralPositionsInOnePassAndFallsOne) {
  TrainRig rig(railcar(0));
  EngineState& e = rig.train.engine;
  e.gear_pos = 0;
  rig.train.motion.speed = 75;  // above speed2 of rows 0, 1 and 2
  transmission_step(rig.train, rig.in, rig.events);
  EXPECT_EQ(e.gear_pos, 3);
  rig.train.motion.speed = 10;  // below speed0 of rows 3, 2 and 1
  transmission_step(rig.train, rig.in, rig.events);
  EXPECT_EQ(e.gear_pos, 2);
  transmission_step(rig.train, rig.in, rig.events);
  EXPECT_EQ(e.gear_pos, 1);
}

// Below 10 km/h an engaged gear drops to the first; under power the change of the same pass
// engages the chosen position again, unless the protection's emergency brake holds it.
TEST(GearSelection, BelowTenTheGearFallsToTheFirstAndPowerEngagesThePositionAgain) {
  struct Case {
    long double speed;
    int power;
    bool ats_eb;
    int gear;
  } cases[] = {{8, 1, false, 2}, {8, 1, true, 1}, {12, 1, true, 3}, {8, 0, false, 0}};
  for (const Case& c : cases) {
    TrainRig rig(railcar(0));
    EngineState& e = rig.train.engine;
    e.gear = e.gear_pos = 3;
    rig.train.motion.speed = c.speed;  // below speed0 of row 3: the position falls to 2
    rig.train.handles.power_notch = c.power;
    rig.train.handles.ats_eb = c.ats_eb;
    transmission_step(rig.train, rig.in, rig.events);
    EXPECT_EQ(e.gear_pos, 2);
    EXPECT_EQ(e.gear, c.gear) << static_cast<double>(c.speed) << " " << c.power << " " << c.ats_eb;
  }
}

TEST(GearChange, PowerEngagesTheChosenPositionAtOnceAndTakingItOffReleases) {
  TrainRig rig(railcar(1));
  EngineState& e = rig.train.engine;
  HandleState& h = rig.train.handles;
  e.gear_pos = 2;
  h.power_notch = 1;
  transmission_step(rig.train, rig.in, rig.events);
  EXPECT_EQ(e.gear, 2);
  EXPECT_EQ(e.shift_state, 0);
  h.power_notch = 0;
  transmission_step(rig.train, rig.in, rig.events);
  EXPECT_EQ(e.gear, 0);
  e.gear_pos = 0;  // position 0 is never engaged
  h.power_notch = 1;
  transmission_step(rig.train, rig.in, rig.events);
  EXPECT_EQ(e.gear, 0);
}

TEST(EngineSpeed, IdlesAtThirtyAndRevsFreelyToNinetyFiveOutOfGear) {
  TrainRig rig(railcar(1));
  EngineState& e = rig.train.engine;
  for (int i = 0; i < 120; ++i) engine_speed_step(rig.train, rig.in);
  EXPECT_GE(e.engine_rpm, 30);
  EXPECT_LT(e.engine_rpm, 31);
  e.gear_pos = 0;
  rig.train.handles.power_notch = 3;
  for (int i = 0; i < 600; ++i) engine_speed_step(rig.train, rig.in);
  EXPECT_EQ(e.engine_rpm, 95);
  rig.train.handles.power_notch = 0;
  for (int i = 0; i < 600; ++i) engine_speed_step(rig.train, rig.in);
  EXPECT_LT(e.engine_rpm, 31);  // back at idle
  EXPECT_GT(e.engine_rpm, 29);
}

TEST(Stall, PowerAtAStandstillInTheHighestPositionStopsTheEngine) {
  TrainRig rig(railcar(1));
  rig.vehicle.engine.resize(3);
  EngineState& e = rig.train.engine;
  e.gear_pos = 2;
  rig.train.handles.power_handle = rig.train.handles.power_notch = 1;
  transmission_step(rig.train, rig.in, rig.events);  // engages position 2, the highest of three
  engine_state_step(rig.train, rig.in, rig.events);
  EXPECT_EQ(e.engine_run, 0);
  EXPECT_EQ(rig.train.handles.power_notch, 0);
  EXPECT_EQ(rig.events.engine_sounds, std::vector{EngineSound::Stop});  // the run plays it
}

TEST(Starter, HeldFiftyPassesStartsReleasedAtFortyNineAborts) {
  TrainRig rig(railcar(1));
  EngineState& e = rig.train.engine;
  const auto hold_for = [&](int key, int passes) {
    rig.in.starter_key = key;
    for (int i = 0; i < passes; ++i) engine_state_step(rig.train, rig.in, rig.events);
  };
  e.engine_run = 0;
  hold_for(1, 49);
  EXPECT_EQ(e.engine_run, -1);
  hold_for(0, 1);
  EXPECT_EQ(e.engine_run, 0);  // let go with count 49: aborted

  hold_for(1, 51);
  EXPECT_EQ(e.engine_run, 1);  // still held when the count is 50

  rig.train.handles.power_handle = 1;  // Shift plus the starter does nothing under power
  hold_for(0, 1);
  hold_for(2, 60);
  EXPECT_EQ(e.engine_run, 1);
  rig.train.handles.power_handle = 0;
  hold_for(0, 1);
  hold_for(2, 51);
  EXPECT_EQ(e.engine_run, 0);
}

TEST(TrainSettings, TheDialogStartsTheEngineAfterItsPauseAndStopsIt) {
  TestRig rig;
  start_with(rig, railcar(1));
  rig.run.train.engine.engine_run = 0;
  const std::int64_t before = rig.clock.now_ns;
  jump_engine_start(rig.run);
  EXPECT_EQ(rig.run.train.engine.engine_run, 1);
  EXPECT_EQ(rig.clock.now_ns - before, 700'000'000);
  jump_engine_stop(rig.run);
  EXPECT_EQ(rig.run.train.engine.engine_run, 0);
  rig.run.options.opt_ats_reg = 1;
  jump_ats(rig.run, true);
  EXPECT_TRUE(rig.run.train.engine.ats_enabled);
  EXPECT_EQ(rig.run.options.opt_ats_reg, 0);
  jump_ats(rig.run, false);
  EXPECT_FALSE(rig.run.train.engine.ats_enabled);
}

}  // namespace
}  // namespace velmora
