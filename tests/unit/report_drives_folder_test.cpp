#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "report/drives_folder.h"
#include "test_rig.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t kNoon = 1700000000;

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> index_folders(const fs::path& drives) {
  std::vector<std::string> folders;
  std::ifstream in(drives / kDrivesIndex);
  for (std::string line; std::getline(in, line);)
    folders.push_back(line.substr(0, line.find('\t')));
  return folders;
}

RunReport report_named(const std::string& line, long double score) {
  RunReport r;
  r.line_name = line;
  r.route_file = "line_exp.dat";
  r.vehicle_file = "train_85.dat";
  r.score.total = score;
  return r;
}

// A drive as the desktop keeps one: its folder, its recording, then its report.
DriveFolder drive(const fs::path& drives, std::time_t start, bool with_report = true,
                  int keep = 100) {
  std::string error;
  DriveFolder d = make_drive_folder(drives, start, error);
  EXPECT_FALSE(d.path.empty()) << error;
  std::ofstream(d.path / kDriveRecording) << "# A drive recorded in velmora\n";
  if (with_report) {
    const KeptReport kept =
        keep_drive_report(drives, d, report_named("本線", 87.25), "<html>", "{}", keep);
    EXPECT_TRUE(kept.kept) << kept.error;
  }
  return d;
}

TEST(DrivesFolder, LiesUnderXdgDataHomeOnlyWhenItIsAnAbsolutePath) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* expected;
  };
  for (const Case& c : {Case{"/data/me", "/home/me", "/data/me/velmora/drives"},
                        Case{nullptr, "/home/me", "/home/me/.local/share/velmora/drives"},
                        Case{"", "/home/me", "/home/me/.local/share/velmora/drives"},
                        Case{"relative/data", "/home/me", "/home/me/.local/share/velmora/drives"}})
    EXPECT_EQ(drives_folder(c.xdg, c.home), fs::path(c.expected)) << (c.xdg ? c.xdg : "(unset)");
}

TEST(DrivesFolder, KeepsTheNewestDrivesUpToTheLimitAndRemovesTheOldestFolderAndLine) {
  struct Case {
    int keep;
    int drives;
    std::size_t left;
  };
  for (const Case& c :
       {Case{3, 3, 3}, Case{3, 4, 3}, Case{3, 6, 3}, Case{1, 2, 1}, Case{0, 2, 1}}) {
    SCOPED_TRACE("keep " + std::to_string(c.keep) + ", drives " + std::to_string(c.drives));
    const fs::path drives = scratch_dir("limit") / "drives";
    std::vector<DriveFolder> made;
    for (int k = 0; k < c.drives; ++k) made.push_back(drive(drives, kNoon + 60 * k, true, c.keep));
    // A drive that got no report is no kept drive: neither counted nor removed.
    const DriveFolder unreported = drive(drives, kNoon - 3600, false);

    const std::vector<PastDrive> past = past_drives(drives);
    ASSERT_EQ(past.size(), c.left);
    std::vector<std::string> expected;
    for (std::size_t k = made.size() - c.left; k < made.size(); ++k)
      expected.push_back(made[k].path.filename().string());
    EXPECT_EQ(index_folders(drives), expected);
    EXPECT_EQ(past.front().folder, expected.back());  // newest first
    for (std::size_t k = 0; k < made.size(); ++k)
      EXPECT_EQ(fs::exists(made[k].path), k >= made.size() - c.left) << made[k].path;
    EXPECT_TRUE(fs::exists(unreported.path / kDriveRecording));
    EXPECT_FALSE(fs::exists(drives / (std::string(kDrivesIndex) + ".tmp")));
  }
}

TEST(DrivesFolder, AnIndexLineHoldsTheDriveAndTwoDrivesOfOneSecondSortInOrder) {
  const fs::path drives = scratch_dir("line") / "drives";
  const DriveFolder first = drive(drives, kNoon);
  const DriveFolder second = drive(drives, kNoon);
  EXPECT_NE(first.path, second.path);
  EXPECT_LT(first.path.filename().string(), second.path.filename().string());
  const std::vector<PastDrive> past = past_drives(drives);
  ASSERT_EQ(past.size(), 2u);
  const PastDrive& p = past.back();
  EXPECT_EQ(p.folder, first.path.filename().string());
  EXPECT_EQ(p.started, first.started);
  EXPECT_EQ(p.score, "87.2");  // 87.25 to one decimal, half to even as printf rounds
  EXPECT_EQ(p.line_name, "本線");
  EXPECT_EQ(p.route_file, "line_exp.dat");
  EXPECT_EQ(p.vehicle_file, "train_85.dat");
  EXPECT_EQ(read_text(first.path / kDriveReportHtml), "<html>");
  EXPECT_EQ(read_text(first.path / kDriveReportJson), "{}");

  // A tab or a line end in a name cannot split the line.
  std::string error;
  const DriveFolder third = make_drive_folder(drives, kNoon + 5, error);
  ASSERT_TRUE(keep_drive_report(drives, third, report_named("A\tB\nC", 50), "", "", 100).kept);
  EXPECT_EQ(past_drives(drives).front().line_name, "A B C");
}

