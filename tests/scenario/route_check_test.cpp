// Runs the real velmora-check on the fixture routes as a route author would, and
// velmora-sim on the fixture to see the derived positions in its trace.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;

TEST(RouteCheck, TheFixtureRouteLoadsWithoutAWarning) {
  const ToolResult r =
      run_tool(VELMORA_CHECK,
          "--data " VELMORA_FIXTURES "/basic --route line_fixture.dat --vehicle train_fixture.dat");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST(RouteCheck, EachPlantedMistakeIsWarnedAboutAtItsLine) {
  const ToolResult r = run_tool(VELMORA_CHECK,
                       "--data " VELMORA_FIXTURES "/route_mistakes --route line_mistakes.dat");
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string w = "line_mistakes.dat:";
  const std::vector<std::string> expected = {
      w + "4: warning: [LineName] appears again (first at line 2); this copy replaces the values "
          "read there",
      w + "14: warning: the sound \"sound\\nothing.wav\" does not exist",
      w + "17: warning: the call \"kanko\\silent.wav\" does not exist",
      w + "21: warning: station 1 \"途中駅\" stops with doors (type 0) but has no departure time",
      w + "22: warning: station 2 \"彼方駅\" at frame 9000 lies in no [SpeedUnit] entry, so it "
          "sits at position 0",
      w + "27: warning: signals 0 and 1 are both drawn from frame 400 to 500; only signal 1 shows "
          "there",
      w + "28: warning: signal 2 at frame 9600 lies in no [SpeedUnit] entry, so it sits at "
          "position 0",
      w + "35: warning: \"[slope]\" opens no section: it is written [Slope], in that letter case",
      w + "39: warning: the speed limit at frame 9100 lies in no [SpeedUnit] entry, so it sits at "
          "position 0",
      w + "42: warning: the speed check at frame 9150 lies in no [SpeedUnit] entry, so it sits at "
          "position 0",
      w + "45: warning: the level crossing at frame 9700 lies in no [SpeedUnit] entry",
      w + "48: warning: the passing-sound source at frame 9800 lies in no [SpeedUnit] entry, so it "
          "sits at position 0",
      w + "51: warning: the tunnel exit at frame 9900 lies in no [SpeedUnit] entry, so it sits at "
          "position 0",
      w + "55: warning: the [SpeedUnit] entry runs backwards, from frame 1000 to frame 900",
      w + "56: warning: the [SpeedUnit] entry starts at frame 1200, not where the one before ends "
          "(frame 900)",
  };
  EXPECT_EQ(split_lines(r.out), expected);
}

TEST(RouteCheck, AFileTheSimulatorRefusesPrintsItsMessagesAndFails) {
  const fs::path dir =
      fs::temp_directory_path() / ("velmora_check_refused_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(VELMORA_FIXTURES "/basic/velmora.dat", dir / "velmora.dat");
  struct Case {
    std::string route;
    std::vector<std::string> messages;
  };
  std::string signals = "[Signal]\r\n", chain = "[Signal2]\r\n";
  for (int i = 0; i < 12; ++i) signals += "0,0,0,2,0,100\r\n";
  for (int i = 0; i < 11; ++i) chain += "1234412344\r\n";
  const Case cases[] = {
      {signals + "#\r\n" + chain + "#\r\n", {"message: 信号機数不一致:12:11"}},
      {"[SpeedUnit]\r\n0,300,0,36\r\n300,300,36,36\r\n#\r\n",
       {"message: 路線ファイルに誤りがあります。[SpeedUnit]:300,300,36,36",
        "message: the entry starts and ends at frame 300: it must span at least one frame"}},
  };
  for (const Case& c : cases) {
    std::ofstream(dir / "line_bad.dat", std::ios::binary) << c.route;
    const ToolResult r = run_tool(VELMORA_CHECK, "--data " + dir.string() + " --route line_bad.dat");
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> err = split_lines(r.err);
    ASSERT_EQ(err.size(), c.messages.size() + 1) << r.err;
    for (std::size_t k = 0; k < c.messages.size(); ++k) EXPECT_EQ(err[k], c.messages[k]);
    EXPECT_NE(err.back().find("line_bad.dat"), std::string::npos);
  }
  EXPECT_EQ(run_tool(VELMORA_CHECK, "--data " + dir.string()).status, 2);
  fs::remove_all(dir);
}

TEST(RouteCheck, VelmoraSimTracesTheDerivedPositions) {
  const ToolResult r =
      run_tool(VELMORA_SIM,
          "--data " VELMORA_FIXTURES
          "/basic --vehicle train_fixture.dat --route line_fixture.dat "
          "--frames 1 --fields station_position[2],station_position_s[2],event_position[0],"
          "event_kind[0],event_kind[1],event_station[1],speed_unit_end[5],tunnel_entrance[0]");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(
      r.out.find(
          "final: station_position[2]=90000 station_position_s[2]=89700 event_position[0]=200 "
          "event_kind[0]=2 event_kind[1]=3 event_station[1]=0 speed_unit_end[5]=176667 "
          "tunnel_entrance[0]=98333"),
      std::string::npos)
      << r.out;
}

}  // namespace
