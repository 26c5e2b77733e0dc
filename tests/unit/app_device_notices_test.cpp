// Devices lost and back: what the driver is told, and the sound device reopened during a
// drive.

#include <gtest/gtest.h>

#include "app/device_notices.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "test_rig.h"

namespace velmora {
namespace {

TEST(DeviceNotices, ALostDeviceStandsInTheTitleUntilItIsBack) {
  DeviceNotices n;
  EXPECT_EQ(n.take("serial lost"), device_notice("serial lost"));
  EXPECT_EQ(n.take("sound lost"), device_notice("sound lost"));
  EXPECT_EQ(n.standing(), device_notice("serial lost") + "　" + device_notice("sound lost"));
  EXPECT_EQ(n.take("serial back"), "VMマスコンに再接続しました");
  EXPECT_EQ(n.standing(), device_notice("sound lost"));
  EXPECT_EQ(n.take("printer lost"), "");                       // unknown: nothing shown
  EXPECT_EQ(n.take("film back"), device_notice("film back"));  // back without lost: harmless
  EXPECT_EQ(n.standing(), device_notice("sound lost"));
  for (const char* d : {"serial lost", "pad lost", "pad back", "sound back", "film lost"})
    EXPECT_FALSE(device_notice(d).empty()) << d;
}

TEST(SoundWatch, ASoundDeviceLostDuringADriveIsReopenedAndTheDriveGoesOn) {
  struct Rig : TestRig {
    using TestRig::TestRig;
    SoundWatch watch;
  } r(fixture_config());
  FormCreate(r.run);
  std::int64_t ms = 0;
  const auto frames = [&](int n) {
    for (int i = 0; i < n; ++i) {
      watch_sound_device(r.sound, r.events, r.watch, ms += 17);
      r.clock.advance_ns(17'000'000);
      AppIdle(r.run);
    }
  };
  frames(30);
  const long long before = r.run.frame.frames_run;
  r.sound.device_connected = false;
  r.sound.reopen_fails = true;
  frames(30);  // half a second: told once, tried at once, not again yet
  EXPECT_EQ(r.sound.reopens, 1);
  r.sound.reopen_fails = false;
  frames(60);
  EXPECT_EQ(r.sound.reopens, 2);
  EXPECT_TRUE(r.sound.device_connected);
  EXPECT_EQ(r.run.frame.frames_run, before + 90);
  EXPECT_EQ(event_details(r.log, "device"), (std::vector<std::string>{"sound lost", "sound back"}));
}

}  // namespace
}  // namespace velmora
