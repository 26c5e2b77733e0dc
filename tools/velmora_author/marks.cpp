#include "marks.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace velmora::author {

std::vector<Mark> read_marks(std::string_view text) {
  std::vector<Mark> marks;
  int line = 0;
  bool first = true;
  for (const TextLine& text_line : text_lines(text)) {
    line = text_line.number;
    std::string_view l = text_line.text;
    if (l.empty() || l[0] == '#') continue;
    const std::size_t comma = l.find_first_of(",;\t");
    const std::optional<double> frame = parse_number(l.substr(0, comma));
    if (first && !frame) {
      first = false;
      continue;  // column names
    }
    first = false;
    if (comma == std::string_view::npos) throw TrackError(line, "a mark is \"frame,distance_m\"; this line has one field");
    const std::string_view rest = l.substr(comma + 1);
    const std::optional<double> distance = parse_number(rest.substr(0, rest.find_first_of(",;\t")));
    // A billion frames is over a year of film; 10,000 km longer than any line.
    if (!frame || *frame < 0 || *frame > 1e9)
      throw TrackError(line, "the frame \"" + std::string(l.substr(0, comma)) + "\" is not a frame number");
    if (!distance || std::fabs(*distance) > 1e7)
      throw TrackError(line, "the distance \"" + std::string(rest) + "\" is not a number of metres along a line");
    if (!marks.empty()) {
      const Mark& before = marks.back();
      if (*frame <= before.frame)
        throw TrackError(line, "the frame " + std::string(l.substr(0, comma)) + " does not come after frame " +
                                   std::to_string(static_cast<long long>(before.frame)) + " of line " +
                                   std::to_string(before.line) + "; marks go in film order");
      if (*distance < before.distance_m)
        throw TrackError(line, "the distance falls from " + std::to_string(before.distance_m) + " m (line " +
                                   std::to_string(before.line) + "); the film runs forward");
    }
    marks.push_back({*frame, *distance, line});
  }
  if (marks.size() < 2) throw TrackError(0, "at least two marks are needed, each \"frame,distance_m\"");
  return marks;
}

MarkedMotion motion_from_marks(const std::vector<Mark>& marks, double marks_fps, int frames, int fps) {
  const std::size_t n = marks.size();
  std::vector<double> x(n), y(n);  // film frame, m
  for (std::size_t i = 0; i < n; ++i) {
    x[i] = marks[i].frame * fps / marks_fps;
    y[i] = marks[i].distance_m;
  }
  // Fritsch-Carlson slopes: a curve through the marks that never overshoots, so it never
  // goes back and stays flat where two marks share a distance.
  std::vector<double> secant(n - 1), slope(n);
  for (std::size_t i = 0; i + 1 < n; ++i) secant[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
  slope[0] = secant[0];
  slope[n - 1] = secant[n - 2];
  for (std::size_t i = 1; i + 1 < n; ++i)
    slope[i] = secant[i - 1] * secant[i] <= 0 ? 0 : (secant[i - 1] + secant[i]) / 2;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (secant[i] == 0) {
      slope[i] = slope[i + 1] = 0;
      continue;
    }
    const double a = slope[i] / secant[i], b = slope[i + 1] / secant[i];
    const double h = a * a + b * b;
    if (h > 9) {
      slope[i] = 3 / std::sqrt(h) * a * secant[i];
      slope[i + 1] = 3 / std::sqrt(h) * b * secant[i];
    }
  }
  // Ends that stand still stay still.
  if (secant.front() == 0) slope.front() = 0;
  if (secant.back() == 0) slope.back() = 0;

  MarkedMotion out;
  out.motion.fps = fps;
  out.motion.distance_m.resize(static_cast<std::size_t>(frames));
  out.motion.speed_kmh.resize(static_cast<std::size_t>(frames));
  for (int f = 0; f < frames; ++f) {
    double d, rate;  // m, m per frame
    if (f <= x.front()) {
      rate = secant.front();
      d = y.front() + rate * (f - x.front());
    } else if (f >= x.back()) {
      rate = secant.back();
      d = y.back() + rate * (f - x.back());
    } else {
      const std::size_t i = static_cast<std::size_t>(std::upper_bound(x.begin(), x.end(), static_cast<double>(f)) - x.begin()) - 1;
      if (y[i + 1] == y[i]) {
        // A stop: exactly the marks' distance, which the sums below only come close to.
        out.motion.distance_m[static_cast<std::size_t>(f)] = y[i];
        out.motion.speed_kmh[static_cast<std::size_t>(f)] = 0;
        continue;
      }
      const double h = x[i + 1] - x[i], t = (f - x[i]) / h;
      const double h00 = 2 * t * t * t - 3 * t * t + 1, h10 = t * t * t - 2 * t * t + t;
      const double h01 = -2 * t * t * t + 3 * t * t, h11 = t * t * t - t * t;
      d = h00 * y[i] + h10 * h * slope[i] + h01 * y[i + 1] + h11 * h * slope[i + 1];
      const double g00 = 6 * t * t - 6 * t, g10 = 3 * t * t - 4 * t + 1, g01 = -6 * t * t + 6 * t, g11 = 3 * t * t - 2 * t;
      rate = (g00 * y[i] + g01 * y[i + 1]) / h + g10 * slope[i] + g11 * slope[i + 1];
    }
    // Rounding must not take the curve back by a hair either.
    if (f > 0) d = std::max(d, out.motion.distance_m[static_cast<std::size_t>(f) - 1]);
    out.motion.distance_m[static_cast<std::size_t>(f)] = d;
    out.motion.speed_kmh[static_cast<std::size_t>(f)] = std::max(0.0, rate * fps * 3.6);
  }
  const double origin = out.motion.distance_m.empty() ? 0 : out.motion.distance_m.front();
  for (double& d : out.motion.distance_m) d -= origin;

  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (y[i + 1] != y[i]) continue;
    // Marks may lie far beyond the film: clamped before they become frame numbers.
    const int first = static_cast<int>(std::clamp(std::ceil(x[i]), 0.0, static_cast<double>(frames)));
    const int last = static_cast<int>(std::clamp(std::floor(x[i + 1]), -1.0, frames - 1.0));
    if (last <= first) continue;
    // Three marks of one distance are one stop.
    if (!out.stops.empty() && first <= out.stops.back().last + 1) out.stops.back().last = last;
    else out.stops.push_back({first, last});
  }
  return out;
}

}  // namespace velmora::author
