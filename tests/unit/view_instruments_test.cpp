#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "app/train_steps.h"
#include "data/load_failure.h"
#include "dynamics/handles.h"
#include "test_rig.h"
#include "view/cab_build.h"
#include "view/instruments.h"

namespace velmora {
namespace {

// The fixture's cab, built as the start-up builds it.
struct CabRig : TestRig {
  CabRig() : TestRig(fixture_config()) { FormCreate(run); }
  const FakeSpriteEngine::Sprite& of(const CabItem& item) const {
    return sprites.sprites.at(static_cast<std::size_t>(item.sprite));
  }
  long double degrees(const CabItem& item) const { return of(item).angle / kUnitsPerDegree; }
};

TEST(CabBuild, EveryElementWithItsDrawingOrderAndStartVisibility) {
  CabRig rig;
  const CabState& c = rig.run.cab;
  struct Expect {
    const CabItem* item;
    const char* image;
    int z;
    bool visible;
  } expected[] = {{&c.panel, "img_Panel", 0, true},          {&c.panel2, "img_Panel2", 50, true},
                  {&c.needle_speed, "img_Needle_speed", 34, true}, {&c.needle_i, "img_Needle_I", 21, true},
                  {&c.notch_b, "img_lamp_b", 41, true},       {&c.digi_speed, "img_digi_speed", 37, true}};
  for (const Expect& e : expected) {
    ASSERT_TRUE(e.item->exists()) << e.image;
    EXPECT_EQ(rig.of(*e.item).picture, e.image);
    EXPECT_EQ(rig.of(*e.item).place.z, e.z) << e.image;
    EXPECT_EQ(rig.of(*e.item).place.visible, e.visible) << e.image;
  }
  // Strips are cut into their patterns; pictures are transparent by their bottom-left pixel.
  const PictureRequest* strip = rig.images.find("img_lamp_b");
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->pattern_width, 16);
  EXPECT_TRUE(strip->transparent);
  // Protection is on at the start: its first lamp is lit by the first route step.
  EXPECT_TRUE(rig.run.protection.ats_lamps[0]);
}

TEST(CabBuild, AMissingPictureStopsTheStartWithItsNameAndAnAbsentOneIsSkipped) {
  RunConfig config = fixture_config();
  TestRig rig(config);
  rig.images.refuse.insert("img_Needle_BC");
  try {
    FormCreate(rig.run);
    ADD_FAILURE() << "the start went on";
  } catch (const LoadFailure& f) {
    EXPECT_EQ(f.messages, (std::vector<std::string>{"panel\\needle.bmpの生成エラー"}));
  }

  CabRig none;
  none.run.panel.Needle_BC.name.clear();
  none.run.cab = CabState{};
  none.sprites.sprites.clear();
  build_cab(none.run);
  EXPECT_FALSE(none.run.cab.needle_bc.exists());
  instruments_step(none.run);  // nothing to turn, nothing goes wrong
  CommonUtil(none.run, 5);
}

TEST(Speedometer, OneSlopeOrTwoMeetingAtTenAndHeldFromOneSixty) {
  EXPECT_DOUBLE_EQ(static_cast<double>(speedometer_degrees(80, 30, 2, 0)), 190);
  EXPECT_DOUBLE_EQ(static_cast<double>(speedometer_degrees(5, 0, 2, 3)), 15);
  EXPECT_DOUBLE_EQ(static_cast<double>(speedometer_degrees(10, 0, 2, 3)), 30);
  EXPECT_DOUBLE_EQ(static_cast<double>(speedometer_degrees(20, 0, 2, 3)), 50);

  CabRig rig;
  velmora::Run& run = rig.run;
  run.panel.Needle_Speed = {"x", 0, 0, 0, 0, 30, 2, 0, 0};
  run.train.motion.speed = 80;
  instruments_step(run);
  EXPECT_NEAR(static_cast<double>(rig.of(run.cab.needle_speed).angle), 190 * 1023.0 / 360, 1e-9);
  run.train.motion.speed = 159;
  instruments_step(run);
  const long double at_159 = rig.of(run.cab.needle_speed).angle;
  run.train.motion.speed = 170;
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_speed).angle, at_159);
  run.train.motion.speed = -0.5L;  // rolling back a little: the needle stays
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_speed).angle, at_159);
  run.train.motion.speed = -5;
  instruments_step(run);
  EXPECT_NEAR(rig.degrees(run.cab.needle_speed), 40, 1e-9);
}

