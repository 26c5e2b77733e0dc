#include "slow_passes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "machine_witness.h"

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

TEST(MachineWitness, APassIsStalledForTheTimeTheWitnessesLateWakesCoverOfIt) {
  using std::chrono::milliseconds;
  const std::chrono::steady_clock::time_point t0{};
  const auto at = [&](int ms) { return t0 + milliseconds(ms); };
  const std::vector<Stall> stalls = {{at(10), at(20)}, {at(30), at(35)}, {at(100), at(160)}};
  struct Case {
    int from, to;
    double stalled;
  };
  const Case cases[] = {
      {0, 10, 0},      // ends where a stall starts
      {0, 100, 15},    // covers two whole
      {15, 32, 7},     // the end of one and the start of the next
      {120, 137, 17},  // inside one
      {20, 30, 0},     // between two
      {150, 200, 10},  // the last one's end
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(stalled_ms(stalls, at(c.from), at(c.to)), c.stalled) << c.from << ".." << c.to;
  EXPECT_DOUBLE_EQ(stalled_ms({}, at(0), at(50)), 0);

  PassRecord p;
  p.total_ms = 20;
  for (const auto& [stalled, whole] : {std::pair{-1.0, false}, {9.9, false}, {10.0, true}}) {
    p.stalled_ms = stalled;
    EXPECT_EQ(machine_stalled(p), whole) << stalled;
  }
}

}  // namespace
}  // namespace velmora::bench
