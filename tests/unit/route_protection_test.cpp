#include <gtest/gtest.h>

#include "input/keyboard.h"
#include "protection_rig.h"

namespace velmora {
namespace {

// Runs the vigilance device until its timer has counted `ms` (17 ms a pass).
void run_for(ProtectionRig& rig, int passes) {
  for (int i = 0; i < passes; ++i) vigilance_step(rig.run);
}

TEST(Vigilance, CountsOnlyAboveOneKmhWithTheDeviceFitted) {
  struct Case {
    long double speed;
    int eb;
    int expected;
  } cases[] = {{1.0L, 1, 0}, {1.01L, 1, 17}, {-30, 1, 0}, {50, 0, 0}, {50, 2, 0}};
  for (const Case& c : cases) {
    ProtectionRig rig;
    rig.run.vehicle.eb = c.eb;
    rig.run.motion.speed = c.speed;
    vigilance_step(rig.run);
    EXPECT_EQ(rig.run.protection.eb_timer, c.expected) << c.speed << " " << c.eb;
  }
}

TEST(Vigilance, RingsAfterSixtySecondsAndBrakesAfterSixtyFive) {
  ProtectionRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.eb = 1;
  run.motion.speed = 40;
  run.protection.eb_timer = 60001 - 17 - 17;
  vigilance_step(run);
  EXPECT_FALSE(rig.playing(run.vehicle.sound_ebring));
  EXPECT_FALSE(run.protection.eb_lamp);
  vigilance_step(run);  // 60001
  EXPECT_TRUE(rig.playing(run.vehicle.sound_ebring));
  EXPECT_TRUE(run.protection.eb_lamp);
  EXPECT_FALSE(run.handles.eb_device);

  rig.clear_latches();
  run.protection.eb_timer = 65001 - 17 - 17;
  vigilance_step(run);
  EXPECT_FALSE(run.handles.eb_device);
  EXPECT_FALSE(rig.all_latches());
  vigilance_step(run);  // 65001
  EXPECT_TRUE(run.handles.eb_device);
  EXPECT_TRUE(rig.all_latches());
  EXPECT_EQ(run.protection.eb_timer, 0);
  EXPECT_EQ(brake_target(run), -run.vehicle.brake);  // the handle state brakes at emergency
  EXPECT_TRUE(rig.playing(run.vehicle.sound_ebring));  // rings on until released

  // Keys do not silence a tripped device; only the brake handle at emergency releases it.
  AsciiDown(run, U'a');
  EXPECT_TRUE(run.handles.eb_device);
  EXPECT_TRUE(rig.playing(run.vehicle.sound_ebring));
  run.handles.brake_handle = -3;
  vigilance_step(run);
  EXPECT_TRUE(run.handles.eb_device);
  rig.emergency_handle();
  run.motion.speed = 0;
  vigilance_step(run);
  EXPECT_FALSE(run.handles.eb_device);
  EXPECT_FALSE(rig.playing(run.vehicle.sound_ebring));
  EXPECT_FALSE(run.protection.eb_lamp);
}

TEST(Vigilance, AKeyBeforeTheBrakeStartsTheCountAgain) {
  ProtectionRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.eb = 1;
  run.motion.speed = 40;
  run.protection.eb_timer = 62000;
  vigilance_step(run);
  ASSERT_TRUE(run.protection.eb_lamp);
  AsciiDown(run, U'a');
  EXPECT_EQ(run.protection.eb_timer, 0);
  EXPECT_FALSE(rig.playing(run.vehicle.sound_ebring));
  EXPECT_FALSE(run.protection.eb_lamp);
  run_for(rig, 10);
  EXPECT_EQ(run.protection.eb_timer, 170);
  EXPECT_FALSE(run.handles.eb_device);
}

TEST(Vigilance, AutomaticRunningSwitchesTheDeviceOffForGood) {
  ProtectionRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.eb = 1;
  run.motion.speed = 40;
  run.input.auto_run = true;
  vigilance_step(run);
  EXPECT_EQ(run.vehicle.eb, 0);
  run.input.auto_run = false;
  run_for(rig, 5);
  EXPECT_EQ(run.protection.eb_timer, 0);
}

}  // namespace
}  // namespace velmora
