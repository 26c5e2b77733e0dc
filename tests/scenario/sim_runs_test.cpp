// Runs the real velmora-sim on the fixture data and checks its trace, events, output and
// exit status, as a route author or a later test would use it.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;

ToolResult run_sim(const std::string& args) {
  return run_tool(VELMORA_SIM, "--data " VELMORA_FIXTURES "/basic " + args);
}

const std::string kPair = "--vehicle train_fixture.dat --route line_fixture.dat ";

TEST(SimRun, TracesTheFrameTimingAndTheSwaySettling) {
  const fs::path dir = scratch("trace");
  const ToolResult r = run_sim(kPair + "--frames 300 --every 10 --trace " + (dir / "t.csv").string() +
                           " --fields frame,frame_ms,fps,sway_offset,tenth_count,film_frame");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("velmora-sim: 300 frames, 300 run"), std::string::npos) << r.output;
  const auto rows = read_csv(dir / "t.csv");
  ASSERT_EQ(rows.size(), 31u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"frame", "frame_ms", "fps", "sway_offset", "tenth_count", "film_frame"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"0", "16.667000", "60", "3", "0", "0"}));
  EXPECT_EQ(rows[30][0], "290");
  EXPECT_EQ(rows[30][3], "0");  // the cab has settled
  // 291 frames of 16.667 ms, each rounded to 17 ms: 4947 ms, 49 tenths.
  EXPECT_EQ(rows[30][4], "49");
}

// What only a screenshot showed before: the texts, the needles, the gauges, the labels and
// the easy-cab window, by name.
TEST(SimRun, TracesTheCabPictureAsTheScreenShowsIt) {
  const fs::path dir = scratch("cab_picture");
  const ToolResult r = run_sim(
      kPair + "--frames 12 --input " VELMORA_FIXTURES "/scripts/cab_picture.txt --trace " + (dir / "t.csv").string() +
      " --fields frame,speed_text,Label11,stop_distance_text,Label12,needle_speed,volt_value,needle_v,mr_l_y,"
      "ammeter_mode,gradient_shown,limit_image_shown,easy_cab_visible,KN,KP1,KB1,KB8,easy_cab_status");
  ASSERT_EQ(r.status, 0) << r.output;
  const auto rows = read_csv(dir / "t.csv");
  ASSERT_EQ(rows.size(), 13u);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][1], "\"  0.0 km/h\"");
    EXPECT_EQ(rows[i][2], rows[i][1]);  // label mode: Label11 shows the speed
    EXPECT_EQ(rows[i][4], rows[i][3]);  // and Label12 the stop distance
    // The speedometer at 0 km/h: (0 × 2.25 - 135) degrees, × 1023 / 360 units.
    EXPECT_EQ(rows[i][5], "-383.625000");
    EXPECT_EQ(rows[i][8], "516");  // 560 - 880 kPa × 0.05 px
    EXPECT_EQ(rows[i][9], "0");
    EXPECT_EQ(rows[i][10], "0.000000");
    EXPECT_EQ(rows[i][11], "999");
    EXPECT_EQ(rows[i][12], "1");
  }
  EXPECT_EQ(rows[1][3], "\" 0.00 m\"");
  // The voltmeter climbs 250 V a route step; its needle shows 1500 V from frame 6 on:
  // (1500 × 0.15 - 135) × 1023 / 360.
  EXPECT_EQ(rows[1][6], "250.000000");
  EXPECT_EQ(rows[6][6], "1500.000000");
  EXPECT_EQ(rows[7][7], "255.750000");
  // The easy-cab column: emergency at the start, neutral, then power notch 1.
  EXPECT_EQ(std::vector<std::string>(rows[1].begin() + 13, rows[1].end()),
            (std::vector<std::string>{"0", "0", "1", "1", "\"ドアが開いています\""}));
  EXPECT_EQ(std::vector<std::string>(rows[9].begin() + 13, rows[9].begin() + 17),
            (std::vector<std::string>{"1", "0", "0", "0"}));
  EXPECT_EQ(std::vector<std::string>(rows[10].begin() + 13, rows[10].begin() + 17),
            (std::vector<std::string>{"0", "1", "0", "0"}));
}

