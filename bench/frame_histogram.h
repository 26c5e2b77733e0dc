#pragma once
// The figures of a drive's frame times and their histogram drawn into a PNG, for the frame
// pipeline benchmark.

#include <cstddef>
#include <string>
#include <vector>

namespace velmora::bench {

inline constexpr double kBudgetMs = 1000.0 / 60;  // one frame at 60 Hz

struct FrameTimeFigures {
  std::size_t frames = 0;
  double median_ms = 0, p99_ms = 0, p999_ms = 0, worst_ms = 0;
  std::size_t missed = 0;          // passes costing more than kBudgetMs
  std::size_t longest_missed = 0;  // the longest run of consecutive missed passes
};

// Nearest rank of the sorted values; 0 for none.
double percentile(std::vector<double> ms, double p);
FrameTimeFigures frame_time_figures(const std::vector<double>& ms);

// Bins of 0.25 ms from 0 to 20 ms, then one for 20 ms and above.
inline constexpr double kBinMs = 0.25;
inline constexpr std::size_t kBins = 80;
std::vector<std::size_t> frame_time_bins(const std::vector<double>& ms);

// Draws the bins on a logarithmic count axis with the 8 ms and 16.667 ms marks and `title`
// above them. Returns an empty string or what went wrong.
std::string write_histogram_png(const std::string& path, const std::vector<double>& ms,
                                const std::string& title, const std::string& subtitle);

}  // namespace velmora::bench
