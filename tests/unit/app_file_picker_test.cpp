// The vehicle picker's folder view.

#include <gtest/gtest.h>

#include <fstream>

#include "app/file_picker.h"
#include "test_rig.h"

namespace velmora {
namespace {

TEST(FilePicker, FoldersFirstThenVehicleFilesOfAnyCaseAndAWayUp) {
  const auto dir = scratch_dir("picker");
  std::filesystem::create_directories(dir / "trains" / "old");
  for (const char* name : {"b.dat", "A.DAT", "readme.txt", "c.dat.bak"}) std::ofstream(dir / name) << "x";
  std::ofstream(dir / "trains" / "t.dat") << "x";

  FilePicker p = open_picker(dir);
  EXPECT_TRUE(p.error.empty()) << p.error;
  std::vector<std::string> names;
  for (const PickerEntry& e : p.entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"..", "trains", "A.DAT", "b.dat"}));

  // Into a folder and back up; a file is the choice.
  EXPECT_FALSE(choose(p, p.entries[1]));
  EXPECT_EQ(p.folder, std::filesystem::absolute(dir / "trains").lexically_normal());
  ASSERT_EQ(p.entries.size(), 3u);  // "..", "old", "t.dat"
  const auto picked = choose(p, p.entries[2]);
  ASSERT_TRUE(picked);
  EXPECT_EQ(*picked, p.folder / "t.dat");
  EXPECT_FALSE(choose(p, p.entries[0]));
  EXPECT_EQ(p.folder, std::filesystem::absolute(dir).lexically_normal());

  // Vehicle files are told from the other ".dat" files by their first section.
  std::ofstream(dir / "train.dat") << "# a car\r\n[Handle]\r\n1\r\n";
  std::ofstream(dir / "line.dat") << "[LineName]\r\nA\r\n";
  std::ofstream(dir / "velmora.dat") << "[Disp]\r\n30,1\r\n";
  p = open_picker(dir);
  std::vector<std::string> offered, all;
  for (const PickerEntry& e : p.entries) {
    if (e.folder) continue;
    all.push_back(e.name);
    if (p.shown(e)) offered.push_back(e.name);
  }
  EXPECT_EQ(offered, (std::vector<std::string>{"train.dat"}));
  EXPECT_EQ(all.size(), 5u);  // A.DAT, b.dat, line.dat, train.dat, velmora.dat
  p.all_files = true;
  EXPECT_TRUE(p.shown(p.entries.back()));
  EXPECT_TRUE(open_picker(dir / "trains", true).all_files);  // kept when the folder changes

  // A folder that cannot be listed says why and offers nothing.
  const FilePicker missing = open_picker(dir / "none");
  EXPECT_TRUE(missing.entries.empty());
  EXPECT_NE(missing.error.find("none"), std::string::npos);
}

}  // namespace
}  // namespace velmora
