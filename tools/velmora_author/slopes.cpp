#include "slopes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora::author {
namespace {

constexpr double kMinStretch = 50;  // m: a shorter stretch cannot be told from the noise
constexpr double kMinLine = 100;     // m of line below which no gradient is worth finding

struct Sample {
  double d, e;  // m along the line, m above sea level
};

// Sums for least-squares lines over runs of samples, each in O(1).
class Sums {
 public:
  explicit Sums(const std::vector<Sample>& s) {
    const std::size_t n = s.size();
    for (auto* v : {&d_, &e_, &dd_, &de_, &ee_}) v->assign(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
      // Distances relative to the first sample keep the sums well conditioned.
      const double d = s[i].d - s.front().d, e = s[i].e - s.front().e;
      d_[i + 1] = d_[i] + d;
      e_[i + 1] = e_[i] + e;
      dd_[i + 1] = dd_[i] + d * d;
      de_[i + 1] = de_[i] + d * e;
      ee_[i + 1] = ee_[i] + e * e;
    }
  }
  // Samples [a, b): the gradient (rise per metre) and the squared residuals of their line.
  void line(std::size_t a, std::size_t b, double& slope, double& residual) const {
    const double n = static_cast<double>(b - a);
    const double sd = d_[b] - d_[a], se = e_[b] - e_[a];
    const double sdd = dd_[b] - dd_[a] - sd * sd / n, sde = de_[b] - de_[a] - sd * se / n;
    const double see = ee_[b] - ee_[a] - se * se / n;
    slope = sdd > 1e-9 ? sde / sdd : 0;
    residual = std::max(0.0, see - slope * sde);
  }

 private:
  std::vector<double> d_, e_, dd_, de_, ee_;
};

// The noise of the elevations: how far each sample lies from the line through its two
// neighbours, robustly (a median), scaled to one sample's deviation.
double noise_of(const std::vector<Sample>& s) {
  std::vector<double> r;
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    const double w = (s[i].d - s[i - 1].d) / (s[i + 1].d - s[i - 1].d);
    const double predicted = s[i - 1].e + (s[i + 1].e - s[i - 1].e) * w;
    r.push_back(std::fabs(s[i].e - predicted) / std::sqrt(1 + w * w + (1 - w) * (1 - w)));
  }
  if (r.empty()) return 0.1;
  std::nth_element(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(r.size() / 2), r.end());
  return std::max(0.01, 1.4826 * r[r.size() / 2]);
}

struct Stretch {
  std::size_t a, b;  // samples [a, b)
  double g;          // ‰
};

// The elevation profile as straight stretches: the cut that best balances the stretches'
// squared residuals against a penalty per stretch (segmented least squares), each stretch
// at least kMinStretch long.
std::vector<Stretch> segment(const std::vector<Sample>& s, const Sums& sums, double penalty) {
  const std::size_t n = s.size();
  std::vector<double> best(n + 1, std::numeric_limits<double>::infinity());
  std::vector<std::size_t> from(n + 1, 0);
  best[0] = 0;
  for (std::size_t b = 1; b <= n; ++b)
    for (std::size_t a = 0; a < b; ++a) {
      if (!std::isfinite(best[a])) continue;
      // The last stretch may be short only when the whole line is.
      const bool long_enough = s[b - 1].d - s[a].d >= kMinStretch || (a == 0 && b == n);
      if (!long_enough || b - a < 3) continue;
      double slope, residual;
      sums.line(a, b, slope, residual);
      const double cost = best[a] + residual + penalty;
      if (cost < best[b]) {
        best[b] = cost;
        from[b] = a;
      }
    }
  std::vector<Stretch> out;
  if (!std::isfinite(best[n])) {
    double slope, residual;
    sums.line(0, n, slope, residual);
    return {{0, n, slope * 1000}};
  }
  for (std::size_t b = n; b > 0; b = from[b]) {
    double slope, residual;
    sums.line(from[b], b, slope, residual);
    out.push_back({from[b], b, slope * 1000});
  }
  std::reverse(out.begin(), out.end());
  return out;
}

// Neighbours within kSlopeMergePermille of each other become one stretch, the closest pair
// first, its gradient fitted anew over both.
void merge_close(std::vector<Stretch>& st, const Sums& sums) {
  for (;;) {
    std::size_t pick = st.size();
    double closest = kSlopeMergePermille;
    for (std::size_t i = 0; i + 1 < st.size(); ++i)
      if (std::fabs(st[i].g - st[i + 1].g) <= closest) {
        closest = std::fabs(st[i].g - st[i + 1].g);
        pick = i;
      }
    if (pick == st.size()) return;
    double slope, residual;
    sums.line(st[pick].a, st[pick + 1].b, slope, residual);
    st[pick] = {st[pick].a, st[pick + 1].b, slope * 1000};
    st.erase(st.begin() + static_cast<std::ptrdiff_t>(pick) + 1);
  }
}

}  // namespace

std::vector<SlopeStretch> find_slopes(const TrackProfile& profile, std::vector<std::string>& notes) {
  std::vector<Sample> samples;
  std::size_t with = 0;
  for (std::size_t i = 0; i < profile.time.size(); ++i) {
    if (std::isnan(profile.ele[i])) continue;
    ++with;
    // Fixes at one place (a standing train) count as one sample, their mean.
    if (!samples.empty() && profile.distance[i] - samples.back().d < 0.5) continue;
    double sum = 0;
    int count = 0;
    for (std::size_t j = i; j < profile.time.size() && profile.distance[j] - profile.distance[i] < 0.5; ++j)
      if (!std::isnan(profile.ele[j])) {
        sum += profile.ele[j];
        ++count;
      }
    samples.push_back({profile.distance[i], sum / count});
  }
  const double length = profile.distance.empty() ? 0 : profile.distance.back();
  if (with * 5 < profile.time.size() * 4 || samples.size() < 4) {
    notes.push_back("the track gives too few elevations for gradients: no [Slope] entries");
    return {};
  }
  if (length < kMinLine) {
    notes.push_back("the line is too short for gradients: no [Slope] entries");
    return {};
  }
  const Sums sums(samples);
  const double sigma = noise_of(samples);
  // A stretch must explain more than the noise of a handful of samples to stand apart.
  std::vector<Stretch> st = segment(samples, sums, 6 * sigma * sigma * std::log(static_cast<double>(samples.size())));
  merge_close(st, sums);

  std::vector<SlopeStretch> out;
  for (std::size_t k = 0; k < st.size(); ++k) {
    // A boundary lies half way between the last sample of one stretch and the first of the next.
    const double from = k == 0 ? 0 : (samples[st[k].a - 1].d + samples[st[k].a].d) / 2;
    const double to = k + 1 == st.size() ? length : (samples[st[k].b - 1].d + samples[st[k].b].d) / 2;
    const double g = std::round(st[k].g * 10) / 10;
    if (std::fabs(g) >= kLevelPermille) out.push_back({from, to, g});
  }
  return out;
}

}  // namespace velmora::author
