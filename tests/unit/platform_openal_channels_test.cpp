#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/openal/openal_sound_device.h"
#include "platform_openal_wavs.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

// Every test plays through OpenAL Soft's null output: it mixes in real time and discards
// the result, so play positions move as on a sound card. Set before the first device is
// opened, which is when OpenAL reads its settings.
class OpenAlChannels : public ::testing::Test {
 protected:
  void SetUp() override { setenv("ALSOFT_DRIVERS", "null", 1); }

  // The device, with every report it makes collected.
  struct Rig {
    std::vector<std::string> reports;
    OpenAlSoundDevice device{[this](const std::string& m) { reports.push_back(m); }};
  };

  // Loads a sound and checks it loaded.
  static int load(OpenAlSoundDevice& device, const std::filesystem::path& path) {
    std::string error;
    const int id = device.load(path.string(), error);
    EXPECT_GE(id, 0) << error;
    return id;
  }

  // Waits up to five seconds for `done`; a loaded machine may be slow to mix.
  template <typename Done>
  static bool wait_for(Done done) {
    for (auto waited = 0ms; waited < 5s; waited += 5ms) {
      if (done()) return true;
      std::this_thread::sleep_for(5ms);
    }
    return done();
  }
};

// The sources the current context can still give, taken until it refuses.
std::vector<ALuint> take_all_sources() {
  std::vector<ALuint> taken;
  alGetError();
  for (;;) {
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) return taken;
    taken.push_back(source);
  }
}

void give_back(std::vector<ALuint>& sources) {
  alDeleteSources(static_cast<ALsizei>(sources.size()), sources.data());
  sources.clear();
}

TEST_F(OpenAlChannels, PcmWavsOfBothWidthsAndLayoutsLoadAndPlay) {
  Rig rig;
  ASSERT_TRUE(rig.device.working()) << (rig.reports.empty() ? "" : rig.reports[0]);
  // The device's own rate, not 22 050 Hz, which would cut the top of 44.1 kHz sounds; and
  // its limiter on, even for the float output OpenAL Soft would leave unlimited.
  EXPECT_GE(rig.device.output_rate(), 44100);
  ALCint limiter = ALC_FALSE;
  alcGetIntegerv(alcGetContextsDevice(alcGetCurrentContext()), ALC_OUTPUT_LIMITER_SOFT, 1,
                 &limiter);
  EXPECT_EQ(limiter, ALC_TRUE);
  const auto dir = openal_scratch("wavs");
  const WavLayout layouts[] = {{1, 8, 11025}, {2, 8, 22050}, {1, 16, 44100}, {2, 16, 8000}};
  int channel = 0;
  for (const WavLayout& layout : layouts) {
    const int id = load(rig.device, tone_wav(dir, layout, 440, 1.0));
    EXPECT_EQ(id, channel) << "sound ids count up from 0";
    rig.device.attach(channel, id);
    EXPECT_EQ(rig.device.frequency(channel), layout.rate);
    rig.device.loop(channel);
    EXPECT_EQ(rig.device.status(channel), SoundDevice::kPlaying | SoundDevice::kLooping)
        << layout.bits;
    ++channel;
  }
  EXPECT_TRUE(rig.reports.empty()) << rig.reports[0];
}

