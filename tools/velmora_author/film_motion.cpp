#include "film_motion.h"

#include "stops.h"

#include <algorithm>
#include <cmath>

namespace velmora::author {
namespace {

constexpr double kEarthRadius = 6371008.8;  // m, mean
constexpr double kPi = 3.14159265358979323846;
constexpr double kSmoothMetres = 20;     // m of track the positions are smoothed over at speed
constexpr double kMinSigma = 0.4;        // s
// s: longer would blur a stop into the running before and after it
constexpr double kMaxSigma = 1;
constexpr double kStandingKmh = 1;       // below this the train counts as standing
constexpr double kStandingSpan = 2;      // s either side over which standing is judged
constexpr double kFrameSmoothing = 1.0;  // s, the per-frame speed's smoothing

double step_length(double lat1, double lon1, double lat2, double lon2) { return metres_between(lat1, lon1, lat2, lon2); }

// Local quadratic regression at each fix: the value a parabola through the weighted
// neighbours gives there. A plain average lags at the track's ends and a straight line
// cuts the corner wherever the train speeds up or slows down; a parabola follows a steady
// acceleration exactly.
std::vector<double> local_fit(const std::vector<double>& t, const std::vector<double>& v,
                              const std::vector<double>& sigma) {
  const std::size_t n = t.size();
  std::vector<double> out(n);
  std::size_t lo = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double reach = 3 * sigma[i];
    while (lo < i && t[lo] < t[i] - reach) ++lo;
    // Normal equations of w * (a + b d + c d^2 - v)^2 summed.
    double m[3][4] = {};
    int count = 0, before = 0, after = 0;
    for (std::size_t j = lo; j < n && t[j] <= t[i] + reach; ++j) {
      before += j < i ? 1 : 0;
      after += j > i ? 1 : 0;
      const double d = t[j] - t[i];
      const double w = std::exp(-d * d / (2 * sigma[i] * sigma[i]));
      const double p[3] = {1, d, d * d};
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) m[r][c] += w * p[r] * p[c];
        m[r][3] += w * p[r] * v[j];
      }
      ++count;
    }
    // A parabola needs neighbours on both sides: at the track's ends it would swing.
    const int order = count >= 5 && before >= 2 && after >= 2 ? 3 : count >= 3 ? 2 : 1;
    // Gaussian elimination on the first `order` unknowns.
    bool solved = true;
    for (int c = 0; c < order && solved; ++c) {
      if (std::fabs(m[c][c]) < 1e-12 * std::max(1.0, std::fabs(m[0][0]))) {
        solved = false;
        break;
      }
      for (int r = c + 1; r < order; ++r) {
        const double f = m[r][c] / m[c][c];
        for (int k = c; k < order; ++k) m[r][k] -= f * m[c][k];
        m[r][3] -= f * m[c][3];
      }
    }
    if (!solved) {
      out[i] = m[0][3] / m[0][0];
      continue;
    }
    double x[3] = {0, 0, 0};
    for (int r = order - 1; r >= 0; --r) {
      double sum = m[r][3];
      for (int k = r + 1; k < order; ++k) sum -= m[r][k] * x[k];
      x[r] = sum / m[r][r];
    }
    out[i] = x[0];
  }
  return out;
}

}  // namespace

// An equirectangular step about the mean latitude: exact to well below a millimetre for
// the few metres between fixes.
double metres_between(double lat1, double lon1, double lat2, double lon2) {
  const double x = (lon2 - lon1) * kPi / 180 * kEarthRadius * std::cos((lat1 + lat2) / 2 * kPi / 180);
  const double y = (lat2 - lat1) * kPi / 180 * kEarthRadius;
  return std::hypot(x, y);
}

double interpolate(const std::vector<double>& t, const std::vector<double>& v, double time) {
  if (time <= t.front()) return v.front();
  if (time >= t.back()) return v.back();
  const std::size_t i = static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), time) - t.begin()) - 1;
  const double f = (time - t[i]) / (t[i + 1] - t[i]);
  return v[i] + (v[i + 1] - v[i]) * f;
}

std::vector<double> smoothed(const std::vector<double>& values, double sigma) {
  if (sigma <= 0 || values.size() < 2) return values;
  const int reach = static_cast<int>(std::ceil(3 * sigma));
  std::vector<double> kernel(static_cast<std::size_t>(reach) + 1);
  for (int k = 0; k <= reach; ++k) kernel[static_cast<std::size_t>(k)] = std::exp(-k * k / (2 * sigma * sigma));
  const int n = static_cast<int>(values.size());
  std::vector<double> out(values.size());
  for (int i = 0; i < n; ++i) {
    double sum = 0, weight = 0;
    for (int j = std::max(0, i - reach); j <= std::min(n - 1, i + reach); ++j) {
      const double w = kernel[static_cast<std::size_t>(std::abs(j - i))];
      sum += w * values[static_cast<std::size_t>(j)];
      weight += w;
    }
    out[static_cast<std::size_t>(i)] = sum / weight;
  }
  return out;
}

