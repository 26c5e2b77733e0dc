#include "speed_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "common/rounding.h"
#include "data/data_writer.h"
#include "data/route_tables.h"

namespace velmora::author {
namespace {

constexpr double kMaxSpeed = 600;  // km/h: no filming train runs faster
// m: the simulator sums entries rounded to the centimetre, which the fit cannot undo.
constexpr double kRoundingSlack = 0.006;

// A speed as the route file will hold it, so that the fit continues from what the
// simulator will read.
double as_written(double kmh) { return std::strtod(decimal(kmh, 4).c_str(), nullptr); }

// Where an entry starts: its frame, its speed and the distance the simulator gives that
// frame (the entries before summed as it sums them, each rounded to the centimetre).
struct Anchor {
  int frame = 0;
  double speed = 0;  // km/h
  long long cm = 0;  // cm
};

class Fitter {
 public:
  Fitter(const FilmMotion& m, double tolerance) : d_(m.distance_m), v_(m.speed_kmh), fps_(m.fps), tol_(tolerance) {}

  // The end speeds [lo, hi] that keep an entry from `a` over `length` frames within the
  // tolerance at every frame, and within half of it at its last frame (so that the next
  // entry starts with room to move); false when there are none.
  bool feasible(const Anchor& a, int length, double& lo, double& hi) const {
    lo = 0;
    hi = kMaxSpeed;
    const double k = 3.6 * fps_;
    const double base = a.cm / 100.0;
    const double two_l = 2.0 * length;
    for (int t = 1; t <= length; ++t) {
      const double target = d_[static_cast<std::size_t>(a.frame + t)];
      const double reached = base + a.speed * (t - t * static_cast<double>(t) / two_l) / k;
      const double per_speed = t * static_cast<double>(t) / (two_l * k);
      const double band = t == length ? tol_ / 2 : tol_;
      lo = std::max(lo, (target - band - reached) / per_speed);
      hi = std::min(hi, (target + band - reached) / per_speed);
      if (lo > hi) return false;
    }
    return true;
  }

  // The end speed that brings an entry of `length` frames to the track's distance at its end.
  double on_track(const Anchor& a, int length) const {
    const double k = 3.6 * fps_;
    const double reached = a.cm / 100.0 + a.speed * (length / 2.0) / k;
    return std::clamp((d_[static_cast<std::size_t>(a.frame + length)] - reached) / (length / 2.0 / k), 0.0, kMaxSpeed);
  }

  // The longest entry from `a` of at most `limit` frames; 0 when not even one frame fits.
  int longest(const Anchor& a, int limit, double& lo, double& hi) const {
    double l, h;
    if (!feasible(a, 1, lo, hi)) return 0;
    int good = 1, bad = limit + 1;
    for (int length = 2; length <= limit; length = std::min(limit, length * 2)) {
      if (!feasible(a, length, l, h)) {
        bad = length;
        break;
      }
      good = length;
      lo = l;
      hi = h;
      if (length == limit) break;
    }
    while (bad - good > 1) {
      const int mid = good + (bad - good) / 2;
      if (feasible(a, mid, l, h)) {
        good = mid;
        lo = l;
        hi = h;
      } else {
        bad = mid;
      }
    }
    return good;
  }

  Anchor add(const Anchor& a, int frame, double speed) {
    SpeedUnitData u;
    u.first_frame = a.frame;
    u.last_frame = frame;
    u.speed_first = a.speed;
    u.speed_last = as_written(speed);
    units_.push_back(u);
    // The entry's length as the simulator rounds it.
    const long double length = (u.speed_first + u.speed_last) * (static_cast<long double>(frame) - a.frame) / (fps_ * 0.072L);
    return {frame, static_cast<double>(u.speed_last), a.cm + static_cast<long long>(round_half_even(length))};
  }

