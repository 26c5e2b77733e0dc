#include "frame_histogram.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace velmora::bench {
namespace {

TEST(FrameTimeFigures, CountsMissedFramesAndTheirLongestRun) {
  struct Case {
    std::vector<double> ms;
    std::size_t missed, longest;
  };
  const Case cases[] = {
      {{}, 0, 0},
      {{1, 2, 3}, 0, 0},
      {{16.66, 1000.0 / 60}, 0, 0},  // at the budget is not missed
      {{16.7, 1, 17, 25, 1, 30}, 4, 2},
      {{20, 20, 20, 1, 20}, 4, 3},
  };
  for (const Case& c : cases) {
    const FrameTimeFigures f = frame_time_figures(c.ms);
    EXPECT_EQ(f.frames, c.ms.size());
    EXPECT_EQ(f.missed, c.missed) << c.ms.size() << " passes";
    EXPECT_EQ(f.longest_missed, c.longest) << c.ms.size() << " passes";
  }
}

TEST(FrameTimeFigures, PercentilesByNearestRank) {
  std::vector<double> ms;
  for (int i = 1000; i >= 1; --i) ms.push_back(i);  // 1 .. 1000 ms, unsorted
  const FrameTimeFigures f = frame_time_figures(ms);
  EXPECT_EQ(f.median_ms, 501);  // rank 0.5 * 999 + 0.5 = 500
  EXPECT_EQ(f.p99_ms, 990);     // rank 989.51
  EXPECT_EQ(f.p999_ms, 999);    // rank 998.5
  EXPECT_EQ(f.worst_ms, 1000);
}

TEST(FrameTimeBins, QuarterMillisecondsUpTo20ThenOneAbove) {
  const std::vector<std::size_t> bins = frame_time_bins({0, 0.24, 0.25, 8.1, 19.99, 20, 250, -1});
  ASSERT_EQ(bins.size(), kBins + 1);
  EXPECT_EQ(bins[0], 3u);  // 0, 0.24 and a negative time
  EXPECT_EQ(bins[1], 1u);
  EXPECT_EQ(bins[32], 1u);     // 8.1 ms
  EXPECT_EQ(bins[79], 1u);     // 19.99 ms
  EXPECT_EQ(bins[kBins], 2u);  // 20 ms and above
}

TEST(HistogramPng, WritesAPngOrSaysWhyNot) {
  const std::filesystem::path png =
      std::filesystem::path(testing::TempDir()) / "velmora_frame_times.png";
  ASSERT_EQ(write_histogram_png(png.string(), {0.5, 0.7, 9, 30}, "title", "subtitle"), "");
  std::ifstream in(png, std::ios::binary);
  char signature[8] = {};
  in.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  std::filesystem::remove(png);
  EXPECT_NE(write_histogram_png(png.string(), {}, "title", "subtitle"), "");
  EXPECT_NE(write_histogram_png("/nonexistent/folder/x.png", {1}, "title", "subtitle"), "");
}

}  // namespace
}  // namespace velmora::bench