TEST(DrivesFolder, BrokenIndexLinesAreSkippedAndTheGoodOnesListed) {
  const fs::path drives = scratch_dir("broken") / "drives";
  const DriveFolder good = drive(drives, kNoon);
  const std::string g = good.path.filename().string();
  fs::create_directories(drives / "elsewhere");
  const std::string good_line = read_text(drives / kDrivesIndex);
  for (const std::string& broken : std::vector<std::string>{
           "no tabs at all",
           g + "\t2023-11-14 22:13:20\t87.2\t本線\tline_exp.dat",               // a field short
           g + "\t2023-11-14 22:13:20\tabc\t本線\tline_exp.dat\ttrain_85.dat",  // no score
           "../elsewhere\t2023-11-14 22:13:20\t87.2\t本線\tline_exp.dat\ttrain_85.dat",
           "..\t2023-11-14 22:13:20\t87.2\t本線\tline_exp.dat\ttrain_85.dat",
           "\t2023-11-14 22:13:20\t87.2\t本線\tline_exp.dat\ttrain_85.dat",
           "gone\t2023-11-14 22:13:20\t87.2\t本線\tline_exp.dat\ttrain_85.dat",  // no folder
       }) {
    SCOPED_TRACE(broken);
    std::ofstream(drives / kDrivesIndex) << broken << "\n" << good_line << "\n";
    const std::vector<PastDrive> past = past_drives(drives);
    ASSERT_EQ(past.size(), 1u);
    EXPECT_EQ(past[0].folder, g);
  }
  // The next drive kept with a limit of one removes the good drive, never what a broken
  // line names.
  drive(drives, kNoon + 60, true, 1);
  EXPECT_TRUE(fs::exists(drives / "elsewhere"));
  EXPECT_FALSE(fs::exists(good.path));
  EXPECT_EQ(past_drives(drives).size(), 1u);
}

// A full disk, as the file-size limit makes one even for root: a write fails part-way.
struct FullDisk {
  FullDisk() {
    getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &tiny);
  }
  ~FullDisk() { setrlimit(RLIMIT_FSIZE, &saved); }
  rlimit saved{};
};

TEST(DrivesFolder, AFailingWriteIsToldWithWhereTheRecordingStays) {
  // A file where the drives folder should be: nothing can be made in it, even by root.
  const fs::path dir = scratch_dir("blocked");
  std::ofstream(dir / "drives") << "not a folder";
  std::string error;
  EXPECT_TRUE(make_drive_folder(dir / "drives", kNoon, error).path.empty());
  EXPECT_NE(error.find((dir / "drives").string()), std::string::npos) << error;

  // The disk full as the report is written: no report, no index line, the recording kept.
  const fs::path drives = scratch_dir("full") / "drives";
  const DriveFolder before = drive(drives, kNoon);
  const std::string index = read_text(drives / kDrivesIndex);
  const DriveFolder d = drive(drives, kNoon + 60, false);
  KeptReport kept;
  {
    FullDisk full;
    kept = keep_drive_report(drives, d, report_named("本線", 90), std::string(4096, 'x'), "{}", 1);
  }
  EXPECT_FALSE(kept.kept);
  EXPECT_NE(kept.error.find((d.path / kDriveRecording).string()), std::string::npos) << kept.error;
  EXPECT_EQ(read_text(d.path / kDriveRecording), "# A drive recorded in velmora\n");
  EXPECT_FALSE(fs::exists(d.path / kDriveReportHtml));
  EXPECT_FALSE(fs::exists(d.path / (std::string(kDriveReportHtml) + ".tmp")));
  EXPECT_EQ(read_text(drives / kDrivesIndex), index);
  EXPECT_TRUE(fs::exists(before.path));  // the limit is not applied to a drive not kept

  // The index itself cannot be replaced: the report is written, the drive is not listed.
  const DriveFolder e = drive(drives, kNoon + 120, false);
  fs::create_directories(drives / (std::string(kDrivesIndex) + ".tmp") / "x");
  kept = keep_drive_report(drives, e, report_named("本線", 90), "<html>", "{}", 100);
  EXPECT_FALSE(kept.kept);
  EXPECT_NE(kept.error.find(kDrivesIndex), std::string::npos) << kept.error;
  EXPECT_EQ(read_text(drives / kDrivesIndex), index);
}

}  // namespace
}  // namespace velmora