TEST(BcNeedle, FollowsAStepOfPressureOverTenFrames) {
  CabRig rig;
  velmora::Run& run = rig.run;
  run.panel.Needle_BC.zero = 0;
  run.panel.Needle_BC.one = 0.5L;
  run.vehicle.mc = 0;
  run.train.brakes.bc_t = 0;
  for (int i = 0; i < 10; ++i) instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_bc).angle, 0);
  run.train.brakes.bc_t = 360;  // 180 degrees: 511.5, rounded 512 units
  instruments_step(run);
  EXPECT_NEAR(static_cast<double>(rig.of(run.cab.needle_bc).angle), 51.2, 1e-9);
  for (int i = 0; i < 8; ++i) instruments_step(run);
  EXPECT_LT(rig.of(run.cab.needle_bc).angle, 512);
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_bc).angle, 512);
}

TEST(DigitalSpeedAndAmmeter, PatternsAndTheFixedNeedle) {
  CabRig rig;
  velmora::Run& run = rig.run;
  run.train.motion.speed = -3.4L;
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.digi_speed).pattern, 3);
  run.train.motion.speed = 200;
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.digi_speed).pattern, 3);  // no pattern for 200

  run.panel.Needle_I.sign = 2;
  run.panel.Needle_I.zero = 512;
  run.train.traction.ammeter_value = -300;
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_i).angle, 512);  // half a turn, whatever the current
  run.panel.Needle_I = {"x", 0, 0, 0, 0, 10, 0.5L, 1, 0};
  instruments_step(run);
  EXPECT_NEAR(rig.degrees(run.cab.needle_i), 160, 1e-9);  // the magnitude of -300 A
}

TEST(CabLamps, PowerAndBrakeLampsFollowTheAmmeterModeAndTheNotches) {
  CabRig rig;
  velmora::Run& run = rig.run;
  run.train.handles.power_notch = 2;
  run.train.handles.brake_notch = 0;
  run.station.doors_open = false;
  instruments_step(run);
  cab_lamps_step(run);
  EXPECT_EQ(run.cab.ammeter_mode, 2);
  EXPECT_TRUE(rig.of(run.cab.lamp_power).place.visible);
  EXPECT_FALSE(rig.of(run.cab.lamp_air).place.visible);
  run.train.handles.power_notch = 0;
  run.train.handles.brake_notch = -3;
  instruments_step(run);
  cab_lamps_step(run);
  EXPECT_FALSE(rig.of(run.cab.lamp_power).place.visible);
  EXPECT_TRUE(rig.of(run.cab.lamp_air).place.visible);
  run.train.handles.brake_notch = -run.vehicle.brake;  // emergency is not a service brake
  cab_lamps_step(run);
  EXPECT_FALSE(rig.of(run.cab.lamp_air).place.visible);
}

TEST(CabLamps, TheStopAlertLampBlinksWhileTheAlertSoundsAndGoesOutAtAStand) {
  CabRig rig;
  velmora::Run& run = rig.run;
  const CabItem& lamp = run.cab.lamp_stop;
  ASSERT_TRUE(lamp.exists());
  run.platform.sound.play(run.vehicle.stop[0]);
  run.train.motion.speed = 30;
  run.frame.tenth_count = 20;
  cab_lamps_step(run);
  EXPECT_TRUE(rig.of(lamp).place.visible);
  run.frame.tenth_count = 25;
  cab_lamps_step(run);
  EXPECT_FALSE(rig.of(lamp).place.visible);
  run.frame.tenth_count = 30;
  cab_lamps_step(run);
  EXPECT_TRUE(rig.of(lamp).place.visible);
  run.train.motion.speed = 0.5L;
  cab_lamps_step(run);
  EXPECT_FALSE(rig.of(lamp).place.visible);
}

TEST(CabLamps, TheVoltmeterClimbsInSixPassesAndTheBrakeGaugeHalvesItsWay) {
  CabRig rig;
  velmora::Run& run = rig.run;
  run.cab.volt_value = 0;
  for (int i = 0; i < 5; ++i) cab_lamps_step(run);
  EXPECT_EQ(run.cab.volt_value, Fixed4(1250));
  cab_lamps_step(run);
  cab_lamps_step(run);
  EXPECT_EQ(run.cab.volt_value, Fixed4(1500));
  run.cab.brake_cmd_value = 0;
  run.train.handles.brake_notch = -run.vehicle.brake;
  cab_lamps_step(run);
  EXPECT_DOUBLE_EQ(static_cast<double>(run.cab.brake_cmd_value), 2.25);
}

