// Generates the short demo with make-demo and drives each of its routes end to end with
// velmora-sim and the route's scripted drive: the files load without a warning, and the
// train comes to a stand inside the stop zone of every stopping station, in order, and
// waits there for its timetable.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;

struct Pair {
  const char* key;
  const char* vehicle;
  const char* route;
};
const Pair kPairs[] = {{"exp", "train_85.dat", "line_exp.dat"},
                       {"rapid", "train_75.dat", "line_rapid.dat"},
                       {"local", "train_313_2cars.dat", "line_local.dat"}};

// The short demo: ctest makes it once before these tests; run alone, they make it here.
const fs::path& demo() {
  static const fs::path dir = [] {
    const fs::path d = DEMO_SHORT_DIR;
    if (!fs::exists(d / "drive_local.txt")) {
      const ToolResult r = run_tool(MAKE_DEMO, "--short --no-speech " + d.string());
      EXPECT_EQ(r.status, 0) << r.output;
    }
    return d;
  }();
  return dir;
}

struct Drive {
  int frames = 0;
  std::vector<int> stops;  // station indices, the first station included
  fs::path script;
};

Drive read_drive(const std::string& key) {
  Drive d;
  d.script = demo() / ("drive_" + key + ".txt");
  for (const std::string& line : read_lines(d.script)) {
    if (line.rfind("# frames: ", 0) == 0) d.frames = std::stoi(line.substr(10));
    if (line.rfind("# stops:", 0) == 0) {
      std::istringstream in(line.substr(8));
      for (int s; in >> s;) d.stops.push_back(s);
    }
  }
  return d;
}

std::string sim_args(const Pair& p, const Drive& d) {
  return "--data " + demo().string() + " --vehicle " + p.vehicle + " --route " + p.route +
         " --frames " + std::to_string(d.frames) + " --input " + d.script.string();
}

TEST(DemoRun, EveryPairLoadsWithoutAWarning) {
  for (const Pair& p : kPairs) {
    const ToolResult r = run_tool(VELMORA_CHECK, "--data " + demo().string() + " --vehicle " +
                                                     p.vehicle + " --route " + p.route);
    EXPECT_EQ(r.status, 0) << p.route << "\n" << r.output;
    EXPECT_EQ(r.out, "") << p.route << " has warnings";
  }
}

TEST(DemoRun, TheScriptedDriverStopsInsideEveryStopZoneAndWaits) {
  for (const Pair& p : kPairs) {
    SCOPED_TRACE(p.route);
    const Drive d = read_drive(p.key);
    ASSERT_GT(d.frames, 0);
    ASSERT_GE(d.stops.size(), 3u);  // at least four stations, one of them perhaps passed
    std::string fields = "frame,speed,position_cm";
    for (int s : d.stops)
      fields += ",station_position_s[" + std::to_string(s) + "],station_position_e[" +
                std::to_string(s) + "]";
    const fs::path trace = scratch(std::string("drive_") + p.key) / "trace.csv";
    const ToolResult r = run_tool(
        VELMORA_SIM, sim_args(p, d) + " --trace " + trace.string() + " --fields " + fields);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
    std::vector<std::vector<std::string>> rows = read_csv(trace);
    ASSERT_GT(rows.size(), 1u);
    rows.erase(rows.begin());

    // Walk the trace: each stop after the first must be reached, in order, by a stand of
    // at least five seconds inside its zone; at the terminus the run may end sooner, so
    // there the stand must last to the end of the trace.
    std::size_t next = 1, row = 0;
    for (; next < d.stops.size(); ++next) {
      const std::size_t column = 3 + 2 * next;
      const bool terminus = next + 1 == d.stops.size();
      bool served = false;
      int standing = 0;
      for (; row < rows.size() && !served; ++row) {
        const double speed = std::stod(rows[row][1]), at = std::stod(rows[row][2]);
        const double from = std::stod(rows[row][column]), to = std::stod(rows[row][column + 1]);
        standing = speed == 0 && from <= at && at <= to ? standing + 1 : 0;
        if (standing >= 300 || (terminus && standing > 0 && row + 1 == rows.size())) served = true;
      }
      EXPECT_TRUE(served) << "station " << d.stops[next] << " not served";
    }
    // Nothing runs on past the terminus: the drive ends standing there.
    EXPECT_EQ(std::stod(rows.back()[1]), 0);
  }
}