  // Entries from `a` to `end`; with `end_speed` set the last one ends at that speed.
  Anchor stretch(Anchor a, int end, const double* end_speed) {
    while (a.frame < end) {
      double lo, hi;
      const int left = end - a.frame;
      if (feasible(a, left, lo, hi) && (!end_speed || (*end_speed >= lo - 1e-6 && *end_speed <= hi + 1e-6)))
        return add(a, end, end_speed ? *end_speed : std::clamp(v_[static_cast<std::size_t>(end)], lo, hi));
      if (left == 1) return add(a, end, end_speed ? *end_speed : on_track(a, 1));
      int length = longest(a, left - 1, lo, hi);
      if (length == 0) {
        // Off the track (only a forced end brings this about): back onto it within a second.
        const int back = std::min(left - 1, fps_);
        a = add(a, a.frame + back, on_track(a, back));
        continue;
      }
      // The longest entry has a narrow choice of end speeds, often far from the train's,
      // and the next entry would start from a speed the train never had. A shorter one that
      // can end at the measured speed keeps the profile on the train's own.
      const auto natural = [&](int l, double from, double to) {
        const double v = v_[static_cast<std::size_t>(a.frame + l)];
        return v >= from && v <= to;
      };
      if (!natural(length, lo, hi)) {
        // Failing that, the length whose end speed comes closest to the measured one.
        const auto miss = [&](int l, double from, double to) {
          const double v = v_[static_cast<std::size_t>(a.frame + l)];
          return std::fabs(std::clamp(v, from, to) - v);
        };
        double best = miss(length, lo, hi);
        int best_length = length;
        double best_lo = lo, best_hi = hi;
        const int step = std::max(1, length / 16);
        for (int l = length - step; l >= std::max(1, length / 4); l -= step) {
          double l_lo, l_hi;
          if (!feasible(a, l, l_lo, l_hi)) continue;
          if (miss(l, l_lo, l_hi) < best) {
            best = miss(l, l_lo, l_hi);
            best_length = l;
            best_lo = l_lo;
            best_hi = l_hi;
          }
          if (best == 0) break;
        }
        length = best_length;
        lo = best_lo;
        hi = best_hi;
      }
      const int frame = a.frame + length;
      a = add(a, frame, std::clamp(v_[static_cast<std::size_t>(frame)], lo, hi));
    }
    return a;
  }

  std::vector<SpeedUnitData> fit(const std::vector<Stop>& stops) {
    const int last = static_cast<int>(d_.size()) - 1;
    const double zero = 0;
    Anchor a{0, 0, 0};
    const bool starts_standing = !stops.empty() && stops.front().first == 0;
    if (!starts_standing) a.speed = as_written(v_.front());
    for (const Stop& s : stops) {
      if (s.first > a.frame) a = stretch(a, s.first, &zero);
      if (s.last > a.frame) a = add(a, s.last, 0);
    }
    if (a.frame < last) stretch(a, last, nullptr);
    return units_;
  }

 private:
  const std::vector<double>& d_;
  const std::vector<double>& v_;
  int fps_;
  double tol_;
  std::vector<SpeedUnitData> units_;
};

}  // namespace

double tolerance_for(double length_m, double per_km) { return per_km * std::max(1.0, length_m / 1000); }

std::vector<double> route_distances(const std::vector<SpeedUnitData>& units, int frames, int fps) {
  RouteData route;
  route.speed_units = units;
  build_route_tables(route, fps);
  std::vector<double> out(static_cast<std::size_t>(frames));
  for (int f = 0; f < frames; ++f) {
    const std::optional<std::int64_t> cm = frame_to_distance(route, f, fps);
    out[static_cast<std::size_t>(f)] = cm ? static_cast<double>(*cm) / 100 : std::nan("");
  }
  return out;
}

FitResult fit_speed_units(const FilmMotion& motion, const std::vector<Stop>& stops, double tolerance_m,
                          std::size_t capacity) {
  const int frames = static_cast<int>(motion.distance_m.size());
  if (frames < 2) throw std::invalid_argument("a speed profile needs at least two frames");
  FitResult r;
  r.tolerance_m = tolerance_m;
  for (;;) {
    r.units = Fitter(motion, r.tolerance_m).fit(stops);
    const std::vector<double> route = route_distances(r.units, frames, motion.fps);
    r.max_deviation_m = 0;
    r.worst_frame = 0;
    for (int f = 0; f < frames; ++f) {
      const double dev = std::fabs(route[static_cast<std::size_t>(f)] - motion.distance_m[static_cast<std::size_t>(f)]);
      if (dev > r.max_deviation_m) {
        r.max_deviation_m = dev;
        r.worst_frame = f;
      }
    }
    // Entries a frame long on a jittering profile swing ever wider until a speed would have
    // to fall below 0; the table then leaves the track, and a looser tolerance is needed
    // just as for a full table. (The centimetres the simulator rounds to are allowed for.)
    if (r.units.size() <= capacity && r.max_deviation_m <= r.tolerance_m + kRoundingSlack) break;
    r.tolerance_m *= 1.5;
  }
  return r;
}

}  // namespace velmora::author
