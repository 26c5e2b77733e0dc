// velmora-sim on the fixture line with the train standing at its first station: the
// preceding train leaves its stop at frame 2400, runs through the block of signal 2
// (frames 2600 to 3100) and beyond the last signal, and the signals behind it step up.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;

enum Column { kFrame, kPre, kAspect0, kAspect1, kAspect2, kAspect3, kImage, kShown };

// Signal 1's and signal 2's aspects for a preceding train at frame `pre` (signal frames
// 1200, 2600 and 3100; five aspects; every chain 1, 2, 3, 4, 4).
std::pair<int, int> expected(int pre) {
  if (pre <= 2600) return {0, 4};
  if (pre <= 3100) return {1, 0};
  return {4, 4};
}

TEST(SignalsRun, ASignalGoesFromStopToClearAsThePrecedingTrainMovesOn) {
  const fs::path dir = scratch("signals_run");
  const ToolResult r = run_tool(
      VELMORA_SIM, "--data " VELMORA_FIXTURES
                   "/basic --vehicle train_fixture.dat --route line_fixture.dat --frames 1700 --trace " +
                       (dir / "t.csv").string() +
                       " --fields frame,pre_train_frame,aspect[0],aspect[1],aspect[2],aspect[3],"
                       "signal_image_now,shown_signal");
  ASSERT_EQ(r.status, 0) << r.output;
  auto rows = read_csv(dir / "t.csv");
  ASSERT_GT(rows.size(), 1000u);
  rows.erase(rows.begin());

  // The dynamics step moves the preceding train after or before the signals in a frame:
  // each row matches the train's place in this row or the row before.
  std::vector<std::string> aspect1_runs;
  int before = std::stoi(rows[0][kPre]);
  for (const auto& row : rows) {
    const int pre = std::stoi(row[kPre]);
    const std::pair<int, int> seen{std::stoi(row[kAspect1]), std::stoi(row[kAspect2])};
    EXPECT_TRUE(seen == expected(pre) || seen == expected(before))
        << "frame " << row[kFrame] << ": preceding train at " << pre << ", signals 1 and 2 show "
        << seen.first << " and " << seen.second;
    // Signal 3 is a departure signal of a station whose departure is not given.
    EXPECT_EQ(row[kAspect3], "0") << "frame " << row[kFrame];
    if (aspect1_runs.empty() || aspect1_runs.back() != row[kAspect1]) aspect1_runs.push_back(row[kAspect1]);
    before = pre;
  }
  EXPECT_EQ(aspect1_runs, (std::vector<std::string>{"0", "1", "4"}));

  // The own train stands at frame 0 in signal 0's stretch: its picture follows the chain,
  // stop while the departure is not given, then 7, 8, 9 (head 2) as signal 1 clears.
  EXPECT_EQ(rows.front()[kShown], "0");
  EXPECT_EQ(rows.front()[kImage], "7");
  EXPECT_EQ(rows.back()[kAspect0], "4");
  EXPECT_EQ(rows.back()[kImage], "9");
  EXPECT_GT(std::stoi(rows.back()[kPre]), 3100);
}

}  // namespace
