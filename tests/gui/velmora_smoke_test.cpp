// The desktop program itself, under SDL's offscreen video driver and OpenAL's null output:
// the title window, a route chosen by a click, a short drive with keys, the window closed,
// the title window back; then the recorded drive replayed headless must end where the
// desktop's drive ended. A drive that reaches a station is kept with its report, and its
// kept recording replays headless to the same report.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "png_pictures.h"
#include "tool_run.h"

namespace {

using namespace velmora_scenario;

// Pixels that are not black in a box.
int lit(const Picture& p, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < std::min(y1, p->h); ++y)
    for (int x = x0; x < std::min(x1, p->w); ++x) {
      const auto* px =
          static_cast<const std::uint8_t*>(p->pixels) + std::ptrdiff_t(y) * p->pitch + 3 * x;
      n += px[0] > 16 || px[1] > 16 || px[2] > 16;
    }
  return n;
}

// "name=value" pairs of the line that starts with `prefix`.
std::map<std::string, std::string> values_after(const std::string& text,
                                                const std::string& prefix) {
  std::map<std::string, std::string> out;
  for (const std::string& line : split_lines(text)) {
    if (line.rfind(prefix, 0) != 0) continue;
    static const std::regex pair(R"((\w+)=([-\d.]+))");
    for (std::sregex_iterator it(line.begin(), line.end(), pair), end; it != end; ++it)
      out[(*it)[1]] = (*it)[2];
  }
  return out;
}

// The drives the program keeps go into the test's own folder, not the user's.
void keep_drives_in(const fs::path& dir) { setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1); }

TEST(DesktopSmoke, TitleRouteDriveCloseTitleAndTheRecordedDriveReplaysTheSame) {
  const fs::path dir = scratch("desktop_smoke");
  keep_drives_in(dir);
  const fs::path shots = dir / "shots";
  fs::create_directories(shots);
  // The opening is clicked away, the express route chosen, the run paused and resumed by
  // quick clicks on the menu bar's first item, the brake released and power taken, the cab
  // window closed; the title window's close ends the program.
  std::ofstream script(dir / "automate.txt");
  script << "0.8 click 100 100\n3.0 click 650 375\n6.5 click 30 9\n7.5 click 30 9\n";
  for (int k = 0; k < 10; ++k) script << 9 + 0.2 * k << " text ,\n";    // the brake off
  for (int k = 0; k < 4; ++k) script << 11.5 + 0.2 * k << " text z\n";  // power
  script << "14.5 text a\n16.0 close\n18.5 close\n";
  script.close();
  const ToolResult r = run_tool(
      VELMORA, std::string(DEMO_SHORT_DIR) + " --software --scale 1 --seed 7 --settings " +
                   (dir / "settings.ini").string() + " --record " + (dir / "drive.txt").string() +
                   " --automate " + (dir / "automate.txt").string() + " --screenshot-every 1 " +
                   shots.string() + " --quit-after 30");
  ASSERT_EQ(r.status, 0) << r.output;

  // The title window (its picture once the opening has been clicked away), the cab window,
  // the title window again.
  const Picture first = read_png(shots / "velmora-0002.png");
  ASSERT_NE(first, nullptr) << "no picture of the title window";
  EXPECT_EQ(first->w, 800);
  EXPECT_GT(lit(first, 0, 0, first->w, first->h), 100000);
  // Of the cab window's pictures, the one showing most of the film: on a loaded machine the
  // first may come before the film's first frame or during the fade-in.
  Picture cab;
  int best = -1;
  for (int k = 5; k < 17; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "velmora-%04d.png", k);
    Picture p = read_png(shots / name);
    if (!p || p->w != 1202) continue;
    const int film = lit(p, 0, 19, 256, 19 + 192);
    if (film > best) {
      best = film;
      cab = std::move(p);
    }
  }
  ASSERT_NE(cab, nullptr) << "no picture of the cab window";
  EXPECT_GT(best, 40000);  // the short demo's 256 x 192 film, below the menu bar
  EXPECT_GT(lit(cab, 820, 600, 1200, 790), 300);  // the labels
  char last_name[32];
  std::snprintf(last_name, sizeof last_name, "velmora-%04d.png", 18);
  const Picture again = read_png(shots / last_name);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->w, 800);

  // Quick clicks (press and release in one frame) reached the menu.
  const std::string recorded = read_file(dir / "drive.txt");
  std::size_t pauses = 0;
  for (std::size_t at = recorded.find(" menu start1"); at != std::string::npos;
       at = recorded.find(" menu start1", at + 1))
    ++pauses;
  EXPECT_EQ(pauses, 2u) << recorded;

  // The settings the drive wrote back.
  const std::string settings = read_file(dir / "settings.ini");
  for (const char* name : {"Kanko=0", "Information=0", "ATS=0", "Tunnel=0", "Moji=1"})
    EXPECT_NE(settings.find(name), std::string::npos) << name << " in\n" << settings;

  // The replay reaches the same state at the same frame.
  const auto ended = values_after(r.out, "velmora: drive ended");
  ASSERT_TRUE(ended.count("frames") && ended.count("speed") && ended.count("film_frame")) << r.out;
  ASSERT_GT(std::stod(ended.at("speed")), 0.0) << "the drive never moved";
  const ToolResult replay =
      run_tool(VELMORA_SIM, std::string("--data ") + DEMO_SHORT_DIR +
                                " --vehicle train_85.dat --route line_exp.dat --seed 7 --input " +
                                (dir / "drive.txt").string() + " --frames " + ended.at("frames") +
                                " --fields speed,film_frame");
  ASSERT_EQ(replay.status, 0) << replay.output;
  const auto replayed = values_after(replay.out, "final:");
  EXPECT_EQ(replayed.at("speed"), ended.at("speed"));
  EXPECT_EQ(replayed.at("film_frame"), ended.at("film_frame"));
}

}  // namespace

