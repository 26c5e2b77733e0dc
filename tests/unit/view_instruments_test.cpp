#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
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
  run.motion.speed = 80;
  instruments_step(run);
  EXPECT_NEAR(static_cast<double>(rig.of(run.cab.needle_speed).angle), 190 * 1023.0 / 360, 1e-9);
  run.motion.speed = 159;
  instruments_step(run);
  const long double at_159 = rig.of(run.cab.needle_speed).angle;
  run.motion.speed = 170;
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_speed).angle, at_159);
  run.motion.speed = -0.5L;  // rolling back a little: the needle stays
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_speed).angle, at_159);
  run.motion.speed = -5;
  instruments_step(run);
  EXPECT_NEAR(rig.degrees(run.cab.needle_speed), 40, 1e-9);
}

TEST(BcNeedle, FollowsAStepOfPressureOverTenFrames) {
  CabRig rig;
  velmora::Run& run = rig.run;
  run.panel.Needle_BC.zero = 0;
  run.panel.Needle_BC.one = 0.5L;
  run.vehicle.mc = 0;
  run.brakes.bc_t = 0;
  for (int i = 0; i < 10; ++i) instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_bc).angle, 0);
  run.brakes.bc_t = 360;  // 180 degrees: 511.5, rounded 512 units
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
  run.motion.speed = -3.4L;
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.digi_speed).pattern, 3);
  run.motion.speed = 200;
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.digi_speed).pattern, 3);  // no pattern for 200

  run.panel.Needle_I.sign = 2;
  run.panel.Needle_I.zero = 512;
  run.traction.ammeter_value = -300;
  instruments_step(run);
  EXPECT_EQ(rig.of(run.cab.needle_i).angle, 512);  // half a turn, whatever the current
  run.panel.Needle_I = {"x", 0, 0, 0, 0, 10, 0.5L, 1, 0};
  instruments_step(run);
  EXPECT_NEAR(rig.degrees(run.cab.needle_i), 160, 1e-9);  // the magnitude of -300 A
}

TEST(CabLamps, PowerAndBrakeLampsFollowTheAmmeterModeAndTheNotches) {
  CabRig rig;
  velmora::Run& run = rig.run;
  run.handles.power_notch = 2;
  run.handles.brake_notch = 0;
  run.station.doors_open = false;
  instruments_step(run);
  cab_lamps_step(run);
  EXPECT_EQ(run.cab.ammeter_mode, 2);
  EXPECT_TRUE(rig.of(run.cab.lamp_power).place.visible);
  EXPECT_FALSE(rig.of(run.cab.lamp_air).place.visible);
  run.handles.power_notch = 0;
  run.handles.brake_notch = -3;
  instruments_step(run);
  cab_lamps_step(run);
  EXPECT_FALSE(rig.of(run.cab.lamp_power).place.visible);
  EXPECT_TRUE(rig.of(run.cab.lamp_air).place.visible);
  run.handles.brake_notch = -run.vehicle.brake;  // emergency is not a service brake
  cab_lamps_step(run);
  EXPECT_FALSE(rig.of(run.cab.lamp_air).place.visible);
}

TEST(CabLamps, TheStopAlertLampBlinksWhileTheAlertSoundsAndGoesOutAtAStand) {
  CabRig rig;
  velmora::Run& run = rig.run;
  const CabItem& lamp = run.cab.lamp_stop;
  ASSERT_TRUE(lamp.exists());
  run.platform.sound.play(run.vehicle.stop[0]);
  run.motion.speed = 30;
  run.frame.tenth_count = 20;
  cab_lamps_step(run);
  EXPECT_TRUE(rig.of(lamp).place.visible);
  run.frame.tenth_count = 25;
  cab_lamps_step(run);
  EXPECT_FALSE(rig.of(lamp).place.visible);
  run.frame.tenth_count = 30;
  cab_lamps_step(run);
  EXPECT_TRUE(rig.of(lamp).place.visible);
  run.motion.speed = 0.5L;
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
  run.handles.brake_notch = -run.vehicle.brake;
  cab_lamps_step(run);
  EXPECT_DOUBLE_EQ(static_cast<double>(run.cab.brake_cmd_value), 2.25);
}

TEST(Indicators, NotchesReverserAndTheProtectionsHoldOnTheSecondSet) {
  CabRig rig;
  velmora::Run& run = rig.run;
  HandleState& h = run.handles;
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