TEST(SimRun, PauseAndResumeFromAScript) {
  const fs::path dir = scratch("pause");
  const ToolResult r = run_sim(kPair + "--frames 100 --input " VELMORA_FIXTURES "/scripts/pause_resume.txt --trace " +
                           (dir / "t.csv").string() + " --fields frame,app_ready,frames_run,frame_ms --events " +
                           (dir / "e.tsv").string());
  ASSERT_EQ(r.status, 0) << r.output;
  const auto rows = read_csv(dir / "t.csv");
  ASSERT_EQ(rows.size(), 101u);
  EXPECT_EQ(rows[10], (std::vector<std::string>{"9", "1", "10", "16.667000"}));
  EXPECT_EQ(rows[11], (std::vector<std::string>{"10", "0", "10", "16.667000"}));
  EXPECT_EQ(rows[80], (std::vector<std::string>{"79", "0", "10", "16.667000"}));
  // Resumed after more than a second: the first frame counts as 20 ms.
  EXPECT_EQ(rows[81], (std::vector<std::string>{"80", "1", "11", "20.000000"}));
  EXPECT_EQ(rows[100][2], "30");
  // Every command of the script is acted on: nothing is warned about.
  EXPECT_EQ(r.output.find("does nothing in this build"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("char space"), std::string::npos) << r.output;

  const auto events = read_lines(dir / "e.tsv");
  ASSERT_GE(events.size(), 10u);
  EXPECT_EQ(events[0], "0\tstatus\t設定ファイルを読み込んでいます");
  std::vector<std::string> captions;
  for (const std::string& e : events)
    if (e.find("\tcaption\t") != std::string::npos) captions.push_back(e);
  EXPECT_EQ(captions, (std::vector<std::string>{"0\tcaption\t一時停止(&S)", "10\tcaption\t運転再開(&S)",
                                                "80\tcaption\t一時停止(&S)"}));
}

// Row of a trace by its frame number.
std::vector<std::string> row_at(const std::vector<std::vector<std::string>>& rows, const std::string& frame) {
  for (const auto& row : rows)
    if (!row.empty() && row[0] == frame) return row;
  return {};
}

TEST(SimRun, TheFixtureTrainsHandlesFollowTheKeysAfterTheirDelays) {
  const fs::path dir = scratch("handles");
  // Two handles: release the brake step by step, two power notches, one brake step,
  // emergency, then everything off.
  std::ofstream(dir / "drive.txt") << "# notch up, brake, emergency, off\n"
                                   << std::string("10 char ,\n") + "10 char ,\n10 char ,\n10 char ,\n"
                                   << "10 char ,\n10 char ,\n10 char ,\n10 char ,\n"
                                   << "20 char z\n21 char z\n60 char .\n80 char /\n120 char 5\n";
  const ToolResult r = run_sim(kPair + "--frames 150 --input " + (dir / "drive.txt").string() + " --trace " +
                           (dir / "t.csv").string() +
                           " --fields frame,power_handle,power_notch,brake_handle,brake_notch,brake_text");
  ASSERT_EQ(r.status, 0) << r.output;
  const auto rows = read_csv(dir / "t.csv");
  const auto cells = [&](const char* frame) { return row_at(rows, frame); };
  using Row = std::vector<std::string>;
  EXPECT_EQ(cells("9"), (Row{"9", "0", "0", "-8", "-8", "\"非常\""}));
  // The cylinders are filled, so the release takes 70 % of [BrakeDelay] 500: 21 steps.
  EXPECT_EQ(cells("29"), (Row{"29", "2", "0", "0", "-8", "\"ブレーキ 切\""}));
  EXPECT_EQ(cells("30"), (Row{"30", "2", "0", "0", "0", "\"ブレーキ 切\""}));
  // [PowerDelay] 300 in 17 ms steps: the 18th step from frame 20.
  EXPECT_EQ(cells("36")[2], "0");
  EXPECT_EQ(cells("37")[2], "2");
  EXPECT_EQ(cells("60"), (Row{"60", "2", "2", "-1", "0", "\"B1\""}));
  EXPECT_EQ(cells("80"), (Row{"80", "2", "2", "-8", "-8", "\"非常\""}));
  EXPECT_EQ(cells("120")[2], "2");  // power still in effect until the delay has passed
  EXPECT_EQ(cells("149"), (Row{"149", "0", "0", "0", "0", "\"ブレーキ 切\""}));
}

TEST(SimRun, TheSerialMasterControllerAndATrainControllerMoveTheHandles) {
  const fs::path dir = scratch("controllers");
  // Serial lines work whatever controller is chosen; the game controller only once its
  // type is chosen, and no longer after the keyboard is chosen again.
  std::ofstream(dir / "drive.txt") << "5 serial MC006\n10 serial MC002\n"
                                   << "15 pad 0 -8000 0\n"
                                   << "20 menu controller 1\n"
                                   << "30 pad 10000 0 0\n"
                                   << "40 menu controller 0\n41 pad 0 -20000 0\n";
  const ToolResult r = run_sim(kPair + "--frames 50 --input " + (dir / "drive.txt").string() + " --trace " +
                           (dir / "t.csv").string() + " --fields frame,power_handle,brake_handle");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output.find("does nothing"), std::string::npos) << r.output;
  const auto rows = read_csv(dir / "t.csv");
  using Row = std::vector<std::string>;
  EXPECT_EQ(row_at(rows, "4"), (Row{"4", "0", "-8"}));
  EXPECT_EQ(row_at(rows, "5"), (Row{"5", "0", "0"}));
  EXPECT_EQ(row_at(rows, "10"), (Row{"10", "3", "0"}));
  EXPECT_EQ(row_at(rows, "19"), (Row{"19", "3", "0"}));
  // Y -8000 reads -6697 past the dead zone: notch 2.
  EXPECT_EQ(row_at(rows, "20"), (Row{"20", "2", "0"}));
  // X 10000 reads 8802: brake 5; Y 0 takes the power off.
  EXPECT_EQ(row_at(rows, "30"), (Row{"30", "0", "-5"}));
  EXPECT_EQ(row_at(rows, "49"), (Row{"49", "0", "-5"}));
}