namespace {

TEST(DesktopSmoke, AChoiceThatFailsToLoadShowsWhyAndTheTitleComesBack) {
  const fs::path dir = scratch("failed_start");
  keep_drives_in(dir);
  const fs::path data = dir / "demo";
  fs::copy(DEMO_SHORT_DIR, data, fs::copy_options::recursive);
  std::ofstream(data / "train_85.dat", std::ios::trunc) << "[Handle]\r\nnot a number\r\n";
  fs::remove(data / "operation.dat");  // said once, however many drives start
  const fs::path shots = dir / "shots";
  fs::create_directories(shots);
  // The express (whose vehicle is broken) fails; the rapid route then drives.
  std::ofstream script(dir / "automate.txt");
  script << "0.8 click 100 100\n3.0 click 650 375\n5.0 click 650 435\n8.0 close\n9.5 close\n";
  script.close();
  const ToolResult r =
      run_tool(VELMORA, data.string() + " --software --scale 1 --settings " +
                            (dir / "settings.ini").string() + " --automate " +
                            (dir / "automate.txt").string() + " --screenshot-every 1 " +
                            shots.string() + " --quit-after 15");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.err.find("車両ファイル"), std::string::npos) << r.err;
  const std::size_t help_error = r.err.find("operation.dat");
  ASSERT_NE(help_error, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("operation.dat", help_error + 1), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("velmora: drive ended"), std::string::npos) << r.output;
  const Picture between = read_png(shots / "velmora-0004.png");
  ASSERT_NE(between, nullptr);
  EXPECT_EQ(between->w, 800);  // the title window, not the end of the program
}

TEST(DesktopSmoke, TheCommandLineSaysWhatIsWrong) {
  const ToolResult help = run_tool(VELMORA, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--record FILE"), std::string::npos);
  EXPECT_EQ(run_tool(VELMORA, "--route line_exp.dat").status, 2);  // no vehicle
  EXPECT_EQ(run_tool(VELMORA, "--scale -1").status, 2);
  const ToolResult no_data = run_tool(VELMORA, "/nonexistent/velmora --quit-after 1");
  EXPECT_EQ(no_data.status, 1);
  EXPECT_NE(no_data.err.find("実行ファイルが正しい場所に配置されていません"), std::string::npos)
      << no_data.err;
  EXPECT_NE(no_data.err.find("/nonexistent/velmora does not exist"), std::string::npos)
      << no_data.err;
}

}  // namespace

