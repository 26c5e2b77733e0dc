// The run log and its report, fed pass by pass on the stations fixture line by a scripted
// driver that places the train exactly: the figures of the JSON report are the ones the
// drive was made to give.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/drive_report.h"
#include "report/report_json.h"
#include "report/score.h"
#include "station_rig.h"

namespace velmora {
namespace {

constexpr long double kPassMs = 100;  // 3 clock ticks
constexpr long double kEnd = 176667;  // cm, 終点駅

struct ScriptedDriver : StationRig {
  ScriptedDriver() {
    run.frame.frame_ms = kPassMs;
    run.train.handles.brake_notch = 0;  // released for the drive
  }

  void pass() {
    feed_run_log(run);
    run.train.motion.sim_ticks += 3;
  }
  // Powering takes the speed at once; braking comes down at 3 km/h/s, as a passenger
  // would want it.
  void speed_towards(long double kmh) {
    long double& v = run.train.motion.speed;
    v = kmh >= v ? kmh : std::max(kmh, v - 0.3L);
  }
  // At kmh until the front reaches `to` (the last pass lands on it).
  void run_to(long double to, long double kmh) {
    while (run.train.motion.position_cm < to) {
      speed_towards(kmh);
      run.train.motion.position_cm =
          std::min(to, run.train.motion.position_cm + run.train.motion.speed * kPassMs / 36);
      pass();
    }
  }
  // Braking at 3 km/h/s from the speed it runs at, so as to stand exactly at `to`.
  void stop_at(long double to) {
    const long double v0 = run.train.motion.speed;
    long double braking_cm = 0;
    for (long double v = v0 - 0.3L; v > 0; v -= 0.3L) braking_cm += v * kPassMs / 36;
    run_to(to - braking_cm, v0);
    while (run.train.motion.speed > 0) run_for(1, 0);
  }
  void run_for(int passes, long double kmh) {
    for (int i = 0; i < passes; ++i) {
      speed_towards(kmh);
      run.train.motion.position_cm += run.train.motion.speed * kPassMs / 36;
      pass();
    }
  }
  // Standing, doors as given, until the clock shows `ticks`.
  void stand_until(int ticks, bool doors) {
    run.train.motion.speed = 0;
    run.station.doors_open = doors;
    while (run.train.motion.sim_ticks < ticks) pass();
    run.station.doors_open = false;
  }
  int deptime(int station) const { return run.route.stations[station].deptime; }
};

// The JSON object of the station with that name, as written.
std::string station_json(const std::string& json, const std::string& name) {
  const std::size_t at = json.find("\"name\": \"" + name + "\"");
  if (at == std::string::npos) return {};
  return json.substr(at, json.find('}', at) - at);
}

TEST(RunLog, AScriptedDriveGivesExactlyItsFiguresInTheReport) {
  ScriptedDriver d;
  ASSERT_EQ(d.run.station.line_max_speed, 60);
  feed_run_log(d.run);  // the first pass, standing at 始発駅
  d.stand_until(d.deptime(0), true);
  d.run_to(20000, 55);
  // 7 km/h over the line's 60, 5 s in all with the 21 passes of braking to 60.5.
  d.run_for(29, 67);
  d.run_to(70000, 55);
  d.stop_at(89970);
  d.stand_until(d.deptime(2) + 20 * 30, true);  // stopped 30 cm short, leaves 20 s late
  d.run_to(120000, 45);
  d.run.protection.eb_lamp = true;  // the vigilance bell, then its brake
  d.run_for(5, 45);
  d.run.train.handles.eb_device = true;
  d.run.train.handles.brake_notch = -d.run.vehicle.brake;
  d.run_for(5, 45);
  d.run.protection.eb_lamp = d.run.train.handles.eb_device = false;
  d.run.train.handles.brake_notch = 0;
  d.run_to(kEnd - 10000, 40);
  d.stop_at(kEnd + 200);  // 2 m past the stop of 終点駅
  d.stand_until(d.run.train.motion.sim_ticks + 30, false);

  const RunReport report = drive_report(d.run);
  const std::string json = report_json(report);
  const std::string central = station_json(json, "中央駅"), last = station_json(json, "終点駅");
  EXPECT_NE(central.find("\"stop_error_cm\": -30, \"in_zone\": true"), std::string::npos)
      << central;
  EXPECT_NE(central.find("\"departure_delay_s\": 20.0"), std::string::npos) << central;
  EXPECT_NE(last.find("\"stop_error_cm\": 200, \"in_zone\": true"), std::string::npos) << last;
  EXPECT_NE(station_json(json, "始発駅").find("\"departure_delay_s\": 0.0"), std::string::npos);
  EXPECT_NE(station_json(json, "通過駅").find("\"stops\": false"), std::string::npos);
  EXPECT_NE(
      json.find("\"duration_s\": 5.0, \"distance_m\": 91.1, \"limit_kmh\": 60, \"limit_kind\": "
                "\"line\", \"max_over_kmh\": 7.0"),
      std::string::npos)
      << json;
  ASSERT_EQ(report.log.protection.size(), 2u);
  EXPECT_EQ(report.log.protection[0].kind, "vigilance_bell");
  EXPECT_EQ(report.log.protection[1].kind, "vigilance_brake");
  EXPECT_EQ(report.log.comfort.emergency_applications, 1);

  // 100 less: the vigilance brake 15, its bell 2, 5 s at 7 km/h over 1 + 3.5, the errors
  // inside the zones 0.15 + 1, 10 s beyond the grace 2.
  EXPECT_NEAR(static_cast<double>(report.score.total), 100 - 15 - 2 - 4.5 - 1.15 - 2, 1e-9);
  EXPECT_NE(json.find("\"total\": 75."), std::string::npos) << json;
}

TEST(RunLog, AStopPassedAnOverrunCorrectedAndAJumpAreToldApart) {
  ScriptedDriver d;
  feed_run_log(d.run);
  d.stand_until(d.deptime(0), false);
  d.run_to(kCentral + 12000, 50);  // beyond the reach of 中央駅 without standing: missed
  d.run_to(kEnd - 1000, 50);
  d.stand_until(d.run.train.motion.sim_ticks + 30, false);  // 10 m short: outside the zone
  d.run_to(kEnd + 600, 10);                                 // 6 m past: overrun
  d.stand_until(d.run.train.motion.sim_ticks + 30, false);
  note_stop_back(d.run.run_log, 3);
  d.run.train.motion.position_cm = kEnd;  // the correction puts it on the stop position
  d.stand_until(d.run.train.motion.sim_ticks + 30, false);

  const RunLog& log = d.run.run_log;
  EXPECT_TRUE(log.stations[2].missed);
  const StationRecord& last = log.stations[3];
  EXPECT_TRUE(last.overrun && last.stop_back && !last.in_zone);
  ASSERT_TRUE(last.stop_error_cm.has_value());
  EXPECT_NEAR(static_cast<double>(*last.stop_error_cm), 600, 1e-6);  // the driver's own stop stays
  EXPECT_TRUE(reached_a_station(log));
  // The jump neither counts as distance run nor draws a line on the curve.
  EXPECT_LT(static_cast<double>(log.totals.distance_cm), kEnd + 600 + 600 + 1);
  EXPECT_TRUE(log.curve.back().jump);
}

// Each rule of the score, alone in a log: what the README's table says it deducts.
TEST(RunScore, EachRuleDeductsWhatTheReadmeSays) {
  const auto stop = [](std::optional<long double> error_cm, bool in_zone) {
    StationRecord s;
    s.stop_error_cm = error_cm;
    s.in_zone = in_zone;
    s.deptime = 30 * 3600 * 10;
    s.arrival_ticks = s.deptime - 30 * 60;
    s.departure_ticks = s.deptime + 30 * 5;
    return s;
  };
  const auto marked = [](const char* kind) {
    return [kind](RunLog& l) {
      ProtectionMark m;
      m.kind = kind;
      l.protection.push_back(m);
    };
  };
  struct Case {
    const char* what;
    std::function<void(RunLog&)> drive;
    long double points;
  };
  const Case cases[] = {
      {"signal at stop", marked("signal_at_stop"), 30},
      {"vigilance brake", marked("vigilance_brake"), 15},
      {"driver's emergency", marked("driver_emergency"), 10},
      {"pattern brake", marked("pattern_brake"), 5},
      {"over speed, capped",
       [](RunLog& l) {
         l.over_speeds.push_back({0, 0, 0, 60000, 0, 60, 20, "line"});
       },
       10},
      {"inside the zone", [&](RunLog& l) { l.stations.push_back(stop(-150, true)); }, 0.75L},
      {"outside the zone", [&](RunLog& l) { l.stations.push_back(stop(700, false)); }, 12},
      {"far outside, capped", [&](RunLog& l) { l.stations.push_back(stop(4000, false)); }, 20},
      {"early by 8 s",
       [&](RunLog& l) {
         l.stations.push_back(stop(0, true));
         l.stations.back().departure_ticks = l.stations.back().deptime - 8 * 30;
       },
       8},
      {"late by 35 s",
       [&](RunLog& l) {
         l.stations.push_back(stop(0, true));
         l.stations.back().departure_ticks = l.stations.back().deptime + 35 * 30;
       },
       5},
      {"missed",
       [&](RunLog& l) {
         l.stations.push_back(stop(std::nullopt, false)), l.stations.back().missed = true;
       },
       20},
      {"a start station counts nothing",
       [&](RunLog& l) { l.stations.push_back(stop(900, false)), l.stations.back().start = true; },
       0},
      {"hard braking", [](RunLog& l) { l.comfort.max_decel_kmhs = 5.5L; }, 3},
  };
  for (const Case& c : cases) {
    RunLog log;
    c.drive(log);
    const Score score = score_run(log);
    EXPECT_NEAR(static_cast<double>(100 - score.total), static_cast<double>(c.points), 1e-9)
        << c.what;
    EXPECT_EQ(score.lines.size(), c.points > 0 ? 1u : 0u) << c.what;
  }
}

}  // namespace
}  // namespace velmora