TrackProfile track_profile(const Track& track) {
  const std::vector<TrackPoint>& p = track.points;
  const std::size_t n = p.size();
  TrackProfile out;
  out.time.resize(n);
  out.ele.resize(n);
  std::vector<double> lat(n), lon(n);
  for (std::size_t i = 0; i < n; ++i) {
    out.time[i] = p[i].time;
    out.ele[i] = p[i].ele;
    lat[i] = p[i].lat;
    // Unwrapped across the 180th meridian, so that averages stay near the track.
    lon[i] = i == 0 ? p[i].lon : lon[i - 1] + std::remainder(p[i].lon - p[i - 1].lon, 360.0);
  }
  out.receiver_speed = std::all_of(p.begin(), p.end(), [](const TrackPoint& q) { return !std::isnan(q.speed); });

  // A rough speed sets how far in time the smoothing reaches: about kSmoothMetres of track.
  std::vector<double> sigma(n);
  for (std::size_t i = 0; i < n; ++i) {
    double v;  // m/s
    if (out.receiver_speed) {
      v = p[i].speed / 3.6;
    } else {
      const std::size_t a = i == 0 ? 0 : i - 1, b = std::min(n - 1, i + 1);
      v = step_length(lat[a], lon[a], lat[b], lon[b]) / std::max(1e-3, out.time[b] - out.time[a]);
    }
    sigma[i] = std::clamp(kSmoothMetres / std::max(v, 1e-3), kMinSigma, kMaxSigma);
  }
  const std::vector<double> slat = local_fit(out.time, lat, sigma);
  const std::vector<double> slon = local_fit(out.time, lon, sigma);

  // Standing: the smoothed place moves less than kStandingKmh from kStandingSpan before to
  // kStandingSpan after the fix.
  const auto place_at = [&](double time, double& la, double& lo) {
    la = interpolate(out.time, slat, time);
    lo = interpolate(out.time, slon, time);
  };
  std::vector<bool> standing(n);
  for (std::size_t i = 0; i < n; ++i) {
    double kmh;
    if (out.receiver_speed) {
      kmh = p[i].speed;
    } else {
      // At the track's ends the span lies on one side only, still as long: over half of it
      // the noise of the smoothed place would read as motion.
      const double b = std::min(out.time.back(), std::max(out.time.front(), out.time[i] - kStandingSpan) + 2 * kStandingSpan);
      const double a = std::max(out.time.front(), b - 2 * kStandingSpan);
      double la1, lo1, la2, lo2;
      place_at(a, la1, lo1);
      place_at(b, la2, lo2);
      kmh = b > a ? step_length(la1, lo1, la2, lo2) / (b - a) * 3.6 : 0;
    }
    standing[i] = kmh < kStandingKmh;
  }

  out.distance.assign(n, 0);
  for (std::size_t i = 1; i < n; ++i) {
    const double step = standing[i] && standing[i - 1] ? 0 : step_length(slat[i - 1], slon[i - 1], slat[i], slon[i]);
    out.distance[i] = out.distance[i - 1] + step;
  }
  out.speed.resize(n);
  for (std::size_t i = 0; i < n; ++i) out.speed[i] = out.receiver_speed ? p[i].speed : 0;
  time_stands(track, standing, out);
  if (!out.receiver_speed) {
    const std::size_t m = out.time.size();
    for (std::size_t i = 0; i < m; ++i) {
      const std::size_t a = i == 0 ? 0 : i - 1, b = std::min(m - 1, i + 1);
      out.speed[i] = (out.distance[b] - out.distance[a]) / (out.time[b] - out.time[a]) * 3.6;
    }
  }
  return out;
}

FilmMotion film_motion(const TrackProfile& profile, double film_start, int frames, int fps,
                       std::vector<std::string>& notes) {
  FilmMotion m;
  m.fps = fps;
  m.distance_m.resize(static_cast<std::size_t>(frames));
  std::vector<double> speed(static_cast<std::size_t>(frames));
  const std::vector<double>& t = profile.time;
  const std::vector<double>& d = profile.distance;
  for (int f = 0; f < frames; ++f) {
    const double time = film_start + static_cast<double>(f) / fps;
    m.distance_m[static_cast<std::size_t>(f)] = interpolate(t, d, time);
    double kmh = 0;
    if (time > t.front() && time < t.back()) {
      if (profile.receiver_speed) {
        kmh = interpolate(t, profile.speed, time);
      } else {
        // The mean speed between the two fixes either side: the distance's slope.
        const std::size_t i = static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), time) - t.begin()) - 1;
        kmh = (d[i + 1] - d[i]) / (t[i + 1] - t[i]) * 3.6;
      }
    }
    speed[static_cast<std::size_t>(f)] = kmh;
  }
  m.speed_kmh = smoothed(speed, kFrameSmoothing * fps);
  for (double& v : m.speed_kmh) v = std::max(0.0, v);
  // The smoothing must not carry the running into a stand.
  for (const Stand& s : profile.stands)
    for (int f = static_cast<int>(std::clamp(std::ceil((s.from - film_start) * fps), 0.0, static_cast<double>(frames)));
         f < frames && film_start + static_cast<double>(f) / fps <= s.to; ++f)
      m.speed_kmh[static_cast<std::size_t>(f)] = 0;
  // Film before the track: the distance was 0 there, so everything is counted from frame 0.
  const double origin = m.distance_m.empty() ? 0 : m.distance_m.front();
  for (double& v : m.distance_m) v -= origin;
  m.track_origin_m = origin;

  const double film_end = film_start + static_cast<double>(frames - 1) / fps;
  if (film_start < t.front() - 0.5)
    notes.push_back("the track begins " + std::to_string(std::llround(t.front() - film_start)) +
                    " s after the film: the film's first " +
                    std::to_string(static_cast<int>(std::min<double>(frames, std::ceil((t.front() - film_start) * fps)))) +
                    " frames stand where the track begins");
  if (film_end > t.back() + 0.5)
    notes.push_back("the track ends " + std::to_string(std::llround(film_end - t.back())) +
                    " s before the film: the film's last " +
                    std::to_string(static_cast<int>(std::min<double>(frames, std::ceil((film_end - t.back()) * fps)))) +
                    " frames stand where the track ends");
  return m;
}

}  // namespace velmora::author
