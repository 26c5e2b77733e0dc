#include <gtest/gtest.h>

#include <string>

#include "handle_fixtures.h"
#include "input/key_guide.h"
#include "input/keyboard.h"
#include "test_rig.h"

namespace velmora {
namespace {

struct KeyRig : TestRig {
  explicit KeyRig(const VehicleData& v = one_lever_emu()) { use_vehicle(run, v); }
  void type(const std::string& characters) {
    for (char c : characters) AsciiDown(run, static_cast<char32_t>(c));
  }
  // The lever position as one number: power notches positive, brake steps negative.
  int lever() const { return run.train.handles.power_handle > 0 ? run.train.handles.power_handle : run.train.handles.brake_handle; }
};

TEST(OneLever, TwoStepsDownFromPowerIntoTheBrakeAndStopsAtTheLastServiceStep) {
  KeyRig k;
  k.type("5888");
  ASSERT_EQ(k.lever(), 3);
  std::vector<int> seen;
  for (int i = 0; i < 12; ++i) {
    k.type("2");
    seen.push_back(k.lever());
  }
  EXPECT_EQ(seen, (std::vector<int>{2, 1, 0, -1, -2, -3, -4, -5, -6, -7, -7, -7}));
  k.type("0");
  EXPECT_EQ(k.lever(), -8);
  k.type("5q");
  EXPECT_EQ(k.lever(), -8);  // q: emergency with one lever
  k.type("5a");
  EXPECT_EQ(k.lever(), -1);  // a: one step down with one lever
  EXPECT_TRUE(k.run.train.handles.power_pending && k.run.train.handles.brake_pending &&
              k.run.train.handles.sap_pending && k.run.train.handles.ebrake_pending);
}

TEST(OneLever, TwoOnlyTakesPowerOffWithTheBrakeReleased) {
  KeyRig k;
  k.type("5888");
  k.run.train.handles.brake_handle = -1;  // a brake step left on while powering (two-handle data)
  k.type("2");
  EXPECT_EQ(k.run.train.handles.power_handle, 3);
  k.type("a");  // a has no such condition
  EXPECT_EQ(k.run.train.handles.power_handle, 2);
}

TEST(HoldBack, EightFromB1EntersHoldThenLeavesItThenPowers) {
  VehicleData v = one_lever_emu();
  v.hold = 1;
  KeyRig k(v);
  HandleState& h = k.run.train.handles;
  k.type("5");
  k.type("2");  // from release, 2 enters hold-back
  EXPECT_TRUE(h.hold_active);
  EXPECT_EQ(h.brake_handle, 0);
  k.type("2");  // and the next 2 goes to B1, not B2
  EXPECT_FALSE(h.hold_active);
  EXPECT_EQ(h.brake_handle, -1);
  k.type("8");
  EXPECT_TRUE(h.hold_active);
  EXPECT_EQ(h.brake_handle, 0);
  EXPECT_EQ(h.brake_text, "抑速");
  k.type("8");
  EXPECT_FALSE(h.hold_active);
  EXPECT_EQ(h.power_handle, 0);
  k.type("8");
  EXPECT_EQ(h.power_handle, 1);
}

TEST(Reverser, MovesOnlyAtRestAndAsTheInterlockAllows) {
  KeyRig k;
  HandleState& h = k.run.train.handles;
  k.run.train.motion.speed = 5;
  k.type("b");
  EXPECT_EQ(h.reverser, 1);
  k.run.train.motion.speed = -1;  // |speed| <= 1 is rest
  k.type("b");
  EXPECT_EQ(h.reverser, -1);
  EXPECT_EQ(h.reverser_text, "後");

  k.run.vehicle.interlock = 1;
  k.type("5");  // brake released: locked
  k.type("n");
  EXPECT_EQ(h.reverser, -1);
  k.type("0n");  // at emergency it moves
  EXPECT_EQ(h.reverser, 0);
  k.run.vehicle.interlock = 2;  // any other setting blocks it
  k.type("f");
  EXPECT_EQ(h.reverser, 0);
}

TEST(MouseWheel, TowardsPowersAwayBrakesAndAwayAtTheLastStepIsEmergency) {
  KeyRig k;
  k.type("5");
  WheelD(k.run);
  EXPECT_EQ(k.lever(), 1);
  WheelU(k.run);
  WheelU(k.run);
  EXPECT_EQ(k.lever(), -1);
  k.run.train.handles.brake_handle = -7;
  WheelU(k.run);
  EXPECT_EQ(k.lever(), -8);

  k.type("5");
  keydowns(k.run, Key::ScrollLock, false);  // swaps 2 and 8: the wheel towards brakes
  WheelD(k.run);
  EXPECT_EQ(k.lever(), -1);
  k.type("8");
  EXPECT_EQ(k.lever(), -2);
}

TEST(Vigilance, EveryCharacterButEnterResetsTheTimerEvenWhileLocked) {
  KeyRig k;
  k.run.protection.eb_timer = 5000;
  AsciiDown(k.run, U'\r');
  EXPECT_EQ(k.run.protection.eb_timer, 5000);
  k.run.frame.input_locked = true;
  k.type("z");
  EXPECT_EQ(k.run.protection.eb_timer, 0);
  EXPECT_EQ(k.run.train.handles.power_handle, 0);  // locked: nothing else happens
  k.run.protection.eb_timer = 5000;
  k.run.train.handles.eb_device = true;  // tripped: keys no longer reset it
  k.type("z");
  EXPECT_EQ(k.run.protection.eb_timer, 5000);
  key_pressed(k.run, Key::F5, true);
  EXPECT_EQ(k.run.protection.eb_timer, 5000);
}

TEST(TwoHandles, PowerAndBrakeHandlesMoveSeparatelyWithTheirOwnLatches) {
  VehicleData v = one_lever_emu();
  v.handle = HandleType::TwoHandles;
  KeyRig k(v);
  HandleState& h = k.run.train.handles;
  k.type("z");  // power up is free of the brake in this arrangement
  EXPECT_EQ(h.power_handle, 1);
  EXPECT_TRUE(h.power_pending);
  EXPECT_FALSE(h.brake_pending);
  k.type(",,,");
  EXPECT_EQ(h.brake_handle, -5);
  EXPECT_TRUE(h.brake_pending && h.sap_pending && h.ebrake_pending);
  k.type(".");
  EXPECT_EQ(h.brake_handle, -6);
  k.type("/");
  EXPECT_EQ(h.brake_handle, -8);
  EXPECT_EQ(h.power_handle, 1);  // emergency by / leaves the power handle
  k.type("za");
  EXPECT_EQ(h.power_handle, 1);
  k.type("q");  // q is a one-lever command
  EXPECT_EQ(h.power_handle, 1);
}

TEST(ConstantSpeedKey, SwitchesOnAtTheTopNotchAboveItsSpeed) {
  VehicleData v = one_lever_emu();
  v.const_notch = 1;
  v.const_speed = 30;
  KeyRig k(v);
  k.type("588888");
  k.run.train.motion.speed = 20;
  k.type("t");
  EXPECT_EQ(k.run.train.handles.const_active, 0);
  k.run.train.motion.speed = 45;
  k.type("t");
  EXPECT_EQ(k.run.train.handles.const_active, 1);
  EXPECT_EQ(k.run.train.handles.power_text, "定速");
}

TEST(GearKeys, DieselManualGearsAndElectricHoldBackNotches) {
  VehicleData diesel = one_lever_emu();
  diesel.engine_type = EngineType::Diesel;
  diesel.gear_type = 1;
  diesel.engine.resize(3);
  KeyRig d(diesel);
  d.type("w");
  EXPECT_EQ(d.run.train.engine.gear_pos, 2);
  EXPECT_EQ(d.run.train.handles.mode_text, "直結");
  d.type("s");
  EXPECT_EQ(d.run.train.engine.gear_pos, 0);
  d.type("x");
  EXPECT_EQ(d.run.train.engine.gear_pos, 1);
  d.run.vehicle.gear_type = 0;  // automatic: the keys do nothing
  d.type("w");
  EXPECT_EQ(d.run.train.engine.gear_pos, 1);

  VehicleData emu = one_lever_emu();
  emu.suppress = {3, 5};
  KeyRig e(emu);
  e.type("588");
  e.run.train.handles.power_pending = false;
  e.type("x");
  EXPECT_EQ(e.run.train.handles.suppress_state, 1);
  EXPECT_EQ(e.run.train.handles.power_handle, 0);  // hold-back takes power off
  EXPECT_TRUE(e.run.train.handles.power_pending);
  EXPECT_EQ(e.run.train.handles.mode_text, "抑速1");
  e.type("xx");
  EXPECT_EQ(e.run.train.handles.suppress_state, 2);  // at most the number of entries
  e.type("ss");
  EXPECT_EQ(e.run.train.handles.suppress_state, 0);
  EXPECT_EQ(e.run.train.handles.mode_text, "");
  e.type("x8");  // powering again ends hold-back
  EXPECT_EQ(e.run.train.handles.suppress_state, 0);
  EXPECT_EQ(e.run.train.handles.power_handle, 1);
}

TEST(ProtectionReset, OnlyStandingWithTheBrakeAsRequired) {
  KeyRig k;
  HandleState& h = k.run.train.handles;
  h.ats_eb = true;
  k.type("5r");
  EXPECT_TRUE(h.ats_eb);  // brake not at emergency
  k.type("0");
  k.run.train.motion.speed = 0.2L;
  k.type("r");
  EXPECT_TRUE(h.ats_eb);  // still moving
  k.run.train.motion.speed = 0;
  k.type("r");
  EXPECT_FALSE(h.ats_eb);

  h.ats_service = true;
  k.type("5r");
  EXPECT_TRUE(h.ats_service);  // brake released
  k.type("2r");
  EXPECT_FALSE(h.ats_service);
}

TEST(FunctionKeys, SpeedClockFilmScreenAndStarter) {
  KeyRig k;
  MotionState& m = k.run.train.motion;
  m.speed = 10;
  key_pressed(k.run, Key::F11, true);
  EXPECT_EQ(m.speed, 10);  // only above 10 km/h
  key_pressed(k.run, Key::F12, true);
  key_pressed(k.run, Key::F12, false);  // without Shift: nothing
  EXPECT_EQ(m.speed, 20);
  m.sim_ticks = 1'080'000;
  k.run.film.film_frame = 5000;
  const std::pair<Key, std::pair<int, int>> moves[] = {
      {Key::F10, {900, 0}}, {Key::F9, {-900, 0}}, {Key::F8, {900, 1000}},
      {Key::F7, {-900, -1000}}, {Key::F6, {90, 100}}, {Key::F5, {-90, -100}}};
  for (const auto& [key, change] : moves) {
    const int ticks = m.sim_ticks, frame = k.run.film.film_frame;
    key_pressed(k.run, key, true);
    EXPECT_EQ(m.sim_ticks - ticks, change.first);
    EXPECT_EQ(k.run.film.film_frame - frame, change.second);
  }

  std::vector<int> tops;
  for (int i = 0; i < 5; ++i) {
    key_pressed(k.run, Key::Up, true);
    tops.push_back(k.run.input.screen_top);
  }
  EXPECT_EQ(tops, (std::vector<int>{-50, -100, -150, -150, -150}));
  EXPECT_EQ(k.screen.screen_top, -150);  // the picture moves with it
  key_pressed(k.run, Key::Down, false);    // without Shift: nothing
  EXPECT_EQ(k.screen.screen_top, -150);
  for (int i = 0; i < 4; ++i) key_pressed(k.run, Key::Down, true);
  EXPECT_EQ(k.run.input.screen_top, 0);
  EXPECT_EQ(k.screen.screen_top, 0);

  key_pressed(k.run, Key::F2, true);
  EXPECT_EQ(k.run.input.starter_key, 2);
  keyups(k.run, Key::F2, false);
  EXPECT_EQ(k.run.input.starter_key, 0);
  key_pressed(k.run, Key::F1, true);
  EXPECT_TRUE(k.run.input.auto_run);
  key_pressed(k.run, Key::F1, false);
  EXPECT_FALSE(k.run.input.auto_run);
}

TEST(KeyGuide, NamesTheKeysOfTheVehiclesHandlesEngineAndGears) {
  struct Case {
    int handle, engine_type, gear_type;
    std::vector<std::string> said, not_said;
  };
  const Case cases[] = {
      {0, 1, 0, {"One lever: z towards power"}, {"Two levers", "Diesel", "Manual gears"}},
      {1, 1, 0, {"Two levers: z/a power up/down, . brake on"}, {"One lever", "Diesel"}},
      {0, 0, 0, {"One lever", "hold F2 to start the engine"}, {"Manual gears"}},
      {1, 0, 1, {"Two levers", "Diesel", "Manual gears: x gear 1, w gear 2, s neutral"}, {"One lever"}},
  };
  for (const Case& c : cases) {
    VehicleData v;
    v.handle = static_cast<HandleType>(c.handle), v.engine_type = static_cast<EngineType>(c.engine_type), v.gear_type = c.gear_type;
    const std::string guide = vehicle_key_guide(v);
    for (const std::string& s : c.said) EXPECT_NE(guide.find(s), std::string::npos) << s << " in\n" << guide;
    for (const std::string& s : c.not_said) EXPECT_EQ(guide.find(s), std::string::npos) << s << " in\n" << guide;
  }
}

TEST(DoorSideKeys, ChooseTheSideWhileTheDoorsAreClosed) {
  KeyRig k;
  k.run.ui.doors = {"左", "右"};
  key_pressed(k.run, Key::PageDown, false);
  EXPECT_EQ(k.run.input.door_side, 1);
  EXPECT_EQ(k.run.input.door_side_text, "");  // no one-man display on this line
  k.run.route.one_man_display = 1;
  key_pressed(k.run, Key::PageUp, false);
  EXPECT_EQ(k.run.input.door_side, 0);
  EXPECT_EQ(k.run.input.door_side_text, "左");
  k.run.station.doors_open = true;
  key_pressed(k.run, Key::PageDown, false);
  EXPECT_EQ(k.run.input.door_side, 0);
}

TEST(HeldKeys, AreReadFromTheKeyboardEveryFrame) {
  KeyRig k;
  k.keyboard.set(HeldKey::Key4, true);
  read_held_keys(k.run);
  EXPECT_TRUE(k.run.input.key4_held);
  EXPECT_FALSE(k.run.input.key3_held);
  k.keyboard.set(HeldKey::Key4, false);
  read_held_keys(k.run);
  EXPECT_FALSE(k.run.input.key4_held);
}

}  // namespace
}  // namespace velmora
