#include <gtest/gtest.h>

#include <fstream>

#include "app/startup.h"
#include "data/load_failure.h"
#include "platform/frame_timed_sound.h"
#include "sound/vehicle_sounds.h"
#include "test_rig.h"

namespace velmora {
namespace {

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string slashes(std::string name) {
  for (char& c : name)
    if (c == '\\') c = '/';
  return name;
}

TEST(SoundChannels, StartUpLaysTheSoundsOutInTheirOrder) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  const SoundState& s = rig.run.sound;
  const VehicleData& v = rig.run.vehicle;
  ASSERT_EQ(s.vehicle_count, static_cast<int>(v.drive_sound.size()));
  ASSERT_GT(s.route_count, 0);
  for (int i = 0; i < s.vehicle_count; ++i)
    EXPECT_TRUE(ends_with(rig.sound.file_of(i), slashes(v.drive_sound[static_cast<std::size_t>(i)]))) << i;
  for (int k = 0; k < s.route_count; ++k) {
    const std::string& name = rig.run.route.sound_data[static_cast<std::size_t>(k)];
    if (!name.empty()) {
      EXPECT_TRUE(ends_with(rig.sound.file_of(s.route_channel(k)), slashes(name))) << k;
    }
  }
  ASSERT_EQ(s.motor_count, static_cast<int>(v.engine_sound1.size()));
  EXPECT_TRUE(ends_with(rig.sound.file_of(s.motor_channel(0)), slashes(v.engine_sound1[0].index)));
  EXPECT_TRUE(ends_with(rig.sound.file_of(s.gear_channel(0)), slashes(v.engine_sound3[0].index)));
  EXPECT_EQ(s.call_channel(), s.vehicle_count + s.route_count + s.motor_count + s.gear_count + 1);
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel) ASSERT_EQ(rig.sound.status(channel), 0);
}

TEST(SoundChannels, TheDesktopTellsPlayStateOnTheFrameClockAsAReplayDoes) {
  // The device underneath never sees its clock move (a mixer that lags); what the run reads
  // follows the frame clock and the sound's length (arrival_2s.wav: 2 s).
  FakeClock mixer;
  EventLog log;
  FakeSoundDevice device(log, mixer);
  FrameTimedSound sound(device);
  std::int64_t frame_ns = 1'000'000'000;
  sound.set_clock([&] { return frame_ns; }, 1'000'000'000);
  std::string error;
  const int id = sound.load((fixture_config().program_dir / "sound" / "arrival_2s.wav").string(), error);
  ASSERT_GE(id, 0) << error;
  sound.attach(7, id);
  sound.play(7);
  const std::pair<std::int64_t, int> states[] = {
      {1'000'000'000, SoundDevice::kPlaying},  // the pass it started
      {2'999'000'000, SoundDevice::kPlaying},
      {3'000'000'000, 0},                      // its length has passed
  };
  for (const auto& [ns, status] : states) {
    frame_ns = ns;
    EXPECT_EQ(sound.status(7), status) << ns;
  }
  EXPECT_EQ(device.status(7), SoundDevice::kPlaying);  // the mixer's own view lags
  sound.loop(7);
  frame_ns += 10'000'000'000;
  EXPECT_EQ(sound.status(7), SoundDevice::kPlaying | SoundDevice::kLooping);
  sound.stop(7);
  EXPECT_EQ(sound.status(7), 0);
}

TEST(SoundChannels, AMissingSoundFileStopsTheStartWithItsPath) {
  const auto dir = scratch_dir("missing_sound");
  std::filesystem::copy(fixture_config().program_dir, dir, std::filesystem::copy_options::recursive);
  std::filesystem::remove(dir / "sound" / "horn.wav");
  RunConfig c = fixture_config();
  c.program_dir = dir;
  TestRig rig(c);
  try {
    FormCreate(rig.run);
    FAIL() << "start-up went on without the horn";
  } catch (const LoadFailure& f) {
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_TRUE(ends_with(f.messages[0], "horn.wavが見つかりません")) << f.messages[0];
  }
}

TEST(SoundChannels, AVehicleSoundPlaysForItsLengthAndNumberZeroIsSilence) {
  TestRig rig(fixture_config());
  FormCreate(rig.run);
  const int horn = rig.run.vehicle.sound_horn;
  rig.log.events.clear();
  vehicle_sound_play(rig.run, horn);
  EXPECT_TRUE(vehicle_sound_playing(rig.run, horn));
  ASSERT_EQ(rig.log.events.size(), 1u);
  EXPECT_EQ(rig.log.events[0].kind, "play");
  EXPECT_EQ(rig.log.events[0].detail.substr(0, std::to_string(horn).size() + 1), std::to_string(horn) + " ");
  rig.clock.advance_ns(5'000'000'000);  // longer than the short fixture sound
  EXPECT_FALSE(vehicle_sound_playing(rig.run, horn));

  vehicle_sound_loop(rig.run, horn);
  rig.clock.advance_ns(5'000'000'000);
  EXPECT_TRUE(vehicle_sound_playing(rig.run, horn));  // a loop goes on
  vehicle_sound_stop(rig.run, horn);
  EXPECT_FALSE(vehicle_sound_playing(rig.run, horn));

  const std::size_t before = rig.log.events.size();
  vehicle_sound_play(rig.run, 0);
  vehicle_sound_play(rig.run, 999);
  EXPECT_EQ(rig.log.events.size(), before);
}

}  // namespace
}  // namespace velmora
