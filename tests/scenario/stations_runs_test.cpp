// Drives whole runs on the stations fixture line with velmora-sim: stops in every stop
// zone, door cycles by the timetable, the end of the run, and the station jump.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;
using Rows = std::vector<std::vector<std::string>>;

const std::string kFields = "frame,clock_text,station_text,doors_open,station_index,speed";
enum Column { kFrame, kClock, kStation, kDoors, kIndex, kSpeed };

struct Drive {
  ToolResult result;
  Rows rows;                        // without the header, strings unquoted
  std::vector<std::string> events;  // FRAME<TAB>KIND<TAB>DETAIL
};

Drive drive(const std::string& name, const std::string& args) {
  const fs::path dir = scratch(name);
  Drive d;
  d.result =
      run_tool(VELMORA_SIM, "--data " VELMORA_FIXTURES
                            "/basic --vehicle train_fixture.dat --route line_stations.dat " +
                                args + " --trace " + (dir / "t.csv").string() + " --fields " +
                                kFields + " --events " + (dir / "e.tsv").string());
  d.rows = read_csv(dir / "t.csv");
  if (!d.rows.empty()) d.rows.erase(d.rows.begin());
  for (auto& row : d.rows)
    for (auto& cell : row)
      if (cell.size() >= 2 && cell.front() == '"') cell = cell.substr(1, cell.size() - 2);
  d.events = read_lines(dir / "e.tsv");
  return d;
}

// The values of a column, each run of equal values once.
std::vector<std::string> changes(const Rows& rows, Column column) {
  std::vector<std::string> out;
  for (const auto& row : rows)
    if (out.empty() || out.back() != row.at(column)) out.push_back(row.at(column));
  return out;
}

// Rows where the column takes a new value.
std::vector<const std::vector<std::string>*> change_rows(const Rows& rows, Column column) {
  std::vector<const std::vector<std::string>*> out;
  for (std::size_t i = 1; i < rows.size(); ++i)
    if (rows[i].at(column) != rows[i - 1].at(column)) out.push_back(&rows[i]);
  return out;
}

// Frames of the events of that kind whose detail contains `text`.
std::vector<std::size_t> event_frames(const std::vector<std::string>& events,
                                      const std::string& kind, const std::string& text) {
  std::vector<std::size_t> frames;
  for (const std::string& e : events) {
    const auto tab1 = e.find('\t'), tab2 = e.find('\t', tab1 + 1);
    if (e.substr(tab1 + 1, tab2 - tab1 - 1) == kind && e.find(text, tab2) != std::string::npos)
      frames.push_back(std::stoul(e.substr(0, tab1)));
  }
  return frames;
}

TEST(StationsRun, AScriptedDriverStopsAtEveryStopAndTheRunEndsAtTheLast) {
  const Drive d =
      drive("whole_run", "--frames 16000 --input " VELMORA_FIXTURES "/scripts/stations_drive.txt");
  ASSERT_EQ(d.result.status, 0) << d.result.output;
  EXPECT_NE(d.result.output.find("the run ended"), std::string::npos) << d.result.output;
  ASSERT_GT(d.rows.size(), 10000u);
  ASSERT_LT(d.rows.size(), 16000u);
  EXPECT_FALSE(event_frames(d.events, "end", "").empty());

  EXPECT_EQ(changes(d.rows, kStation),
            (std::vector<std::string>{"ただいま 始発駅", "次は 通過駅通過", "次は 中央駅停車",
                                      "ただいま 中央駅", "次は 終点駅停車", "ただいま 終点駅"}));
  EXPECT_EQ(changes(d.rows, kDoors), (std::vector<std::string>{"1", "0", "1", "0", "1"}));
  // The next stop changes with each departure melody, the passed station skipped.
  EXPECT_EQ(changes(d.rows, kIndex), (std::vector<std::string>{"0", "2", "3"}));
  EXPECT_EQ(d.rows.front()[kClock], "09:59:55");  // 10:00:00 less the 3 s melody and 2 s arrival

  // The melodies start 3 s before the departure times; the doors shut after them.
  const auto melodies = event_frames(d.events, "play", "melody_3s.wav");
  ASSERT_EQ(melodies.size(), 3u);  // 始発駅, 中央駅, and 終点駅 which has no time
  EXPECT_EQ(d.rows.at(melodies[0])[kClock], "09:59:57");
  EXPECT_EQ(d.rows.at(melodies[1])[kClock], "10:01:57");
  const auto doors = change_rows(d.rows, kDoors);
  ASSERT_EQ(doors.size(), 4u);
  EXPECT_EQ((*doors[0])[kClock], "10:00:01");  // shut: past 10:00:00 and a second of closing
  EXPECT_LT((*doors[1])[kClock], "10:01:57");  // open at 中央駅 before its melody
  EXPECT_EQ((*doors[1])[kSpeed], "0.000000");
  EXPECT_EQ((*doors[2])[kClock], "10:02:01");
  EXPECT_EQ((*doors[3])[kSpeed], "0.000000");

  EXPECT_EQ(d.rows.back()[kStation], "ただいま 終点駅");
  EXPECT_EQ(d.rows.back()[kDoors], "1");
  EXPECT_EQ(event_frames(d.events, "station_call", "4 0").size(), 1u);  // power after the stop
  EXPECT_EQ(event_frames(d.events, "station_call", "3 2").size(), 1u);  // doors shut at 中央駅
  // Powering away from 始発駅 and from 中央駅 is called, each call then spoken on the call
  // channel behind the calls queued before it.
  EXPECT_EQ(event_frames(d.events, "station_call", "4 2").size(), 1u);
  const auto away = event_frames(d.events, "call", "20 kanko\\k20.wav");
  const auto spoken = event_frames(d.events, "play", "kanko/k20.wav");
  ASSERT_EQ(away.size(), 2u);
  ASSERT_EQ(spoken.size(), 2u);
  for (std::size_t i = 0; i < away.size(); ++i) {
    EXPECT_GE(spoken[i], away[i]);
    EXPECT_LT(spoken[i], away[i] + 600) << "ten seconds at most behind the calls before it";
  }
}

