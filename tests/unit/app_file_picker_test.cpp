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

  // A folder that cannot be listed says why and offers nothing.
  const FilePicker missing = open_picker(dir / "none");
  EXPECT_TRUE(missing.entries.empty());
  EXPECT_NE(missing.error.find("none"), std::string::npos);
}

}  // namespace
}  // namespace velmora
