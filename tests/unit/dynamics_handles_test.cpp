#include <gtest/gtest.h>

#include "app/train_steps.h"
#include "dynamics/handles.h"
#include "handle_fixtures.h"
#include "test_rig.h"

namespace velmora {
namespace {

// Steps of the delay until `done` holds; the count of steps taken, or -1 after 1000.
template <typename Done>
int steps_until(Run& run, Done done) {
  for (int step = 1; step <= 1000; ++step) {
    power_delay_step(run.train, train_inputs(run));
    brake_delay_step(run.train, train_inputs(run));
    if (done()) return step;
  }
  return -1;
}

TEST(HandleStart, EmergencyBrakeForwardAndNoPower) {
  TestRig rig;
  use_vehicle(rig.run, one_lever_emu());
  const HandleState& h = rig.run.train.handles;
  EXPECT_EQ(h.reverser, 1);
  EXPECT_EQ(h.brake_handle, -8);
  EXPECT_EQ(h.brake_notch, -8);
  EXPECT_EQ(h.sap_notch, -8);
  EXPECT_EQ(h.ebrake_notch, 0);
  EXPECT_EQ(h.brake_text, "非常");
  EXPECT_EQ(h.power_text, "P切");
  EXPECT_EQ(h.reverser_text, "前");
  EXPECT_EQ(h.mode_text, "通勤");
}

TEST(PowerDelay, ANotchUpActsOnTheThirtiethStepOf17Ms) {
  TestRig rig;
  use_vehicle(rig.run, one_lever_emu());
  HandleState& h = rig.run.train.handles;
  h.power_handle = 1;
  h.power_pending = true;
  EXPECT_EQ(steps_until(rig.run, [&] { return h.power_notch == 1; }), 30);  // timer 510
  EXPECT_EQ(h.power_timer, 0);
  EXPECT_FALSE(h.power_pending);
}

TEST(PowerDelay, NotchingDownBelowNotchBackWaitsForTheHandleToReachOff) {
  TestRig rig;
  use_vehicle(rig.run, one_lever_emu());
  HandleState& h = rig.run.train.handles;
  const auto settle = [&](int handle) {
    h.power_handle = handle;
    h.power_pending = true;
    steps_until(rig.run, [&] { return !h.power_pending; });
  };
  settle(5);
  EXPECT_EQ(h.power_notch, 5);
  settle(4);
  EXPECT_EQ(h.power_notch, 4);  // still above [NotchBack] 3
  settle(3);
  EXPECT_EQ(h.power_notch, 3);  // at [NotchBack] itself
  settle(5);
  settle(1);
  EXPECT_EQ(h.power_notch, 5);  // below [NotchBack]: no effect yet
  settle(0);
  EXPECT_EQ(h.power_notch, 0);
}

TEST(PowerDelay, AChangeDuringAStopFilmIsDropped) {
  TestRig rig;
  use_vehicle(rig.run, one_lever_emu());
  HandleState& h = rig.run.train.handles;
  rig.run.film.movie_state = MovieState::StopFilm;
  h.power_handle = 2;
  h.power_pending = true;
  steps_until(rig.run, [&] { return !h.power_pending; });
  EXPECT_EQ(h.power_notch, 0);
  rig.run.film.movie_state = MovieState::RunningFilm;  // a running film lets it through
  h.power_pending = true;
  steps_until(rig.run, [&] { return !h.power_pending; });
  EXPECT_EQ(h.power_notch, 2);
}

TEST(BrakeDelay, AnActingBrakeReactsInSeventyPercentOfTheDelay) {
  TestRig rig;
  use_vehicle(rig.run, one_lever_emu());
  HandleState& h = rig.run.train.handles;
  h.brake_handle = -2;
  h.brake_pending = true;
  EXPECT_EQ(steps_until(rig.run, [&] { return !h.brake_pending; }), 18);  // 306 >= 300
  EXPECT_EQ(h.brake_notch, -2);

  rig.run.train.brakes.bc_t = Fixed4(120);
  h.brake_handle = -3;
  h.brake_pending = true;
  EXPECT_EQ(steps_until(rig.run, [&] { return !h.brake_pending; }), 13);  // 221 >= 210
  EXPECT_EQ(h.brake_notch, -3);

  h.sap_pending = true;
  EXPECT_EQ(steps_until(rig.run, [&] { return !h.sap_pending; }), 12);  // 204 >= 200
  EXPECT_EQ(h.sap_notch, -3);
}

TEST(BrakeTarget, ProtectionOverridesWhateverTheHandleSays) {
  TestRig rig;
  use_vehicle(rig.run, one_lever_emu());
  HandleState& h = rig.run.train.handles;
  h.brake_handle = 0;
  EXPECT_EQ(brake_target(rig.run.train.handles, rig.run.vehicle), 0);
  h.ats_service = true;
  EXPECT_EQ(brake_target(rig.run.train.handles, rig.run.vehicle), -7);  // maximum service
  h.brake_handle = -8;
  EXPECT_EQ(brake_target(rig.run.train.handles, rig.run.vehicle), -8);  // the handle's emergency stays emergency
  h.brake_handle = -2;
  h.eb_device = true;
  EXPECT_EQ(brake_target(rig.run.train.handles, rig.run.vehicle), -8);

  h.eb_device = false;
  h.ats_service = false;
  h.ats_eb = true;
  h.brake_pending = h.sap_pending = true;
  steps_until(rig.run, [&] { return !h.brake_pending && !h.sap_pending; });
  EXPECT_EQ(h.brake_notch, -8);
  EXPECT_EQ(h.sap_notch, -8);
}

TEST(ElectricBrakeDelay, NotStartedBelowTheLowSpeedLimitAndImmediateWhileActing) {
  TestRig rig;
  use_vehicle(rig.run, one_lever_emu());
  HandleState& h = rig.run.train.handles;
  rig.run.train.motion.speed = 8;  // below [Lose_elec] 10
  h.brake_handle = -3;
  h.ebrake_pending = true;
  brake_delay_step(rig.run.train, train_inputs(rig.run));
  EXPECT_FALSE(h.ebrake_pending);
  EXPECT_EQ(h.ebrake_notch, 0);
  EXPECT_EQ(h.ebrake_timer, 0);

  rig.run.train.motion.speed = 40;
  h.ebrake_pending = true;
  EXPECT_EQ(steps_until(rig.run, [&] { return !h.ebrake_pending; }), 24);  // 408 >= 400
  EXPECT_EQ(h.ebrake_notch, -3);

  rig.run.train.motion.speed = 3;  // acting already: a change takes effect at once, at any speed
  h.brake_handle = -5;
  h.ebrake_pending = true;
  brake_delay_step(rig.run.train, train_inputs(rig.run));
  EXPECT_EQ(h.ebrake_notch, -5);
}

TEST(ConstantSpeed, EngagesWhenTheHandleComesBackToItsNotchAndReleasesOnAMove) {
  TestRig rig;
  VehicleData v = one_lever_emu();
  v.const_notch = 4;
  v.const_speed = 40;
  use_vehicle(rig.run, v);
  HandleState& h = rig.run.train.handles;
  h.brake_handle = h.brake_notch = 0;
  h.power_handle = h.power_notch = 5;
  rig.run.train.motion.speed = 50;
  h.power_handle = 4;
  masconupdate(rig.run);
  EXPECT_EQ(h.const_active, 1);
  EXPECT_EQ(h.power_text, "定速");

  h.power_handle = 3;  // handle and notch now differ
  masconupdate(rig.run);
  EXPECT_EQ(h.const_active, 0);
  EXPECT_EQ(h.power_notch, 3);
  EXPECT_EQ(h.power_text, "P3");

  rig.run.train.motion.speed = 30;  // too slow to engage
  h.power_handle = h.power_notch = 5;
  h.power_handle = 4;
  masconupdate(rig.run);
  EXPECT_EQ(h.const_active, 0);

  rig.run.train.motion.speed = 50;
  masconupdate(rig.run);
  ASSERT_EQ(h.const_active, 1);
  h.ats_service = true;  // protection cancels it
  masconupdate(rig.run);
  EXPECT_EQ(h.const_active, 0);
  EXPECT_EQ(h.power_notch, 4);
}

TEST(HandleTexts, BrakePowerReverserAndModeTextsFollowTheHandles) {
  TestRig rig;
  VehicleData v = one_lever_emu();
  v.hold = 3;
  use_vehicle(rig.run, v);
  HandleState& h = rig.run.train.handles;
  h.brake_handle = -3;
  masconupdate(rig.run);
  EXPECT_EQ(h.brake_text, "B3");
  h.brake_handle = -2;  // the hold-back notch is in effect and the handle one step back
  h.brake_notch = -3;
  masconupdate(rig.run);
  EXPECT_TRUE(h.hold_active);
  EXPECT_EQ(h.brake_text, "抑速");
  h.reverser = -1;
  masconupdate(rig.run);
  EXPECT_EQ(h.reverser_text, "後");

  VehicleData air = one_lever_emu();
  air.brake_type = BrakeType::AutomaticAir;
  air.brake = 4;
  use_vehicle(rig.run, air);
  const std::pair<int, const char*> valve[] = {{0, "B切"}, {-1, "保ち"}, {-2, "重なり"}, {-3, "込め"}, {-4, "非常"}};
  for (const auto& [position, text] : valve) {
    h.brake_handle = position;
    masconupdate(rig.run);
    EXPECT_EQ(h.brake_text, text) << position;
  }
}

TEST(HandleTexts, PowerTextCountsNotchesFromTheSelectedGroupsFirstRow) {
  TestRig rig;
  VehicleData v = one_lever_emu();
  for (int row = 0; row < 5; ++row) v.notch[static_cast<std::size_t>(row)].group = row < 3 ? 0 : 1;
  v.notch_first_row = {0, 3};
  v.power_mode = {{"P", "直列"}, {"S", "並列"}};
  use_vehicle(rig.run, v);
  HandleState& h = rig.run.train.handles;
  h.notch_group_sel = 1;
  h.power_handle = 5;
  masconupdate(rig.run);
  EXPECT_EQ(h.power_text, "S2");
  EXPECT_EQ(h.mode_text, "並列");
}

TEST(HandleTexts, DieselLeverTextByGearPosition) {
  TestRig rig;
  VehicleData v = one_lever_emu();
  v.engine_type = EngineType::Diesel;
  v.engine.resize(6);
  use_vehicle(rig.run, v);
  const std::pair<int, const char*> lever[] = {{0, "中立"}, {1, "変速"}, {2, "直結1"}, {5, "直結4"}};
  for (const auto& [gear, text] : lever) {
    rig.run.train.engine.gear_pos = gear;
    masconupdate(rig.run);
    EXPECT_EQ(rig.run.train.handles.mode_text, text) << gear;
  }
  rig.run.vehicle.engine.resize(3);  // three positions: the top one has no number
  rig.run.train.engine.gear_pos = 2;
  masconupdate(rig.run);
  EXPECT_EQ(rig.run.train.handles.mode_text, "直結");
}

TEST(RollBackProtection, BrakesWhenRunningAgainstTheReverserFasterThan7) {
  TestRig rig;
  VehicleData v = one_lever_emu();
  v.back = 1;
  use_vehicle(rig.run, v);
  HandleState& h = rig.run.train.handles;
  rig.run.train.motion.speed = -7;
  rollback_protection(rig.run);
  EXPECT_FALSE(h.ats_eb);
  h.reverser = 0;
  rig.run.train.motion.speed = -20;
  rollback_protection(rig.run);
  EXPECT_FALSE(h.ats_eb);  // neutral never acts
  h.reverser = -1;
  rig.run.train.motion.speed = 8;
  rollback_protection(rig.run);
  EXPECT_TRUE(h.ats_eb);
  EXPECT_TRUE(h.brake_pending && h.sap_pending && h.ebrake_pending);
  EXPECT_FALSE(h.power_pending);

  rig.run.vehicle.back = 0;
  h = HandleState{};
  rollback_protection(rig.run);
  EXPECT_FALSE(h.ats_eb);
}

}  // namespace
}  // namespace velmora