TEST(StationsRun, TheMoveMenuPutsTheTrainAtAStationReadyForItsDeparture) {
  const fs::path dir = scratch("jump_script");
  const fs::path script = dir / "jump.txt";
  std::ofstream(script) << "10 station 2\n20 station 1\n";
  const Drive d = drive("jump", "--frames 600 --input " + script.string());
  ASSERT_EQ(d.result.status, 0) << d.result.output;
  // Station 1 is passed without stopping: the menu has no item for it.
  EXPECT_NE(d.result.output.find("\"station 1\" does nothing"), std::string::npos)
      << d.result.output;
  const auto& at_jump = d.rows.at(11);
  EXPECT_EQ(at_jump[kStation], "ただいま 中央駅");
  EXPECT_EQ(at_jump[kIndex], "2");
  EXPECT_EQ(at_jump[kClock], "10:01:55");
  // The caption: the route's name from the first pass, set again by the jump.
  EXPECT_EQ(event_frames(d.events, "window_caption", "駅線"), (std::vector<std::size_t>{0, 10}));
  const auto melodies = event_frames(d.events, "play", "melody_3s.wav");
  ASSERT_EQ(melodies.size(), 1u);  // 始発駅's would have come at 09:59:57, after the jump
  EXPECT_EQ(d.rows.at(melodies[0])[kClock], "10:01:57");
  EXPECT_EQ(d.rows.back()[kIndex], "3");
  EXPECT_EQ(d.rows.back()[kDoors], "0");
}

}  // namespace

namespace {

// The same drive, heard: the sound device's calls in the events.
TEST(StationsRun, TheDriveIsHeard) {
  const Drive d = drive("heard", "--frames 16000 --input " VELMORA_FIXTURES "/scripts/stations_drive.txt");
  ASSERT_EQ(d.result.status, 0) << d.result.output;
  ASSERT_GT(d.rows.size(), 10000u);
  const auto first = [&](const std::string& kind, const std::string& file) {
    const auto frames = event_frames(d.events, kind, file);
    return frames.empty() ? std::size_t{999999} : frames.front();
  };
  // Standing, the lowest running-noise band sounds from the start.
  EXPECT_EQ(first("loop", "run00.wav"), 0u);
  // The motors start with power: the first notch is typed at frame 420.
  const std::size_t motor = first("loop", "motor_low.wav");
  EXPECT_GE(motor, 420u);
  EXPECT_LT(motor, 480u);
  // Braking for 中央駅: the application hiss, then the squeal, silent before the doors open.
  const std::size_t door_open = first("play", "door_open.wav");
  ASSERT_LT(door_open, d.rows.size());
  EXPECT_EQ(d.rows[door_open][kSpeed], "0.000000");
  bool applied = false, squealed = false;
  for (std::size_t f : event_frames(d.events, "play", "brake_apply.wav")) applied |= f > motor && f < door_open;
  for (std::size_t f : event_frames(d.events, "loop", "squeak.wav")) squealed |= f > motor + 1000 && f < door_open;
  EXPECT_TRUE(applied);
  EXPECT_TRUE(squealed);
  // The doors close with their sound, and only after it are they shut.
  const std::size_t door_close = first("play", "door_close.wav");
  ASSERT_LT(door_close, d.rows.size());
  EXPECT_EQ(d.rows[door_close][kDoors], "1");
  EXPECT_EQ(d.rows[door_close + 60][kDoors], "0");
}

}  // namespace
