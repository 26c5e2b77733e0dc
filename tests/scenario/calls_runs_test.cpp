// Calls in a whole run on the fixture line with velmora-sim: Enter at the departure signal
// queues its calls, which are then spoken one after the other on the call channel.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;

struct Seen {
  long frame;
  std::string detail;
};

std::vector<Seen> events_of(const std::vector<std::string>& events, const std::string& kind) {
  std::vector<Seen> out;
  for (const std::string& e : events) {
    const auto tab1 = e.find('\t'), tab2 = e.find('\t', tab1 + 1);
    if (e.substr(tab1 + 1, tab2 - tab1 - 1) == kind) out.push_back({std::stol(e.substr(0, tab1)), e.substr(tab2 + 1)});
  }
  return out;
}

TEST(CallsRun, EnterAtASignalInViewQueuesItsCallsAndTheyAreSpokenInTurn) {
  const fs::path dir = scratch("enter_signal");
  std::ofstream(dir / "enter.txt") << "30 key Enter\n";  // standing at 始発駅, its signal in view
  const ToolResult r = run_tool(
      VELMORA_SIM, "--data " VELMORA_FIXTURES "/basic --vehicle train_fixture.dat --route line_fixture.dat"
                   " --frames 300 --input " + (dir / "enter.txt").string() +
                   " --fields frame,signal_image_now,call_channel --trace " + (dir / "t.csv").string() +
                   " --events " + (dir / "e.tsv").string());
  ASSERT_EQ(r.status, 0) << r.output;
  const auto rows = read_csv(dir / "t.csv");
  ASSERT_GT(rows.size(), 200u);
  ASSERT_EQ(rows.at(31).at(1), "7") << "at frame 30 the departure signal shows stop";
  const std::string channel = rows.at(31).at(2);
  const auto events = read_lines(dir / "e.tsv");

  // The route's own call for the signal's voice, then the call of the stop picture.
  std::vector<std::string> queued;
  for (const Seen& c : events_of(events, "call"))
    if (c.frame == 30) queued.push_back(c.detail);
  EXPECT_EQ(queued, (std::vector<std::string>{"22 kanko\\shingou.wav", "0 kanko\\k00.wav"}));

  std::vector<Seen> spoken;
  for (const Seen& s : events_of(events, "play"))
    if (s.detail.rfind(channel + " ", 0) == 0) spoken.push_back(s);
  ASSERT_GE(spoken.size(), 2u);
  EXPECT_EQ(spoken[0].frame, 30);
  EXPECT_NE(spoken[0].detail.find("kanko/shingou.wav"), std::string::npos) << spoken[0].detail;
  EXPECT_NE(spoken[1].detail.find("kanko/k00.wav"), std::string::npos) << spoken[1].detail;
  EXPECT_GE(spoken[1].frame, 30 + 60) << "the first call (a second long) is spoken to its end";
}

}  // namespace
