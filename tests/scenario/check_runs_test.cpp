// Runs the real velmora-check on fixture vehicles: a clean one, one with planted
// mistakes, and broken ones, as a vehicle author would.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tool_run.h"

namespace {

using namespace velmora_scenario;

ToolResult run_check(const std::string& args) { return run_tool(VELMORA_CHECK, args); }

std::vector<std::string> warning_lines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);)
    if (line.find(": warning: ") != std::string::npos) lines.push_back(line);
  return lines;
}

const std::string kChecker = "--data " VELMORA_FIXTURES "/checker ";

TEST(CheckRun, TheFixtureVehicleLoadsWithoutAWarning) {
  const ToolResult r = run_check("--data " VELMORA_FIXTURES
                             "/basic --vehicle TRAIN_FIXTURE.DAT --route line_fixture.dat");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(warning_lines(r.output).empty()) << r.output;
}

TEST(CheckRun, PlantedMistakesAreWarnedAboutWithTheirLines) {
  const ToolResult r = run_check(kChecker + "--vehicle train_mistakes.dat");
  EXPECT_EQ(r.status, 0) << r.output;
  const std::string file = VELMORA_FIXTURES "/checker/train_mistakes.dat:";
  const std::vector<std::string> expected = {
      file + "14: warning: \"[MaxSpeeed]\" opens no section; did you mean [MaxSpeed]?",
      file + "16: warning: \" [Length]\" opens no section; a header starts in the first column",
      file +
          "25: warning: [Sound_Horn] names sound 9, but [DriveSound] numbers its 5 entries 0 to 4",
      file + "27: warning: [Sound_Ats1] names sound 3, an empty [DriveSound] entry",
      file + "36: warning: \"[lamp_eb]\" opens no section; headers are case-sensitive: [Lamp_EB]",
      file +
          "45: warning: picture \"panel\\missing.bmp\" of [Lamp_Y] is not in the vehicle's folder",
      file +
          "65: warning: sound \"sound\\none.wav\" of [DriveSound] is not in the vehicle's folder",
  };
  EXPECT_EQ(warning_lines(r.output), expected) << r.output;
}

TEST(CheckRun, ABrokenFileShowsTheSimulatorsMessageAndFails) {
  const ToolResult clock = run_check(kChecker + "--vehicle train_broken.dat");
  EXPECT_EQ(clock.status, 1);
  EXPECT_NE(clock.output.find("message: 車両ファイルに誤りがあります- アナログ時計\n"),
            std::string::npos)
      << clock.output;
  EXPECT_NE(clock.output.find("train_broken.dat:6: \"noon\" is not an integer"), std::string::npos)
      << clock.output;

  const ToolResult missing = run_check(kChecker + "--vehicle train_none.dat");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("message: 車両ファイルに誤りがあります- 列車の基本設定"),
            std::string::npos);

  const ToolResult route = run_check(kChecker + "--vehicle train_mistakes.dat --route line_none.dat");
  EXPECT_EQ(route.status, 1);
  EXPECT_NE(route.output.find("message: 路線ファイルに誤りがあります。その他:"), std::string::npos)
      << route.output;
}

// A picture the simulator cannot make (missing, or not a picture it reads) stops
// velmora-sim and velmora-check as it stops the desktop program: its message, status 1.
TEST(CheckRun, APictureTheSimulatorCannotMakeStopsEveryTool) {
  enum class Damage { Remove, Garble, Truncate };
  const struct Case {
    const char* file;
    Damage damage;
    std::string message;
  } cases[] = {
      {"panel/needle.bmp", Damage::Remove, "panel\\needle.bmpの生成エラー"},
      {"panel/panel.bmp", Damage::Garble, "panel\\panel.bmpの生成エラー"},
      {"image/slope.bmp", Damage::Truncate, "勾配標の生成エラー"},
      {"image/staff.bmp", Damage::Garble, "staff.bmpが見つかりません"},
  };
  for (const Case& c : cases) {
    const fs::path dir = scratch("picture");
    fs::copy(VELMORA_FIXTURES "/basic", dir, fs::copy_options::recursive);
    const fs::path file = dir / c.file;
    if (c.damage == Damage::Remove) {
      fs::remove(file);
    } else {
      const std::string bytes = read_file(file);
      std::ofstream(file, std::ios::binary | std::ios::trunc)
          << (c.damage == Damage::Garble ? std::string("not a picture") : bytes.substr(0, 20));
    }
    const std::string files = "--data " + dir.string() + " --vehicle train_fixture.dat --route line_fixture.dat";
    for (const ToolResult& r : {run_tool(VELMORA_SIM, files + " --frames 1"), run_check(files)}) {
      EXPECT_EQ(r.status, 1) << c.file << "\n" << r.output;
      EXPECT_NE(r.err.find("message: "), std::string::npos) << r.output;
      EXPECT_NE(r.err.find(c.message + "\n"), std::string::npos) << c.file << "\n" << r.output;
    }
  }
}

TEST(CheckRun, AVehicleNamedWithAFolderIsTakenAsAPath) {
  const ToolResult r =
      run_check("--data /nonexistent --vehicle " VELMORA_FIXTURES "/checker/train_mistakes.dat");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(warning_lines(r.output).size(), 7u) << r.output;
}

TEST(CheckRun, UsageErrorsAndHelp) {
  EXPECT_EQ(run_check("--vehicle train_fixture.dat").status, 2);
  EXPECT_EQ(run_check(kChecker + "--vehicle").status, 2);
  EXPECT_EQ(run_check(kChecker + "--vehicle x.dat --speed 3").status, 2);
  const ToolResult help = run_check("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("--vehicle FILE"), std::string::npos);
}

}  // namespace
