#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/openal/openal_sound_device.h"
#include "platform_openal_wavs.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

template <typename Done>
bool wait_for(Done done) {
  for (auto waited = 0ms; waited < 5s; waited += 5ms) {
    if (done()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return done();
}

int load_checked(OpenAlSoundDevice& device, const fs::path& path) {
  std::string error;
  const int id = device.load(path.string(), error);
  EXPECT_GE(id, 0) << error;
  return id;
}

// An output that goes the way an unplugged headset does: OpenAL Soft's wave-file output
// writing through a link to /dev/full gives up at its first write and reports the device
// disconnected. Pointing the link elsewhere brings the "headset" back for the next open.
TEST(OpenAlLostOutput, TheDriveGoesOnSilentOnKeptStateAndReopeningPlaysItOn) {
  const fs::path dir = openal_scratch("lost");
  const fs::path out = dir / "out.wav";
  fs::create_symlink("/dev/full", out);
  std::ofstream(dir / "alsoft.conf")
      << "[general]\ndrivers=wave\n[wave]\nfile=" << out.string() << "\n";
  setenv("ALSOFT_CONF", (dir / "alsoft.conf").c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");  // it would win over the file's driver list

  std::vector<std::string> reports;
  OpenAlSoundDevice device([&](const std::string& m) { reports.push_back(m); });
  ASSERT_TRUE(device.working());
  const int loop_sound = load_checked(device, tone_wav(dir, {1, 16, 22050}, 440, 0.5));
  const int once_sound = load_checked(device, tone_wav(dir, {2, 16, 22050}, 440, 8.0));
  constexpr int kLoops = SoundDevice::kPlaying | SoundDevice::kLooping;
  device.attach(0, loop_sound);
  device.loop(0);
  device.attach(1, once_sound);
  device.play(1);
  device.attach(2, loop_sound);
  ASSERT_TRUE(wait_for([&] { return !device.connected(); }));

  // A loop still reads as playing, so nothing starts it over; a sound played once as over.
  EXPECT_EQ(device.status(0), kLoops);
  EXPECT_EQ(device.status(1), 0);
  // Calls change the kept state.
  device.loop(2);
  device.set_pan(2, 3000);
  device.set_volume(0, -800);
  device.set_freq_rate(0, 2.0L);
  EXPECT_EQ(device.status(2), kLoops);
  device.stop(0);
  EXPECT_EQ(device.status(0), 0);
  device.loop(0);

  // No output to be had yet: the caller tries again later, and nothing is lost meanwhile.
  fs::remove(out);
  fs::create_directory(out);
  EXPECT_FALSE(device.reopen());
  EXPECT_FALSE(device.connected());
  EXPECT_EQ(device.status(0), kLoops);
  device.set_volume(2, -100);

  fs::remove(out);
  ASSERT_TRUE(device.reopen());
  EXPECT_TRUE(device.connected());
  EXPECT_EQ(device.status(0), kLoops);
  EXPECT_EQ(device.status(1), 0) << "where it had got to went with the output";
  EXPECT_EQ(device.status(2), kLoops);
  EXPECT_EQ(device.volume(0), -800);
  EXPECT_EQ(device.frequency(0), 44100);
  EXPECT_EQ(device.pan(2), 3000);
  EXPECT_EQ(device.volume(2), -100);
  // Really sounding again, not merely read as such.
  EXPECT_TRUE(wait_for([&] { return device.position(2) > 0; }));
  device.play(1);
  EXPECT_EQ(device.status(1), SoundDevice::kPlaying);
  EXPECT_TRUE(reports.empty()) << reports[0];
}

}  // namespace
}  // namespace velmora
