#include "slow_passes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace velmora::bench {
namespace {

TEST(MachineSteal, IsTheEighthNumberOfTheCpuLine) {
  struct Case {
    std::string text;
    long steal;
  };
  const Case cases[] = {
      {"cpu  2244 529 2093 10016 240 0 36 8 0 0\ncpu0 842 158 896 5665 16 0 5 3 0 0\n", 8},
      {"cpu  1 2 3 4 5 6 7 123456789 9 10\n", 123456789},
      {"cpu  1 2 3 4 5 6 7\n", -1},  // a kernel too old to count it
      {"", -1},
  };
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("velmora_stat_" + std::to_string(getpid()));
  for (const Case& c : cases) {
    std::ofstream(file, std::ios::binary) << c.text;
    const int fd = open(file.c_str(), O_RDONLY);
    EXPECT_EQ(machine_steal_ticks(fd), c.steal) << c.text;
    close(fd);
  }
  std::filesystem::remove(file);
  EXPECT_EQ(machine_steal_ticks(-1), -1);
}

}  // namespace
}  // namespace velmora::bench