namespace {

// The text after `prefix` on the line that starts with it.
std::string after(const std::string& text, const std::string& prefix) {
  for (const std::string& line : split_lines(text))
    if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
  return {};
}

TEST(DesktopReport, ADriveToAStationIsKeptWithItsReportAndItsRecordingReplaysToTheSameReport) {
  const fs::path dir = scratch("kept_drive");
  keep_drives_in(dir);
  const fs::path shots = dir / "shots";
  fs::create_directories(shots);
  // The express from the command line: the brake off, full power; the protection brings the
  // train to a stand at the first stop. The cab window closed, the report window shows
  // until it is closed too.
  std::ofstream script(dir / "automate.txt");
  for (int k = 0; k < 10; ++k) script << 3 + 0.2 * k << " text ,\n";
  for (int k = 0; k < 5; ++k) script << 5.5 + 0.2 * k << " text z\n";
  script << "50 close\n56 close\n";
  script.close();
  const ToolResult r = run_tool(
      VELMORA, std::string(DEMO_SHORT_DIR) +
                   " --route line_exp.dat --vehicle train_85.dat --software --scale 1" +
                   " --seed 11 --settings " + (dir / "settings.ini").string() + " --record " +
                   (dir / "asked.txt").string() + " --automate " + (dir / "automate.txt").string() +
                   " --screenshot-every 1 " + shots.string() + " --quit-after 70");
  ASSERT_EQ(r.status, 0) << r.output;

  const fs::path drives = dir / "data" / "velmora" / "drives";
  const std::vector<std::string> index = read_lines(drives / "index.tsv");
  ASSERT_EQ(index.size(), 1u) << r.output;
  const fs::path kept = drives / index[0].substr(0, index[0].find('\t'));
  for (const char* file : {"drive.txt", "report.html", "report.json"})
    EXPECT_TRUE(fs::is_regular_file(kept / file)) << file;
  EXPECT_NE(index[0].find("\tline_exp.dat\ttrain_85.dat"), std::string::npos) << index[0];
  // The recording asked for on the command line is the same drive, line for line, but for
  // the replay command that names the file itself.
  std::vector<std::string> recorded = read_lines(kept / "drive.txt"),
                           asked = read_lines(dir / "asked.txt");
  ASSERT_GT(recorded.size(), 20u);
  ASSERT_EQ(recorded.size(), asked.size());
  recorded.erase(recorded.begin() + 1), asked.erase(asked.begin() + 1);
  EXPECT_EQ(recorded, asked);

  // The report window came after the cab window.
  Picture report;
  for (int k = 50; k < 57 && !report; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "velmora-%04d.png", k);
    Picture p = read_png(shots / name);
    if (p && p->w != 1202 && lit(p, 0, 0, p->w, p->h) > 10000) report = std::move(p);
  }
  EXPECT_NE(report, nullptr) << "no picture of the report window";

  // The kept recording replays headless to the same report, byte for byte.
  const std::string frames = after(read_file(kept / "drive.txt"), "# The drive ended after ");
  ASSERT_FALSE(frames.empty());
  const ToolResult replay =
      run_tool(VELMORA_SIM, std::string("--data ") + DEMO_SHORT_DIR +
                                " --vehicle train_85.dat --route line_exp.dat" +
                                " --seed 11 --input " + (kept / "drive.txt").string() +
                                " --frames " + frames.substr(0, frames.find(' ')) +
                                " --report-json " + (dir / "replayed.json").string());
  ASSERT_EQ(replay.status, 0) << replay.output;
  EXPECT_EQ(read_file(dir / "replayed.json"), read_file(kept / "report.json"));
}

}  // namespace
