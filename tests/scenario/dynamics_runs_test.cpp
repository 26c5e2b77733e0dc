// Drives the fixture trains with velmora-sim and checks their motion, brakes and engines
// in the trace, as a route or vehicle author replaying a drive would.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;
using Rows = std::vector<std::vector<std::string>>;

Rows drive(const std::string& vehicle, const std::string& script, int frames, const std::string& fields) {
  const fs::path dir = scratch("drive_" + vehicle + "_" + script);
  const ToolResult r = run_tool(VELMORA_SIM, "--data " VELMORA_FIXTURES "/basic --vehicle " + vehicle +
                                                 " --route line_fixture.dat --frames " + std::to_string(frames) +
                                                 " --input " VELMORA_FIXTURES "/scripts/" + script + " --trace " +
                                                 (dir / "t.csv").string() + " --fields frame," + fields);
  EXPECT_EQ(r.status, 0) << r.output;
  Rows rows = read_csv(dir / "t.csv");
  if (!rows.empty()) rows.erase(rows.begin());  // the header
  return rows;
}

double cell(const std::vector<std::string>& row, std::size_t column) { return std::stod(row.at(column)); }

TEST(DynamicsRun, AnElectricTrainRunsToEightyAndBrakesToAStandstill) {
  const Rows rows = drive("train_fixture.dat", "emu_run_and_stop.txt", 5400, "speed,position_cm,brake_force");
  ASSERT_EQ(rows.size(), 5400u);

  // The first frame the train moves: the brakes have let go, nothing else acts yet. At
  // standstill notch 4 pulls with its acc0, 2.8 km/h/s, on 140 t against the starting
  // resistance of (3 - 0) × 9.8 × 140 N, for 1/60 s.
  std::size_t first = 0;
  while (first < rows.size() && cell(rows[first], 1) == 0) ++first;
  ASSERT_LT(first, rows.size());
  const double traction = std::round(2.8 / 3.6 * 140 * 1000 * 10000) / 10000;  // N, four places
  const double expected = (traction - 3 * 9.8 * 140) / (140 * 1000) * 3.6 / 60;
  EXPECT_NEAR(cell(rows[first], 1), expected, 1e-6);

  EXPECT_GT(cell(rows[2999], 1), 80);  // at frame 2999, just before power goes off

  // Braked from frame 3000: it slows every frame, stops at exactly 0 and stays there.
  std::size_t stop = 3000;
  while (stop < rows.size() && cell(rows[stop], 1) > 0) {
    EXPECT_LE(cell(rows[stop], 1), cell(rows[stop - 1], 1)) << "frame " << stop;
    ++stop;
  }
  ASSERT_LT(stop, rows.size());
  EXPECT_GT(stop, 3000u + 60 * 10);  // from 80 km/h at 4.2 km/h/s at most: over 10 s
  for (std::size_t i = stop; i < rows.size(); ++i) ASSERT_EQ(rows[i][1], "0.000000") << "frame " << i;
  EXPECT_EQ(rows.back()[2], rows[stop][2]);  // and has not crept on
  EXPECT_GT(cell(rows.back(), 3), 0);        // held by the brakes
}

TEST(DynamicsRun, AnAutomaticAirBrakeChargesAppliesAndReleases) {
  const Rows rows =
      drive("train_aab.dat", "aab_service_and_release.txt", 1800, "brake_notch,bp_press,bc_t,bc_m");
  ASSERT_EQ(rows.size(), 1800u);
  // Released from emergency at frame 5: the empty pipe charges to 490 kPa and, once it is
  // above the cylinders, they release.
  EXPECT_EQ(rows[4][2], "0.000000");
  EXPECT_NEAR(cell(rows[899], 2), 490, 1);
  EXPECT_EQ(cell(rows[899], 3), 0);
  // Service position from frame 900: the pipe falls, the cylinders follow up to 366 kPa
  // (350 + 0.8 × 20: leaving the first station makes the 20 % load of the stretch count).
  EXPECT_EQ(rows[1079][1], "-3");
  EXPECT_LT(cell(rows[1079], 2), 400);
  EXPECT_NEAR(cell(rows[1079], 3), 366, 5);
  EXPECT_EQ(rows[1079][3], rows[1079][4]);
  // Released again at frame 1080: the pipe recharges and the cylinders empty.
  EXPECT_GT(cell(rows[1799], 2), 480);
  EXPECT_EQ(cell(rows[1799], 3), 0);
}

TEST(DynamicsRun, ADieselRailcarShiftsUpThroughItsGears) {
  const Rows rows = drive("train_diesel_at.dat", "diesel_start.txt", 4800, "speed,gear,engine_rpm,engine_run");
  ASSERT_EQ(rows.size(), 4800u);
  EXPECT_NEAR(cell(rows[99], 3), 30, 1);  // idling before it pulls
  std::vector<std::string> gears;
  for (const auto& row : rows)
    if (gears.empty() || gears.back() != row[2]) gears.push_back(row[2]);
  EXPECT_EQ(gears, (std::vector<std::string>{"0", "1", "2"}));
  // Power engages position 1 at a stand (its [Engine] row starts at 0 km/h), and the
  // railcar pulls away in it.
  std::size_t first = 0;
  while (first < rows.size() && rows[first][2] == "0") ++first;
  ASSERT_LT(first, rows.size());
  EXPECT_EQ(cell(rows[first], 1), 0);
  std::size_t second = first;
  while (second < rows.size() && rows[second][2] == "1") ++second;
  ASSERT_LT(second, rows.size());
  EXPECT_GT(cell(rows[second - 1], 1), 60);
  // Above row 1's 70 km/h the selection moves up to position 2, engaged under power at once.
  EXPECT_GT(cell(rows[second], 1), 70);
  EXPECT_LT(cell(rows[second - 1], 1), 70.1);
  // The engine follows each gear's line: 30 + 1.5 v in position 1, 30 + v in position 2.
  EXPECT_NEAR(cell(rows[second - 1], 3), 30 + 1.5 * cell(rows[second - 1], 1), 2);
  EXPECT_NEAR(cell(rows[4799], 3), 30 + cell(rows[4799], 1), 2);
  // With protection cut out no maximum-speed check holds it at the line's 80 km/h.
  EXPECT_GT(cell(rows[4799], 1), 80);
  for (const auto& row : rows) ASSERT_EQ(row[4], "1");
}

TEST(DynamicsRun, ADieselStartedInTheTopPositionStallsAndTheStarterBringsItBack) {
  const Rows rows = drive("train_diesel_mt.dat", "diesel_stall.txt", 300, "speed,power_notch,engine_run");
  ASSERT_EQ(rows.size(), 300u);
  std::size_t stall = 0;
  while (stall < rows.size() && rows[stall][3] == "1") ++stall;
  ASSERT_LT(stall, 120u);  // as soon as power reaches the wheels
  EXPECT_EQ(rows[stall][2], "0");  // the stall cuts power
  for (std::size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i][1], "0.000000");
  // The starter held from frame 130: starting (-1) on its second pass, running after 50.
  EXPECT_EQ(rows[129][3], "0");
  EXPECT_EQ(rows[131][3], "-1");
  EXPECT_EQ(rows[179][3], "-1");
  EXPECT_EQ(rows[180][3], "1");
}

}  // namespace