TEST(AmmeterMode, ElectricBrakingByTheHoldBackTheBrakeTheSuppressionOrANegativeNotch) {
  struct Case {
    bool hold;
    long double resist;
    int power_handle, power_notch, brake_notch, suppress;
    long double eb_current, traction;
    bool doors_open;
    int mode;
  } cases[] = {
      {true, 100, 0, 0, 0, 0, 50, 0, false, 1},    // holding back downhill
      {true, 100, 0, 0, 0, 0, 0, 0, false, 0},     // without electric-brake current
      {true, -100, 0, 0, 0, 0, 50, 0, false, 0},   // nothing to hold back
      {false, 0, 0, 0, -3, 0, 50, 0, false, 1},    // a service notch
      {false, 0, 0, 0, -8, 0, 50, 0, false, 0},    // emergency is no electric braking
      {false, 0, 0, 0, 0, 1, 50, 0, false, 1},     // the suppression step
      {false, 0, 2, 2, 0, 0, 0, -500, false, 1},   // a negative notch row braking
      {false, 0, 2, 2, 0, 0, 0, 500, false, 2},    // the same row pulling: powering
      {false, 0, 1, 1, 0, 0, 0, 500, true, 0},     // doors open under [DoorLock] 1
  };
  for (const Case& c : cases) {
    CabRig rig;
    velmora::Run& run = rig.run;
    HandleState& h = run.train.handles;
    run.vehicle.notch[1].acc0 = -1;  // notch 2 is a braking row
    h.hold_active = c.hold;
    h.power_handle = c.power_handle;
    h.power_notch = c.power_notch;
    h.brake_notch = c.brake_notch;
    h.suppress_state = c.suppress;
    run.train.motion.resist_force = Fixed4(c.resist);
    run.train.motion.traction_force = Fixed4(c.traction);
    run.train.brakes.ebrake_current = c.eb_current;
    run.station.doors_open = c.doors_open;
    instruments_step(run);
    EXPECT_EQ(run.cab.ammeter_mode, c.mode) << c.hold << " " << c.brake_notch << " " << c.suppress << " "
                                            << c.power_notch << " " << static_cast<double>(c.traction);
  }
}

TEST(LinearGauges, MarksRiseFromZeroByTheValueAndTheCurrentGaugeFollowsTheMode) {
  CabRig rig;
  velmora::Run& run = rig.run;
  CabState& c = run.cab;
  // Every linear gauge of the fixture: zero at y 560, 0.05 px per unit; the BC gauge shows
  // the motor cars ([Mc] 1).
  run.train.traction.ammeter_value = 300;
  run.train.brakes.bc_m = 330;
  run.train.brakes.mr_press = 880;
  run.train.handles.power_notch = 2;  // powering, with the doors shut
  run.station.doors_open = false;
  instruments_step(run);
  EXPECT_EQ(c.linear_ip.top, 560 - 15);
  EXPECT_EQ(c.linear_ib.top, 560 - 15);
  EXPECT_EQ(c.linear_bc.top, 560 - 17);  // 16.5 rounds away from zero
  EXPECT_EQ(c.linear_mr.top, 560 - 44);
  CommonUtil(run, 3);
  EXPECT_EQ(rig.of(c.linear_ip).place.y, 560 - 15 + 3);
  EXPECT_TRUE(rig.of(c.linear_ip).place.visible);
  EXPECT_FALSE(rig.of(c.linear_ib).place.visible);

  run.train.traction.ammeter_value = -300;  // braking electrically
  run.train.handles.power_notch = 0;
  run.train.handles.brake_notch = -3;
  run.train.brakes.ebrake_current = 300;
  instruments_step(run);
  EXPECT_EQ(c.linear_ib.top, 560 + 15);
  EXPECT_FALSE(rig.of(c.linear_ip).place.visible);
  EXPECT_TRUE(rig.of(c.linear_ib).place.visible);
  run.train.handles.brake_notch = 0;  // mode 0: both stay as they are
  run.train.brakes.ebrake_current = 0;
  instruments_step(run);
  EXPECT_FALSE(rig.of(c.linear_ip).place.visible);
  EXPECT_TRUE(rig.of(c.linear_ib).place.visible);
}

TEST(CabLamps, TheSecondPanelIsThePictureForInsideTunnelsWithVisualEffectsOn) {
  const struct {
    int effects_off, tunnel_level;
    bool shown;
  } cases[] = {{0, 3, true}, {0, 0, false}, {1, 3, false}};
  for (const auto& c : cases) {
    CabRig rig;
    rig.run.options.opt_effects_off = c.effects_off;
    rig.run.train.motion.tunnel_level = c.tunnel_level;
    cab_lamps_step(rig.run);
    EXPECT_EQ(rig.of(rig.run.cab.panel2).place.visible, c.shown) << c.effects_off << " " << c.tunnel_level;
  }
}

