// The timetable clock: its start, its text and face, its setting on a jump, and the line's
// maximum speed.

#include <gtest/gtest.h>

#include <fstream>

#include "common/sjis.h"
#include "route/timetable.h"
#include "station_rig.h"

namespace velmora {
namespace {

// An 8-bit mono WAV of `seconds` at 100 samples a second.
void write_wav(const std::filesystem::path& path, int seconds) {
  const auto le = [](std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  const std::uint32_t samples = 100u * static_cast<std::uint32_t>(seconds);
  std::ofstream out(path, std::ios::binary);
  out << "RIFF";
  le(out, 36 + samples, 4);
  out << "WAVEfmt ";
  le(out, 16, 4);
  le(out, 1, 2);    // PCM
  le(out, 1, 2);    // mono
  le(out, 100, 4);  // samples a second
  le(out, 100, 4);  // bytes a second
  le(out, 1, 2);
  le(out, 8, 2);
  out << "data";
  le(out, samples, 4);
  out << std::string(samples, '\x80');
}

TEST(Timetable, TheRunStartsSoThatTheStopEndsAtTheDepartureTime) {
  // 10:00:00 with a 20 s melody and a 10 s arrival sound.
  const auto dir = scratch_dir("timetable");
  std::filesystem::copy(fixture_config().program_dir, dir,
                        std::filesystem::copy_options::recursive);
  write_wav(dir / "sound" / "melody_20s.wav", 20);
  write_wav(dir / "sound" / "arrival_10s.wav", 10);
  std::ofstream(dir / "line_ten.dat", std::ios::binary) << utf8_to_cp932(
      "[LineName]\r\n十時線\r\n[Friction]\r\n0.35\r\n[SoundData]\r\nsound\\bell.wav\r\n"
      "sound\\melody_20s.wav\r\nsound\\arrival_10s.wav\r\n#\r\n[Station]\r\n"
      "始発駅,0,0,300,2,1,0,1080000,60,0,0,0,0,0,100,0,0\r\n"
      "終点駅,0,3000,300,2,1,0,0,60,0,0,0,0,0,100,0,0\r\n#\r\n"
      "[SpeedUnit]\r\n0,300,0,36\r\n300,3000,36,36\r\n#\r\n");
  RunConfig c = fixture_config();
  c.program_dir = dir;
  c.route_file = "line_ten.dat";
  StationRig rig(c);
  StationState& st = rig.run.station;
  EXPECT_EQ(rig.run.train.motion.sim_ticks, 1080000 - 600 - 300);
  rig.passes();
  EXPECT_EQ(st.clock_text, "09:59:30");
  EXPECT_TRUE(st.doors_open);

  rig.ticks(300);  // 09:59:40 exactly: the melody waits for the clock to pass it
  EXPECT_EQ(rig.count("play", "melody_20s.wav"), 0);
  rig.ticks(1);
  EXPECT_EQ(rig.count("play", "melody_20s.wav"), 1);
  EXPECT_EQ(st.clock_text, "09:59:40");
  EXPECT_TRUE(st.st_departed[0]);
  EXPECT_EQ(st.station_index, 1);

  rig.ticks(600);  // 10:00:00.03, the melody still on for one more tick
  EXPECT_TRUE(st.door_cmd);
  rig.ticks(1);
  EXPECT_FALSE(st.door_cmd);
  EXPECT_TRUE(st.st_stop_done[0]);
  EXPECT_EQ(st.clock_text, "10:00:00");
}

TEST(Timetable, ClockTextRunsOnPastMidnight) {
  const std::pair<int, const char*> cases[] = {
      {1083045, "10:01:41"}, {30, "00:00:01"},        {29, "00:00:00"},
      {0, "00:00:00"},       {2591999, "23:59:59"},   {2592000, "24:00:00"},
      {2700030, "25:00:01"}, {10800000, "100:00:00"}, {-45, "00:00:00"}};
  for (const auto& [ticks, text] : cases) EXPECT_EQ(clock_text_of(ticks), text) << ticks;
}

TEST(Timetable, TheClockChangesWithTheSecondsOnly) {
  StationRig rig;
  timecalc(rig.run, 30);
  EXPECT_EQ(rig.run.station.clock_text, "00:00:01");
  timecalc(rig.run, 30 + 30 * 60);  // a minute later, the seconds alike
  EXPECT_EQ(rig.run.station.clock_text, "00:00:01");
  timecalc(rig.run, 60 + 30 * 60);
  EXPECT_EQ(rig.run.station.clock_text, "00:01:02");
}

TEST(Timetable, TheClockFaceHasItsThreeHands) {
  StationRig rig;              // the fixture train's [Clock]: 650, 500, hands of 40 px
  timecalc(rig.run, 1083045);  // 10:01:41
  const auto& hands = rig.run.station.clock_hands;
  EXPECT_TRUE(rig.run.station.clock_face_drawn);
  EXPECT_EQ(hands[0].x, 4);  // 300.5°, 24 px
  EXPECT_EQ(hands[0].y, 13);
  EXPECT_EQ(hands[1].x, 32);  // 10.1°, 40 px
  EXPECT_EQ(hands[1].y, -14);
  EXPECT_EQ(hands[2].x, -12);  // 246°, 40 px
  EXPECT_EQ(hands[2].y, 41);

  StationRig no_clock;
  no_clock.run.panel.clock = {0, 0, 40};
  no_clock.run.station.clock_face_drawn = false;
  timecalc(no_clock.run, 1083045);
  EXPECT_FALSE(no_clock.run.station.clock_face_drawn);
  EXPECT_EQ(no_clock.run.station.clock_text, "10:01:41");
}

TEST(Timetable, AJumpToAStationWithoutATimeTakesItFromItsNeighbours) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> stations;  // position cm, deptime
    int target;
    int expected;
  };
  const int unchanged = 123;
  const Case cases[] = {
      {"its own time", {{0, 1080000}, {1000, 1081000}}, 1, 1081000},
      {"between two", {{0, 1080000}, {25000, 0}, {100000, 1083000}}, 1, 1080750},
      {"rounded to even", {{0, 1080000}, {50, 0}, {100, 1080001}}, 1, 1080000},
      {"none after", {{0, 1080000}, {5000, 1081000}, {9000, 0}}, 2, 1081000},
      {"none before", {{0, 0}, {5000, 1081000}, {9000, 1082000}}, 0, 1081000},
      {"same place", {{0, 1080000}, {5000, 1081000}, {5000, 0}, {5000, 1082000}}, 2, 1081000},
      {"no time at all", {{0, 0}, {5000, 0}}, 1, unchanged},
  };
  for (const Case& c : cases) {
    TestRig rig;
    for (const auto& [position, deptime] : c.stations) {
      StationData s;
      s.position = position;
      s.deptime = deptime;
      rig.run.route.stations.push_back(s);
    }
    rig.run.train.motion.sim_ticks = unchanged;
    jump_clock(rig.run, c.target);
    EXPECT_EQ(rig.run.train.motion.sim_ticks, c.expected) << c.what;
  }
}

TEST(Timetable, TheLineMaximumSpeedFollowsTheStationInterval) {
  StationRig rig;
  EXPECT_EQ(rig.run.station.maxspeed_text, "最高60");
  const std::pair<long double, int> cases[] = {{45000, 70},  {89999, 70}, {90000, 50}, {176666, 50},
                                               {200000, 50}, {1000, 60},  {-50, 60}};
  for (const auto& [position, speed] : cases) {
    rig.at(position, 0);
    line_max_speed_step(rig.run);
    EXPECT_EQ(rig.run.station.line_max_speed, speed) << static_cast<double>(position);
  }
}

TEST(Timetable, ARunMayStartAtAnotherStation) {
  struct Case {
    int first;
    long double position;
    int clock;
    int cur;
  };
  const Case cases[] = {{2, kCentral, 1083600 - 150, 2}, {9, 176667, 0, 3}};
  for (const Case& c : cases) {
    RunConfig config = stations_config();
    config.first_station = c.first;
    StationRig rig(config);
    EXPECT_EQ(rig.run.train.motion.position_cm, c.position) << c.first;
    EXPECT_EQ(rig.run.station.stop_position, c.position);
    EXPECT_EQ(rig.run.train.motion.sim_ticks, c.clock);
    EXPECT_EQ(rig.run.station.cur_station, c.cur);
    EXPECT_EQ(rig.run.station.announce_next, c.cur + 1);
    EXPECT_TRUE(rig.run.station.doors_open);
    EXPECT_EQ(rig.run.station.st_arrived.size(), 5u);
    EXPECT_EQ(rig.run.station.st_departed.size(), 4u);
  }
}

}  // namespace
}  // namespace velmora