TEST_F(OpenAlChannels, FilesThatAreNoPcmWavGiveMinusOneNamingTheFile) {
  Rig rig;
  const auto dir = openal_scratch("bad");
  const auto text = dir / "readme.wav";
  std::ofstream(text) << "this is not a sound\n";
  const auto cut = dir / "cut.wav";
  {
    // A header that promises more than the file holds.
    std::ofstream out(cut, std::ios::binary);
    out.write("RIFF\x24\x00\x01\x00WAVEfmt ", 16);
  }
  const auto quad = dir / "quad.wav";
  write_wav(quad, {4, 16, 22050}, std::vector<double>(400, 0.25));

  struct Case {
    std::filesystem::path path;
    std::string reason;
  };
  const Case cases[] = {
      {dir / "missing.wav", "cannot be opened"},
      {text, "not a WAV sound"},
      {cut, "not a WAV sound"},
      {quad, "4 channels"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(rig.device.load(c.path.string(), error), -1) << c.path;
    EXPECT_NE(error.find(c.path.string()), std::string::npos) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  // A failed load takes no id: the next sound is still the first.
  EXPECT_EQ(load(rig.device, tone_wav(dir, {}, 440, 0.1)), 0);
}

TEST_F(OpenAlChannels, StatusFollowsPlayLoopAndStop) {
  Rig rig;
  const auto dir = openal_scratch("status");
  const int short_sound = load(rig.device, tone_wav(dir, {1, 16, 22050}, 440, 0.05));
  rig.device.attach(3, short_sound);
  EXPECT_EQ(rig.device.status(3), 0);

  rig.device.play(3);
  EXPECT_EQ(rig.device.status(3), SoundDevice::kPlaying);
  EXPECT_TRUE(wait_for([&] { return rig.device.status(3) == 0; })) << "a sound played once ends";

  rig.device.loop(3);
  EXPECT_EQ(rig.device.status(3), SoundDevice::kPlaying | SoundDevice::kLooping);
  std::this_thread::sleep_for(150ms);  // three times its length
  EXPECT_EQ(rig.device.status(3), SoundDevice::kPlaying | SoundDevice::kLooping);
  rig.device.stop(3);
  EXPECT_EQ(rig.device.status(3), 0);

  // Played once after a loop: it ends again.
  rig.device.play(3);
  EXPECT_EQ(rig.device.status(3), SoundDevice::kPlaying);
  EXPECT_TRUE(wait_for([&] { return rig.device.status(3) == 0; }));

  // A channel without a sound ignores it all.
  rig.device.play(4);
  rig.device.loop(5);
  EXPECT_EQ(rig.device.status(4), 0);
  EXPECT_EQ(rig.device.status(5), 0);
  EXPECT_TRUE(rig.reports.empty());
}

TEST_F(OpenAlChannels, StopKeepsThePlaceAndPlayStartsFromTheBeginning) {
  Rig rig;
  const auto dir = openal_scratch("place");
  rig.device.attach(0, load(rig.device, tone_wav(dir, {1, 16, 22050}, 440, 8.0)));
  // Four times as fast: half a second of waiting plays a good part of the sound.
  rig.device.set_freq_rate(0, 4.0L);
  EXPECT_EQ(rig.device.frequency(0), 88200);
  rig.device.play(0);
  ASSERT_TRUE(wait_for([&] { return rig.device.position(0) >= 22050; }));
  rig.device.stop(0);
  const int stopped_at = rig.device.position(0);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(rig.device.position(0), stopped_at);
  EXPECT_EQ(rig.device.status(0), 0);

  rig.device.play(0);
  EXPECT_LT(rig.device.position(0), stopped_at / 2) << "play rewinds";
  EXPECT_EQ(rig.device.status(0), SoundDevice::kPlaying);
}

TEST_F(OpenAlChannels, VolumePanAndFrequencyReadBackAsSetWithinTheirRanges) {
  Rig rig;
  const auto dir = openal_scratch("levels");
  const int sound = load(rig.device, tone_wav(dir, {1, 16, 11025}, 440, 0.2));
  EXPECT_EQ(rig.device.volume(7), 0);
  // Kept on a channel with no sound yet; a new sound starts at full level, centred.
  rig.device.set_volume(7, -1500);
  EXPECT_EQ(rig.device.volume(7), -1500);
  rig.device.attach(7, sound);
  EXPECT_EQ(rig.device.volume(7), 0);

  struct Case {
    int volume, volume_read;
    int pan, pan_read;
  };
  const Case cases[] = {{-2000, -2000, -2000, -2000},   {250, 0, 250, 250},
                        {-10000, -10000, 10000, 10000}, {-12000, -10000, -30000, -10000},
                        {-9999, -9999, 30000, 10000},   {1, 0, 0, 0}};
  for (const Case& c : cases) {
    rig.device.set_volume(7, c.volume);
    rig.device.set_pan(7, c.pan);
    EXPECT_EQ(rig.device.volume(7), c.volume_read) << c.volume;
    EXPECT_EQ(rig.device.pan(7), c.pan_read) << c.pan;
  }

  rig.device.set_freq_rate(7, 0.5L);
  EXPECT_EQ(rig.device.frequency(7), 5512) << "cut, not rounded";
  rig.device.set_freq_rate(7, 0.0L);
  EXPECT_EQ(rig.device.frequency(7), 1);
  rig.device.loop(7);
  EXPECT_EQ(rig.device.status(7), SoundDevice::kPlaying | SoundDevice::kLooping)
      << "a channel slowed to a standstill still counts as playing";
  rig.device.set_freq_rate(8, 2.0L);  // no sound: nothing to scale
  EXPECT_EQ(rig.device.frequency(8), 0);
  EXPECT_TRUE(rig.reports.empty());
}

// Reported once per number: the report is a message box, and a sound model would otherwise
// raise one in every frame.
TEST_F(OpenAlChannels, NumbersOutsideTheChannelsAreReportedOnceAndChangeNothing) {
  Rig rig;
  const auto dir = openal_scratch("range");
  const int sound = load(rig.device, tone_wav(dir, {}, 440, 0.2));
  for (const int bad : {-1, SoundDevice::kChannels, 100000}) {
    rig.reports.clear();
    rig.device.attach(bad, sound);
    rig.device.play(bad);
    rig.device.loop(bad);
    rig.device.stop(bad);
    rig.device.set_volume(bad, -100);
    rig.device.set_pan(bad, 100);
    rig.device.set_freq_rate(bad, 2.0L);
    EXPECT_EQ(rig.device.status(bad), 0);
    EXPECT_EQ(rig.device.volume(bad), 0);
    const std::string expected =
        "チャンネル番号" + std::to_string(bad) + "は無効です、0～319の範囲で指定してください";
    EXPECT_EQ(rig.reports, std::vector<std::string>{expected}) << bad;
  }
  rig.reports.clear();
  rig.device.release_all();  // the next run hears of it again
  rig.device.play(-1);
  EXPECT_EQ(rig.reports.size(), 1u);
  rig.reports.clear();
  const int again = load(rig.device, tone_wav(dir, {}, 440, 0.2));
  rig.device.attach(SoundDevice::kChannels - 1, again);
  rig.device.loop(SoundDevice::kChannels - 1);
  EXPECT_EQ(rig.device.status(SoundDevice::kChannels - 1),
            SoundDevice::kPlaying | SoundDevice::kLooping);
  EXPECT_TRUE(rig.reports.empty());
}

TEST_F(OpenAlChannels, EveryChannelGetsASourceAndReleaseGivesThemAllBack) {
  Rig rig;
  const auto dir = openal_scratch("all");
  std::vector<ALuint> spare = take_all_sources();
  const std::size_t free_before = spare.size();
  give_back(spare);

  const int a = load(rig.device, tone_wav(dir, {1, 8, 22050}, 440, 0.5));
  const int b = load(rig.device, tone_wav(dir, {2, 16, 22050}, 440, 0.5));
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel)
    rig.device.attach(channel, channel % 2 ? b : a);
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel) rig.device.loop(channel);
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel)
    ASSERT_EQ(rig.device.status(channel), SoundDevice::kPlaying | SoundDevice::kLooping) << channel;
  EXPECT_TRUE(rig.reports.empty()) << rig.reports[0];

  rig.device.release_all();
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel)
    ASSERT_EQ(rig.device.status(channel), 0);
  // The old ids are gone with their sounds.
  rig.device.attach(0, a);
  rig.device.play(0);
  EXPECT_EQ(rig.device.status(0), 0);
  spare = take_all_sources();
  EXPECT_EQ(spare.size(), free_before);
  give_back(spare);
  EXPECT_EQ(load(rig.device, tone_wav(dir, {}, 440, 0.1)), 0);
}