TEST(SimRun, ALoadFailureShowsItsMessageAndExitsWithFailure) {
  const fs::path dir = scratch("fail");
  const ToolResult r = run_sim("--vehicle train_missing.dat --route line_fixture.dat --events " +
                           (dir / "e.tsv").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("message: 車両ファイルに誤りがあります- 列車の基本設定"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("train_missing.dat"), std::string::npos);
  const auto events = read_lines(dir / "e.tsv");
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "0\tmessage\t車両ファイルに誤りがあります- 列車の基本設定");
}

TEST(SimRun, UsageErrorsSayWhatToFix) {
  const ToolResult unknown_field = run_sim(kPair + "--fields frame,sped");
  EXPECT_EQ(unknown_field.status, 2);
  EXPECT_NE(unknown_field.output.find("unknown field \"sped\""), std::string::npos) << unknown_field.output;

  const fs::path dir = scratch("usage");
  std::ofstream(dir / "bad.txt") << "1 char a\n2 dance\n";
  const ToolResult bad_script = run_sim(kPair + "--input " + (dir / "bad.txt").string());
  EXPECT_EQ(bad_script.status, 2);
  EXPECT_NE(bad_script.output.find("line 2: unknown command \"dance\""), std::string::npos) << bad_script.output;

  EXPECT_EQ(run_sim("--vehicle train_fixture.dat").status, 2);
  EXPECT_EQ(run_sim(kPair + "--frame-ms 0").status, 2);
  EXPECT_EQ(run_sim(kPair + "--screenshot 5").status, 2);
  EXPECT_EQ(run_sim(kPair + "--film film").status, 2);
  EXPECT_EQ(run_sim(kPair + "--frames 3 --film fake").status, 0);
}

TEST(SimRun, TheRealFilmSourceSaysWhenTheRouteFilmCannotBeShownAndTheRunGoesOn) {
  const fs::path dir = scratch("real_film");
  // The fixture's route film is an empty placeholder: not a film at all.
  const ToolResult r = run_sim(kPair + "--frames 30 --film real --events " + (dir / "e.tsv").string());
  EXPECT_EQ(r.status, 0) << r.output;
  bool told = false;
  for (const std::string& line : read_lines(dir / "e.tsv"))
    told = told || line.find("message\t映像ファイルを開けません") != std::string::npos;
  EXPECT_TRUE(told);
  EXPECT_NE(r.out.find("30 frames, 30 run"), std::string::npos) << r.out;
}

TEST(SimRun, ALongFrameTimeIsCappedAndAShortOneWaitsForTheFrame) {
  const fs::path dir = scratch("frame_ms");
  ASSERT_EQ(run_sim(kPair + "--frames 3 --frame-ms 2500 --fields frame,frame_ms --trace " + (dir / "long.csv").string()).status, 0);
  EXPECT_EQ(read_csv(dir / "long.csv")[3][1], "20.000000");
  ASSERT_EQ(run_sim(kPair + "--frames 3 --frame-ms 10 --fields frame,frame_ms,frames_run --trace " + (dir / "short.csv").string()).status, 0);
  const auto rows = read_csv(dir / "short.csv");
  // 10 ms, then sleeps of 1 ms and yields until 16.667 ms have passed.
  EXPECT_EQ(rows[1][2], "1");
  EXPECT_GE(std::stod(rows[1][1]), 16.667);
  EXPECT_LT(std::stod(rows[1][1]), 17.0);
}

}  // namespace
