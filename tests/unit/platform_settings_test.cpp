#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "platform/settings/ini_settings.h"
#include "test_rig.h"

namespace velmora {
namespace {

TEST(IniSettings, ValuesSurviveARunAndTheFileIsReplacedWhole) {
  const auto dir = scratch_dir("ini");
  const auto path = dir / "velmora" / "settings.ini";
  {
    IniSettings settings(path);
    EXPECT_EQ(settings.read_int("Software\\Velmora\\sorano", "Moji"), std::nullopt);
    settings.write_int("Software\\Velmora\\sorano", "Moji", 1);
    settings.write_int("Software\\Velmora\\sorano", "Kanko", 2);
    settings.write_int("Software\\Velmora\\dgcontroller", "EB", -1);
    EXPECT_EQ(settings.last_error(), "");
  }
  EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));
  IniSettings again(path);
  EXPECT_EQ(again.read_int("Software\\Velmora\\sorano", "Kanko"), 2);
  EXPECT_EQ(again.read_int("Software\\Velmora\\sorano", "Moji"), 1);
  EXPECT_EQ(again.read_int("Software\\Velmora\\dgcontroller", "EB"), -1);
}

TEST(IniSettings, ValuesThatAreNotIntegersAreLeftOutWithAWarning) {
  const auto path = scratch_dir("ini_bad") / "settings.ini";
  std::ofstream(path) << "[Software\\Velmora\\sorano]\nMoji=yes\nATS=1\n";
  SettingsValues values;
  std::string warnings;
  EXPECT_TRUE(read_ini_settings(path, values, warnings));
  EXPECT_EQ(values.size(), 1u);
  EXPECT_NE(warnings.find("Moji"), std::string::npos);

  std::ofstream(path) << "this is not ini\n";
  warnings.clear();
  EXPECT_FALSE(read_ini_settings(path, values, warnings));
  EXPECT_NE(warnings.find(":1:"), std::string::npos);
}

TEST(IniSettings, AFailedSaveIsReportedNotHidden) {
  const auto dir = scratch_dir("ini_blocked");
  // A folder where the file should be: the rename cannot replace it.
  std::filesystem::create_directories(dir / "settings.ini" / "x");
  IniSettings settings(dir / "settings.ini");
  settings.write_int("k", "n", 1);
  EXPECT_NE(settings.last_error(), "");
  EXPECT_EQ(settings.read_int("k", "n"), 1);  // kept for the rest of the run
}

// A full disk, as the file-size limit makes one even for root: the write fails part-way.
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

TEST(IniSettings, AFailingDiskLeavesTheOldFileWholeAndIsToldOnceUntilASaveWorks) {
  const auto path = scratch_dir("ini_full") / "settings.ini";
  IniSettings settings(path);
  std::vector<std::string> told;
  settings.set_save_sink([&](const std::string& e) { told.push_back(e); });
  settings.write_int("Software\\Velmora\\sorano", "Moji", 1);
  const auto file = [&] {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string before = file();
  ASSERT_GT(before.size(), 8u);
  {
    FullDisk full;
    settings.write_int("Software\\Velmora\\sorano", "Kanko", 1);
    settings.write_int("Software\\Velmora\\sorano", "ATS", 1);
  }
  EXPECT_EQ(file(), before);
  EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("settings.ini.tmp"), std::string::npos) << told[0];
  settings.write_int("Software\\Velmora\\sorano", "Tunnel", 0);
  EXPECT_EQ(told, (std::vector<std::string>{told[0], ""}));
  IniSettings again(path);  // what could not be saved meanwhile is in the next save
  EXPECT_EQ(again.read_int("Software\\Velmora\\sorano", "Kanko"), 1);
  EXPECT_EQ(again.read_int("Software\\Velmora\\sorano", "ATS"), 1);
}

}  // namespace
}  // namespace velmora