TEST_F(OpenAlChannels, ChannelsTheDeviceHasNoSourceForStaySilentAfterOneReport) {
  Rig rig;
  const auto dir = openal_scratch("no_source");
  const int sound = load(rig.device, tone_wav(dir, {}, 440, 0.5));
  rig.device.attach(0, sound);
  std::vector<ALuint> taken = take_all_sources();
  ASSERT_FALSE(taken.empty());

  for (int channel = 1; channel <= 3; ++channel) {
    rig.device.attach(channel, sound);
    rig.device.set_volume(channel, -500);
    rig.device.loop(channel);
    EXPECT_EQ(rig.device.status(channel), 0) << channel;
  }
  ASSERT_EQ(rig.reports.size(), 1u);
  EXPECT_EQ(rig.reports[0], "setWaveData サウンドバッファの複製に失敗しました");
  // The channel that had its source before plays on.
  rig.device.loop(0);
  EXPECT_EQ(rig.device.status(0), SoundDevice::kPlaying | SoundDevice::kLooping);

  // Once sources are free again, attaching gives the channel one.
  give_back(taken);
  rig.device.attach(2, sound);
  rig.device.play(2);
  EXPECT_EQ(rig.device.status(2), SoundDevice::kPlaying);
  EXPECT_EQ(rig.reports.size(), 1u);
}