// Nine [Others] groups, all of the same picture.
struct ExtraPicturesRig : CabRig {
  explicit ExtraPicturesRig(std::size_t groups) {
    run.panel.Others.assign(groups, run.panel.Others.at(0));
    run.cab = CabState{};
    sprites.sprites.clear();
    build_cab(run);
  }
  bool shown(std::size_t slot) const { return of(run.cab.others.at(slot)).place.visible; }
};

TEST(ExtraPictures, EachSlotByItsOwnRule) {
  ExtraPicturesRig rig(9);
  velmora::Run& run = rig.run;
  StationState& st = run.station;
  st.st_arrived.assign(st.st_arrived.size(), false);
  st.st_arrived[2] = true;
  run.route.stations[2].door = 1;
  st.door_cmd = true;
  run.input.door_side = 1;
  run.train.engine.engine_run = -2;
  run.announce.extra_picture4_shown = true;
  run.vehicle.ats_type = AtsType::Pattern;
  cab_lamps_step(run);
  const bool all_on[9] = {false, true, true, true, true, true, true, true, false};
  for (std::size_t slot = 0; slot < 9; ++slot) EXPECT_EQ(rig.shown(slot), all_on[slot]) << slot;

  run.route.stations[2].door = 0;
  run.input.door_side = 0;
  run.train.engine.engine_run = 0;
  run.announce.extra_picture4_shown = false;  // once shown it stays
  run.vehicle.ats_type = AtsType::WarningPoint;
  cab_lamps_step(run);
  const bool changed[9] = {true, false, false, false, true, false, true, true, false};
  for (std::size_t slot = 0; slot < 9; ++slot) EXPECT_EQ(rig.shown(slot), changed[slot]) << slot;
  st.door_cmd = false;
  cab_lamps_step(run);
  EXPECT_FALSE(rig.shown(0) || rig.shown(1));
}

TEST(ExtraPictures, WithOneGroupItsSlotStillShowsTheDoorSide) {
  ExtraPicturesRig rig(1);
  rig.run.station.door_cmd = true;
  cab_lamps_step(rig.run);
  EXPECT_TRUE(rig.shown(0));
  rig.run.station.door_cmd = false;
  cab_lamps_step(rig.run);
  EXPECT_FALSE(rig.shown(0));
}

TEST(CabSignal, ACabSignallingVehicleShowsItsFirstPatternFromTheStart) {
  CabRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.ats_type = AtsType::CabSignal;
  ASSERT_TRUE(run.cab.cabsignal.exists());
  cab_lamps_step(run);
  EXPECT_TRUE(rig.of(run.cab.cabsignal).place.visible);
  EXPECT_EQ(rig.of(run.cab.cabsignal).pattern, 0);
  run.signals.cab_signal_pattern = -1;  // a signal without a cab-signal picture came into view
  cab_lamps_step(run);
  EXPECT_FALSE(rig.of(run.cab.cabsignal).place.visible);
}

TEST(Indicators, NotchesReverserAndTheProtectionsHoldOnTheSecondSet) {
  CabRig rig;
  velmora::Run& run = rig.run;
  HandleState& h = run.train.handles;
  h.reverser = -1;
  h.power_handle = 3;
  h.brake_handle = 0;
  indicators_update(run);
  EXPECT_FALSE(rig.of(run.cab.lamp_fwd).place.visible);
  EXPECT_TRUE(rig.of(run.cab.lamp_back).place.visible);
  EXPECT_EQ(rig.of(run.cab.notch_p).pattern, 3);
  h.power_handle = 0;
  h.brake_handle = -4;
  indicators_update(run);
  EXPECT_EQ(rig.of(run.cab.notch_b).pattern, 4);
  if (run.cab.notch_b2.exists()) {
    rig.sprites.patterns["img_lamp_b2"] = 10;
    h.ats_service = true;
    indicators_update(run);
    EXPECT_EQ(rig.of(run.cab.notch_b2).pattern, 8);  // the last pattern but one
    h.ats_eb = true;
    indicators_update(run);
    EXPECT_EQ(rig.of(run.cab.notch_b2).pattern, 9);
  }
}

TEST(Sway, TheDeskMovesByTheOffsetButTheSuppressionLampStays) {
  CabRig rig;
  velmora::Run& run = rig.run;
  CommonUtil(run, 7);
  EXPECT_EQ(rig.of(run.cab.panel).place.y, run.panel.Panel.Top + 7);
  EXPECT_EQ(rig.of(run.cab.needle_speed).place.y, run.panel.Needle_Speed.Top + 7);
  if (run.cab.lamp_suppress.exists()) {
    EXPECT_EQ(rig.of(run.cab.lamp_suppress).place.y, run.vehicle.signal_suppress.Top);
  }
}

}  // namespace
}  // namespace velmora
