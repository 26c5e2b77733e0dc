// Runs the real velmora-sim on the fixture data and checks its trace, events, output and
// exit status, as a route author or a later test would use it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string output;  // stdout and stderr together
};

Result run_sim(const std::string& args) {
  const std::string command = std::string(VELMORA_SIM) + " --data " VELMORA_FIXTURES "/basic " + args + " 2>&1";
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("velmora_scenario_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::vector<std::vector<std::string>> read_csv(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::stringstream s(line);
    for (std::string cell; std::getline(s, cell, ',');) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

std::vector<std::string> read_lines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const std::string kPair = "--vehicle train_fixture.dat --route line_fixture.dat ";

TEST(SimRun, TracesTheFrameTimingAndTheSwaySettling) {
  const fs::path dir = scratch("trace");
  const Result r = run_sim(kPair + "--frames 300 --every 10 --trace " + (dir / "t.csv").string() +
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

TEST(SimRun, PauseAndResumeFromAScript) {
  const fs::path dir = scratch("pause");
  const Result r = run_sim(kPair + "--frames 100 --input " VELMORA_FIXTURES "/scripts/pause_resume.txt --trace " +
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
  // Commands of subsystems this build lacks are warned about, not fatal.
  EXPECT_NE(r.output.find("line 6: \"serial MC001\" does nothing in this build"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("char space"), std::string::npos) << r.output;

  const auto events = read_lines(dir / "e.tsv");
  ASSERT_GE(events.size(), 10u);
  EXPECT_EQ(events[0], "0\tstatus\t設定ファイルを読み込んでいます");
  EXPECT_EQ(events[7], "0\tcaption\t一時停止(&S)");
  EXPECT_EQ(events[8], "10\tcaption\t運転再開(&S)");
  EXPECT_EQ(events[9], "80\tcaption\t一時停止(&S)");
}

TEST(SimRun, ALoadFailureShowsItsMessageAndExitsWithFailure) {
  const fs::path dir = scratch("fail");
  const Result r = run_sim("--vehicle train_missing.dat --route line_fixture.dat --events " +
                           (dir / "e.tsv").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("message: 車両ファイルに誤りがあります- 列車の基本設定"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("train_missing.dat"), std::string::npos);
  const auto events = read_lines(dir / "e.tsv");
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), "0\tmessage\t車両ファイルに誤りがあります- 列車の基本設定");
}

TEST(SimRun, UsageErrorsSayWhatToFix) {
  const Result unknown_field = run_sim(kPair + "--fields frame,sped");
  EXPECT_EQ(unknown_field.status, 2);
  EXPECT_NE(unknown_field.output.find("unknown field \"sped\""), std::string::npos) << unknown_field.output;

  const fs::path dir = scratch("usage");
  std::ofstream(dir / "bad.txt") << "1 char a\n2 dance\n";
  const Result bad_script = run_sim(kPair + "--input " + (dir / "bad.txt").string());
  EXPECT_EQ(bad_script.status, 2);
  EXPECT_NE(bad_script.output.find("line 2: unknown command \"dance\""), std::string::npos) << bad_script.output;

  EXPECT_EQ(run_sim("--vehicle train_fixture.dat").status, 2);
  EXPECT_EQ(run_sim(kPair + "--frame-ms 0").status, 2);
  EXPECT_EQ(run_sim(kPair + "--screenshot 5:x.png").status, 2);
  EXPECT_EQ(run_sim(kPair + "--film real").status, 2);
  EXPECT_EQ(run_sim(kPair + "--frames 3 --film fake").status, 0);
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