// The same drives, seen through the station rules: the next stop moves on along the stops,
// the doors open at each, and the run ends at the terminus. The run report says the same:
// every stop served inside its zone, no stop passed, no brake from the protection.
TEST(DemoRun, TheStationRulesServeEveryStationAndEndTheRun) {
  for (const Pair& p : kPairs) {
    SCOPED_TRACE(p.route);
    const Drive d = read_drive(p.key);
    const fs::path dir = scratch(std::string("stations_") + p.key);
    const ToolResult r =
        run_tool(VELMORA_SIM, sim_args(p, d) + " --trace " + (dir / "t.csv").string() +
                                  " --fields frame,station_index,doors_open --events " +
                                  (dir / "events.txt").string() + " --report-json " +
                                  (dir / "report.json").string());
    ASSERT_EQ(r.status, 0) << r.output;
    std::vector<std::vector<std::string>> rows = read_csv(dir / "t.csv");
    rows.erase(rows.begin());
    std::vector<int> indices;
    int doors_opened = 0;
    bool open = false;
    for (const auto& row : rows) {
      const int index = std::stoi(row[1]);
      if (indices.empty() || indices.back() != index) indices.push_back(index);
      if (row[2] == "1" && !open) ++doors_opened;
      open = row[2] == "1";
    }
    const std::vector<int> expected(d.stops.begin() + 1, d.stops.end());
    std::vector<int> moved_to = indices;
    if (!moved_to.empty() && moved_to.front() == d.stops.front()) moved_to.erase(moved_to.begin());
    EXPECT_EQ(moved_to, expected);
    EXPECT_GE(doors_opened, static_cast<int>(d.stops.size()) - 1);
    EXPECT_NE(read_file(dir / "events.txt").find("\tend"), std::string::npos)
        << "the run did not end";

    const std::string report = read_file(dir / "report.json");
    for (int s : expected) {
      const std::size_t at = report.find("{\"index\": " + std::to_string(s) + ",");
      ASSERT_NE(at, std::string::npos) << "station " << s;
      const std::string station = report.substr(at, report.find('}', at) - at);
      EXPECT_NE(station.find("\"in_zone\": true"), std::string::npos) << station;
      EXPECT_EQ(station.find("\"arrival\": null"), std::string::npos) << station;
    }
    EXPECT_EQ(report.find("\"missed\": true"), std::string::npos);
    // A pattern's approach chime may sound; nothing of the protection may brake.
    for (const char* kind : {"signal_at_stop", "emergency", "pattern_brake", "service_brake",
                             "vigilance_brake", "driver_emergency"})
      EXPECT_EQ(report.find(std::string("\"kind\": \"") + kind + "\""), std::string::npos) << kind;
  }
}

TEST(DemoRun, NothingInTheCabWindowIsCutOffOrCoversSomethingElse) {
  // Each route with the value display and the easy-cab window open, the texts in their
  // labels and then on the film; velmora-sim names what a screenshot shows drawn badly.
  for (const Pair& p : kPairs) {
    const Drive d = read_drive(p.key);
    for (const char* mode : {"", "0 menu OFFC1\n"}) {
      const fs::path dir = scratch(std::string("layout_") + p.key + (*mode ? "_film" : "_labels"));
      std::ofstream script(dir / "drive.txt");
      script << "0 key F3\n0 menu N3\n" << mode << read_file(d.script);
      script.close();
      std::string shots;
      for (int k : {1, 2, 3})
        shots += " --screenshot " + std::to_string(d.frames * k / 4) + ":" +
                 (dir / (std::to_string(k) + ".png")).string();
      const ToolResult r = run_tool(
          VELMORA_SIM, "--data " + demo().string() + " --vehicle " + p.vehicle + " --route " +
                           p.route + " --input " + (dir / "drive.txt").string() + " --frames " +
                           std::to_string(d.frames * 3 / 4 + 1) + shots);
      ASSERT_EQ(r.status, 0) << r.output;
      EXPECT_EQ(r.err.find("layout:"), std::string::npos)
          << p.key << (*mode ? " (texts on the film)" : "") << ":\n"
          << r.err;
    }
  }
}

TEST(DemoRun, TheFilmsOfTheRoutesAreThere) {
  for (const char* film : {"movie/exp.avi", "movie/rapid.avi", "movie/local.avi",
                           "movie/local_cross.avi", "move/opening.avi"}) {
    const fs::path f = demo() / film;
    ASSERT_TRUE(fs::exists(f)) << film;
    EXPECT_GT(fs::file_size(f), 10000u) << film;
  }
  for (const char* other : {"velmora.dat", "mascon.dat", "operation.dat", "readme.html",
                            "sound/39911.wav", "image/title/01.jpg", "image/title/05.jpg"})
    EXPECT_TRUE(fs::exists(demo() / other)) << other;
}

}  // namespace