// The null output is never lost, so this drives the way back from a loss: closing the output
// and building every sound and channel again on the default one. The loss itself is tested
// on the wave-file output, in a program of its own.
TEST_F(OpenAlChannels, ReopeningGivesEveryChannelBackItsSoundLevelPanFrequencyAndPlay) {
  Rig rig;
  const auto dir = openal_scratch("reopen");
  const int brief = load(rig.device, tone_wav(dir, {1, 16, 22050}, 440, 0.2));
  const int long_stereo = load(rig.device, tone_wav(dir, {2, 8, 11025}, 440, 8.0));
  enum Play { kLoop, kOnce, kLoopThenStop, kOnceAndOver };
  struct Case {
    int channel, sound;
    Play play;
    int volume, pan;
    long double rate;
    long long hz;
    int status;  // after reopening
  };
  constexpr int kLoops = SoundDevice::kPlaying | SoundDevice::kLooping;
  const Case cases[] = {
      {0, brief, kLoop, -300, -4000, 1.5L, 33075, kLoops},
      {5, long_stereo, kOnce, -1200, 2500, 0.5L, 5512, SoundDevice::kPlaying},
      {9, long_stereo, kLoopThenStop, -10000, 10000, 1.0L, 11025, 0},
      {SoundDevice::kChannels - 1, brief, kOnceAndOver, -50, -10000, 4.0L, 88200, 0},
  };
  for (const Case& c : cases) {
    rig.device.attach(c.channel, c.sound);
    rig.device.set_volume(c.channel, c.volume);
    rig.device.set_pan(c.channel, c.pan);
    rig.device.set_freq_rate(c.channel, c.rate);
    if (c.play == kOnce || c.play == kOnceAndOver)
      rig.device.play(c.channel);
    else
      rig.device.loop(c.channel);
    if (c.play == kLoopThenStop) rig.device.stop(c.channel);
  }
  ASSERT_TRUE(wait_for([&] { return rig.device.status(SoundDevice::kChannels - 1) == 0; }));
  ASSERT_TRUE(wait_for([&] { return rig.device.position(5) >= 1000; }));
  const int place = rig.device.position(5);

  ASSERT_TRUE(rig.device.reopen());
  EXPECT_TRUE(rig.device.connected());
  for (const Case& c : cases) {
    EXPECT_EQ(rig.device.status(c.channel), c.status) << c.channel;
    EXPECT_EQ(rig.device.volume(c.channel), c.volume) << c.channel;
    EXPECT_EQ(rig.device.pan(c.channel), c.pan) << c.channel;
    EXPECT_EQ(rig.device.frequency(c.channel), c.hz) << c.channel;
  }
  EXPECT_GE(rig.device.position(5), place) << "a sound played once goes on where it was";
  // The rebuilt channels take calls as before.
  rig.device.play(9);
  EXPECT_EQ(rig.device.status(9), SoundDevice::kPlaying);
  rig.device.stop(0);
  EXPECT_EQ(rig.device.status(0), 0);
  EXPECT_TRUE(rig.reports.empty()) << rig.reports[0];
}

TEST_F(OpenAlChannels, WithoutAnOutputTheDeviceReportsOnceAndDoesNothing) {
  std::vector<std::string> reports;
  OpenAlSettings settings;
  settings.device = "no such output";
  OpenAlSoundDevice device([&](const std::string& m) { reports.push_back(m); }, settings);
  EXPECT_FALSE(device.working());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("no such output"), std::string::npos) << reports[0];

  // Sounds are still read, so a broken file is still found out.
  const auto dir = openal_scratch("silent");
  const int sound = load(device, tone_wav(dir, {}, 440, 0.2));
  std::string error;
  EXPECT_EQ(device.load((dir / "missing.wav").string(), error), -1);
  device.attach(0, sound);
  device.set_volume(0, -300);
  device.set_freq_rate(0, 2.0L);
  device.loop(0);
  EXPECT_EQ(device.status(0), 0);
  EXPECT_EQ(device.position(0), 0);
  EXPECT_EQ(device.output_rate(), 0);
  // No output was lost, so none is sought: the settings chose silence.
  EXPECT_TRUE(device.connected());
  EXPECT_FALSE(device.reopen());
  EXPECT_EQ(device.volume(0), -300);
  device.release_all();
  EXPECT_EQ(reports.size(), 1u);
}

}  // namespace
}  // namespace velmora
