#include "stops.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace velmora::author {

void hold_stops(FilmMotion& motion, const std::vector<Stop>& stops) {
  std::vector<double>& d = motion.distance_m;
  const int n = static_cast<int>(d.size());
  for (const Stop& s : stops) {
    if (s.first < 0 || s.last >= n || s.first > s.last) continue;
    const double held = d[static_cast<std::size_t>(s.first)];
    const double gained = d[static_cast<std::size_t>(s.last)] - held;
    for (int f = s.first; f <= s.last; ++f) {
      d[static_cast<std::size_t>(f)] = held;
      motion.speed_kmh[static_cast<std::size_t>(f)] = 0;
    }
    for (int f = s.last + 1; f < n; ++f) d[static_cast<std::size_t>(f)] -= gained;
  }
}

}  // namespace velmora::author

namespace velmora::author {
namespace {

constexpr double kFitNear = 1.0;  // m: nearer fixes are lost in the receiver's noise
constexpr double kFitFar = 25;    // m: farther, the brake need not be steady any more
constexpr double kFitReach = 15;  // s before or after the stand searched for fixes

// The moment the square roots of the distances reach zero, by a least-squares line
// through (time, sqrt(distance)); empty without three fixes or with a line of the wrong
// slope (the train not nearing the place when arriving, not leaving it when starting).
std::optional<double> curve_end(const std::vector<std::pair<double, double>>& fixes, bool arriving, double& slope) {
  if (fixes.size() < 3) return std::nullopt;
  // Times from the first fix: track times since 1970 would swamp the sums' precision.
  const double origin = fixes.front().first;
  double n = 0, st = 0, sy = 0, stt = 0, sty = 0;
  for (const auto& [time, rho] : fixes) {
    const double t = time - origin;
    const double y = std::sqrt(rho);
    n += 1;
    st += t;
    sy += y;
    stt += t * t;
    sty += t * y;
  }
  const double var = stt - st * st / n;
  if (var <= 1e-9) return std::nullopt;
  slope = (sty - st * sy / n) / var;
  if (arriving ? slope >= 0 : slope <= 0) return std::nullopt;
  const double intercept = (sy - slope * st) / n;
  return origin - intercept / slope;
}

}  // namespace

void time_stands(const Track& track, const std::vector<bool>& standing, TrackProfile& profile) {
  const std::vector<TrackPoint>& p = track.points;
  const std::size_t n = p.size();
  std::vector<double>& d = profile.distance;
  struct Corner {
    double time, distance;
  };
  std::vector<Corner> corners;
  for (std::size_t i0 = 0; i0 < n; ++i0) {
    if (!standing[i0]) continue;
    std::size_t i1 = i0;
    while (i1 + 1 < n && standing[i1 + 1]) ++i1;
    // The standing place: the mean of the run's fixes, its ends left out when it is long.
    const std::size_t a = i1 - i0 >= 2 ? i0 + 1 : i0, b = i1 - i0 >= 2 ? i1 - 1 : i1;
    double lat = 0, lon = 0;
    for (std::size_t k = a; k <= b; ++k) {
      lat += p[k].lat / static_cast<double>(b - a + 1);
      lon += p[k].lon / static_cast<double>(b - a + 1);
    }
    const auto rho = [&](std::size_t k) { return metres_between(p[k].lat, p[k].lon, lat, lon); };

    // One side of the stand: the fixes on its curve (nearest first), the moment the curve
    // meets the stand and its slope; empty when the curve cannot be fitted.
    struct Side {
      std::vector<std::size_t> fixes;
      std::optional<double> moment;
      double slope = 0;
      double on_curve(double time) const { return slope * slope * (time - *moment) * (time - *moment); }
    };
    const auto side = [&](bool arriving) {
      Side s;
      const std::size_t edge = arriving ? i0 : i1;
      if ((arriving && edge == 0) || (!arriving && edge + 1 == n)) return s;
      std::vector<std::pair<double, double>> points;
      for (std::size_t step = 0; step <= kFitReach + 2; ++step) {
        if (arriving ? step > edge : edge + step >= n) break;
        const std::size_t k = arriving ? edge - step : edge + step;
        if (std::fabs(p[k].time - p[edge].time) > kFitReach) break;
        const double r = rho(k);
        if (r > kFitFar) break;
        if (r >= kFitNear) {
          points.emplace_back(p[k].time, r);
          s.fixes.push_back(k);
        }
      }
      const std::optional<double> t = curve_end(points, arriving, s.slope);
      if (!t) return s;
      // The moment lies between the fixes on the curve and the first (last) standing one,
      // which the flags may mark a little late (early).
      const double lo = arriving ? points.back().first : p[edge].time - 1;
      const double hi = arriving ? p[edge].time + 1 : points.back().first;
      s.moment = std::clamp(*t, lo, hi);
      return s;
    };
    // A fix on a side's curve: its smoothed distance drawn onto the curve near the stand.
    const auto draw = [&](const Side& s, double held, bool arriving) {
      for (std::size_t k : s.fixes) {
        const double gap = arriving ? *s.moment - p[k].time : p[k].time - *s.moment;
        if (gap <= 0) continue;
        const double w = std::clamp(s.on_curve(p[k].time) / kFitFar, 0.0, 1.0);
        d[k] = w * d[k] + (1 - w) * (arriving ? held - s.on_curve(p[k].time) : held + s.on_curve(p[k].time));
      }
    };

    // The curves time the stand; its distance is the track's own where it begins. What the
    // smoothed places gain while the train stands is the receiver's noise: taken off every
    // later fix, so that the run on counts from the stand. (Drawn from the curves instead,
    // the distance would carry their extrapolation's error on along the rest of the line.)
    const Side arrival = side(true);
    const Side departure = side(false);
    Stand s{arrival.moment.value_or(p[i0].time), departure.moment.value_or(p[i1].time)};
    if (s.to < s.from) s.to = s.from = (s.from + s.to) / 2;
    const double held = interpolate(profile.time, d, s.from);
    const double gained = interpolate(profile.time, d, s.to) - held;
    for (std::size_t k = 0; k < n; ++k) {
      if (p[k].time > s.to) d[k] -= gained;
      else if (p[k].time >= s.from) d[k] = held;
    }
    if (arrival.moment) draw(arrival, held, true);
    if (departure.moment) draw(departure, held, false);
    profile.stands.push_back(s);
    corners.push_back({s.from, held});
    corners.push_back({s.to, held});
    i0 = i1;
  }
  // The distance never goes back.
  for (std::size_t k = 1; k < n; ++k) d[k] = std::max(d[k], d[k - 1]);

  // The stands' ends become points of the profile, so that the distance is exact there.
  for (const Corner& c : corners) {
    const auto at = std::lower_bound(profile.time.begin(), profile.time.end(), c.time);
    const std::size_t k = static_cast<std::size_t>(at - profile.time.begin());
    if (at != profile.time.end() && std::fabs(*at - c.time) < 1e-6) continue;
    profile.time.insert(at, c.time);
    const double before = k > 0 ? profile.distance[k - 1] : c.distance;
    profile.distance.insert(profile.distance.begin() + static_cast<std::ptrdiff_t>(k), std::max(before, c.distance));
    profile.speed.insert(profile.speed.begin() + static_cast<std::ptrdiff_t>(k), 0.0);
    profile.ele.insert(profile.ele.begin() + static_cast<std::ptrdiff_t>(k), std::nan(""));
  }
  for (std::size_t k = 1; k < profile.distance.size(); ++k)
    profile.distance[k] = std::max(profile.distance[k], profile.distance[k - 1]);
}

std::vector<Stop> stops_from_stands(const std::vector<Stand>& stands, double film_start, int frames, int fps,
                                    double min_seconds) {
  std::vector<Stop> stops;
  const double film_end = film_start + (frames - 1.0) / fps;
  for (const Stand& s : stands) {
    const double from = std::max(s.from, film_start), to = std::min(s.to, film_end);
    if (to - from < min_seconds) continue;
    // A hair's tolerance: film times are sums of frame lengths.
    const int first = std::max(0, static_cast<int>(std::ceil((from - film_start) * fps - 1e-4)));
    const int last = std::min(frames - 1, static_cast<int>(std::floor((to - film_start) * fps + 1e-4)));
    if (last <= first) continue;
    if (!stops.empty() && first <= stops.back().last + 1) stops.back().last = last;
    else stops.push_back({first, last});
  }
  return stops;
}

}  // namespace velmora::author
