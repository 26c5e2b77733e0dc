// velmora-sim on the fixture line: the train leaves its first station once the departure
// signal has cleared and runs at full power, never braking, towards the next station's
// departure signal, which stays at stop. Pattern protection brakes it by its curve; the
// warning-bell kind rings and, unconfirmed, stops it with the emergency brake.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;

struct Drive {
  std::vector<std::vector<std::string>> rows;  // the header removed
  std::vector<std::string> log;                // the protection log lines, in order
  std::string events;
};

Drive drive(const std::string& vehicle, const std::string& fields, const std::string& script = "protection_run.txt",
            int frames = 7000) {
  const fs::path dir = scratch("protection_" + vehicle + "_" + script);
  const ToolResult r = run_tool(
      VELMORA_SIM, "--data " VELMORA_FIXTURES "/basic --vehicle " + vehicle + " --route line_fixture.dat --frames " +
                       std::to_string(frames) + " --input " VELMORA_FIXTURES "/scripts/" + script + " --trace " +
                       (dir / "t.csv").string() + " --fields " + fields + " --events " + (dir / "events.txt").string());
  EXPECT_EQ(r.status, 0) << r.output;
  Drive d;
  d.rows = read_csv(dir / "t.csv");
  if (!d.rows.empty()) d.rows.erase(d.rows.begin());
  d.events = read_file(dir / "events.txt");
  for (const std::string& line : read_lines(dir / "events.txt")) {
    const std::string tag = "\tlog\t";
    const auto at = line.find(tag);
    if (at != std::string::npos) d.log.push_back(line.substr(at + tag.size()));
  }
  return d;
}

double num(const std::vector<std::string>& row, std::size_t column) { return std::stod(row.at(column)); }

bool has_line_starting(const std::vector<std::string>& log, const std::string& start) {
  for (const std::string& line : log)
    if (line.rfind(start, 0) == 0) return true;
  return false;
}

TEST(ProtectionRun, AtsPBrakesTheTrainByItsPatternBeforeARedSignal) {
  enum { kFrame, kSpeed, kState, kPattern, kService, kEb, kSignalSpeed };
  const Drive d = drive("train_atsp.dat", "frame,speed,ats_p_state,pattern_speed,ats_service,ats_eb,signal_speed");
  ASSERT_EQ(d.rows.size(), 7000u);

  // The states in the order they come: none, approach, the stop brake.
  std::vector<std::string> states;
  std::size_t braking = 0;
  for (std::size_t i = 0; i < d.rows.size(); ++i) {
    if (states.empty() || states.back() != d.rows[i][kState]) states.push_back(d.rows[i][kState]);
    if (braking == 0 && d.rows[i][kState] == "3") braking = i;
  }
  EXPECT_EQ(states, (std::vector<std::string>{"0", "1", "3"}));
  ASSERT_GT(braking, 0u);

  // It brakes when the train runs above the curve, with the maximum service brake, not the
  // emergency brake, while the signal's check point is still ahead.
  const auto& first = d.rows[braking];
  EXPECT_GT(num(first, kSpeed), num(first, kPattern));
  EXPECT_EQ(first[kService], "1");
  EXPECT_EQ(first[kEb], "0");
  EXPECT_EQ(first[kSignalSpeed], "95");
  // From there the speed only falls, and the curve with it, until the train stands.
  double before = num(first, kSpeed);
  for (std::size_t i = braking + 1; i < d.rows.size(); ++i) {
    EXPECT_LE(num(d.rows[i], kSpeed), before) << "frame " << d.rows[i][kFrame];
    EXPECT_EQ(d.rows[i][kService], "1") << "frame " << d.rows[i][kFrame];
    before = num(d.rows[i], kSpeed);
  }
  EXPECT_EQ(num(d.rows.back(), kSpeed), 0);
  EXPECT_LT(num(d.rows[braking + 600], kPattern), num(first, kPattern));

  // The log: the beacons of the stop signal, the approach, the brake.
  EXPECT_TRUE(has_line_starting(d.log, "停止信号4まで600m"));
  EXPECT_TRUE(has_line_starting(d.log, "パターン接近"));
  EXPECT_TRUE(has_line_starting(d.log, "10km/h照査によって停止ブレーキ 速度"));
}

TEST(ProtectionRun, AtsPReleasesAStopPatternAtTheCheckPointOfItsSignalOnceGreen) {
  const Drive d = drive("train_atsp.dat", "frame,speed,film_frame,ats_p_state,ats_service,ats_event",
                        "atsp_green_signal.txt", 11000);
  ASSERT_EQ(d.rows.size(), 11000u);
  constexpr std::size_t kSpeed = 1, kFilm = 2, kService = 4, kEvent = 5;
  // Stop-braked into 中央駅 by the pattern of the red departure signal beyond it (event 4).
  EXPECT_EQ(num(d.rows[9999], kSpeed), 0);
  EXPECT_EQ(d.rows[9999][kService], "1");
  EXPECT_EQ(d.rows[9999][kEvent], "4");
  // Off again after the reset, under the pattern of 10 km/h: in the signal's check window
  // (film frames 3080 to 3099) the cleared signal releases it, and the train runs on.
  for (std::size_t i = 10000; i < d.rows.size(); ++i) {
    ASSERT_EQ(d.rows[i][kService], "0") << "frame " << i;
    if (num(d.rows[i], kFilm) >= 3100) {
      ASSERT_EQ(d.rows[i][kEvent], "999") << "frame " << i;
    }
  }
  EXPECT_GT(num(d.rows.back(), kFilm), 3300);
  EXPECT_GT(num(d.rows.back(), kSpeed), 30);
}

TEST(ProtectionRun, AnUnconfirmedWarningBellEndsInAnEmergencyStop) {
  enum { kFrame, kSpeed, kSignalSpeed, kAlarm, kTimer, kEb };
  const Drive d = drive("train_atss.dat", "frame,speed,signal_speed,ats_alarm,ats_timer,ats_eb");
  ASSERT_EQ(d.rows.size(), 7000u);
  std::size_t bell = 0, eb = 0;
  for (std::size_t i = 0; i < d.rows.size(); ++i) {
    if (bell == 0 && d.rows[i][kAlarm] == "1") bell = i;
    if (eb == 0 && d.rows[i][kEb] == "1") eb = i;
  }
  ASSERT_GT(bell, 0u);
  ASSERT_GT(eb, bell);
  // The bell at the red signal's warning point; nobody confirms, and the brake comes when the
  // 100 ms the vehicle allows have run out, before the train is at the check point.
  EXPECT_EQ(d.rows[bell][kSignalSpeed], "998");
  EXPECT_EQ(d.rows[eb][kSignalSpeed], "998");
  EXPECT_GE(num(d.rows[eb - 1], kTimer), 100 - 17);
  EXPECT_NE(d.events.find("\tloop\t21 "), std::string::npos) << "the bell does not ring";
  // It holds to a stand.
  for (std::size_t i = eb; i < d.rows.size(); ++i) ASSERT_EQ(d.rows[i][kEb], "1") << d.rows[i][kFrame];
  EXPECT_EQ(num(d.rows.back(), kSpeed), 0);
  EXPECT_TRUE(d.log.empty());  // the warning-bell kind writes no log
}

}  // namespace
