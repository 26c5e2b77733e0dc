#include "line_model.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "data/route_tables.h"
#include "data_writer.h"

namespace velmora::demo {
namespace {

// A speed as the route file will hold it: the loader reads the written text, so every
// conversion here must start from the same rounded value.
long double as_written(double kmh) { return std::strtold(decimal(kmh, 4).c_str(), nullptr); }

// The filming train, run frame by frame: one speed per frame.
class CameraRun {
 public:
  CameraRun(const RouteDesign& d) : d_(d) {}

  void stand(int frames) {
    for (int i = 0; i < frames; ++i) push(0);
  }

  // From a standstill at `from_m` to a standstill at `stop_m`, at `cruise` where no limit
  // holds; returns the frame of the stop.
  int run_to(double stop_m, int cruise, const std::vector<Stretch>& limits, double train_m) {
    const double a = d_.accel / kFilmFps, b = d_.decel;
    bool stopping = false;
    for (int guard = 0; guard < 200000; ++guard) {
      const double v = speeds_.back();
      const double step_m = v / 3.6 / kFilmFps;
      // The stop: brake so as to come to rest on the mark (the last step may be short).
      if (!stopping && metres_ + v * v / (7.2 * b) + step_m >= stop_m) stopping = true;
      double next;
      if (stopping) {
        next = std::max(0.0, v - b / kFilmFps);
      } else {
        double allowed = cruise;
        double brake_to = -1;
        for (const Stretch& l : limits) {
          // The whole train must be through before the camera speeds up again.
          if (metres_ >= l.from_m - 1 && metres_ <= l.to_m + train_m) allowed = std::min(allowed, l.value);
          if (metres_ < l.from_m && l.value < v &&
              metres_ + (v * v - l.value * l.value) / (7.2 * b) + step_m >= l.from_m - 5)
            brake_to = std::max(brake_to, l.value);
        }
        if (brake_to >= 0)
          next = std::max(brake_to, v - b / kFilmFps);
        else if (v < allowed)
          next = std::min<double>(allowed, v + a);
        else
          next = std::max<double>(allowed, v - b / kFilmFps);
      }
      metres_ += (v + next) / 2 / 3.6 / kFilmFps;
      push(next);
      if (stopping && next == 0) return static_cast<int>(speeds_.size()) - 1;
    }
    throw std::runtime_error(d_.key + ": the filming train never reaches its stop");
  }

  const std::vector<double>& speeds() const { return speeds_; }
  double metres() const { return metres_; }

 private:
  void push(double v) { speeds_.push_back(v); }

  const RouteDesign& d_;
  std::vector<double> speeds_{0.0};
  double metres_ = 0;
};

// Runs of frames with one acceleration become one [SpeedUnit] entry each.
std::vector<SpeedUnitData> units_of(const std::vector<double>& v) {
  std::vector<SpeedUnitData> units;
  std::size_t first = 0;
  while (first + 1 < v.size()) {
    const double dv = v[first + 1] - v[first];
    std::size_t last = first + 1;
    while (last + 1 < v.size() && std::fabs((v[last + 1] - v[last]) - dv) < 1e-9) ++last;
    SpeedUnitData u;
    u.first_frame = static_cast<int>(first);
    u.last_frame = static_cast<int>(last);
    u.speed_first = as_written(v[first]);
    u.speed_last = as_written(v[last]);
    units.push_back(u);
    first = last;
  }
  return units;
}

}  // namespace

double LineModel::value_at(const std::vector<Stretch>& list, double metres) {
  for (const Stretch& s : list)
    if (s.from_m <= metres && metres < s.to_m) return s.value;
  return 0;
}

double LineModel::at_frame(int frame) const {
  if (frame_metres_.empty()) return 0;
  frame = std::clamp(frame, 0, static_cast<int>(frame_metres_.size()) - 1);
  return frame_metres_[static_cast<std::size_t>(frame)];
}

int LineModel::frame_at(double metres) const {
  const auto it = std::lower_bound(frame_metres_.begin(), frame_metres_.end(), metres - 1e-9);
  if (it == frame_metres_.end()) return frame_count - 1;
  return static_cast<int>(it - frame_metres_.begin());
}

double LineModel::speed_at_frame(int frame) const {
  for (const SpeedUnitData& u : units)
    if (u.first_frame <= frame && frame <= u.last_frame)
      return static_cast<double>(u.speed_first + (u.speed_last - u.speed_first) *
                                                     (frame - u.first_frame) /
                                                     (u.last_frame - u.first_frame));
  return 0;
}

double LineModel::place(const Anchor& a) const {
  if (a.station < 0 || a.station >= static_cast<int>(stations.size()))
    throw std::runtime_error(design.key + ": a place refers to station " + std::to_string(a.station));
  return stations[static_cast<std::size_t>(a.station)].at_m + a.offset_m;
}

LineModel build_line(const RouteDesign& design, bool short_mode) {
  LineModel m;
  m.design = design;
  m.short_mode = short_mode;
  const std::vector<StationDesign>& ds = design.stations;
  if (ds.size() < 2 || ds.front().type != StopType::DoorStop || ds.back().type != StopType::DoorStop)
    throw std::runtime_error(design.key + ": a line starts and ends at a stopping station");
  const double train_m = design.cars * design.car_length_m;

  // Station places by design, refined as the camera runs: a stop is where the camera
  // comes to rest, a passed station where the design puts it.
  m.stations.resize(ds.size());
  CameraRun camera(design);
  camera.stand(design.stand_frames);
  m.stations[0].frame = 0;
  m.stations[0].stand_to = design.stand_frames;
  std::size_t from = 0;
  while (from + 1 < ds.size()) {
    std::size_t to = from + 1;
    double stop_m = m.stations[from].at_m + ds[to].gap_m;
    while (ds[to].type == StopType::Pass) {
      m.stations[to].at_m = stop_m;
      ++to;
      stop_m += ds[to].gap_m;
    }
    // Limits anchored to stations already placed (this stretch's own).
    m.stations[to].at_m = stop_m;  // for anchors inside the stretch; refined below
    std::vector<Stretch> limits;
    for (const LimitDesign& l : design.limits)
      if (static_cast<std::size_t>(l.from.station) >= from && static_cast<std::size_t>(l.from.station) < to)
        limits.push_back({m.place(l.from), m.place(l.to), static_cast<double>(l.kmh)});
    const int stop_frame = camera.run_to(stop_m, ds[from].cruise_kmh, limits, train_m);
    m.stations[to].frame = stop_frame;
    m.stations[to].at_m = camera.metres();
    const int stand = to + 1 == ds.size() ? design.end_frames : design.stand_frames;
    camera.stand(stand);
    m.stations[to].stand_to = stop_frame + stand;
    from = to;
  }

  m.units = units_of(camera.speeds());
  RouteData tables;
  tables.speed_units = m.units;
  build_route_tables(tables, kFilmFps);
  m.units = tables.speed_units;
  m.frame_count = static_cast<int>(camera.speeds().size());
  m.frame_metres_.resize(static_cast<std::size_t>(m.frame_count));
  for (int f = 0; f < m.frame_count; ++f)
    m.frame_metres_[static_cast<std::size_t>(f)] =
        static_cast<double>(frame_to_distance(tables, f, kFilmFps).value_or(0)) / 100.0;

  // Stops take the converted place of their frame; passed stations the frame of theirs.
  for (std::size_t i = 0; i < ds.size(); ++i) {
    BuiltStation& s = m.stations[i];
    if (ds[i].type == StopType::Pass) {
      s.frame = m.frame_at(s.at_m);
      s.stand_to = s.frame;
    }
    s.at_m = m.at_frame(s.frame);
  }
  m.length_m = m.stations.back().at_m;

  // The timetable: the filming run plus room for a real driver, then the dwell.
  const int first_leave = m.stations[0].stand_to;
  int departure = design.first_departure;
  int last_frame = first_leave;
  for (std::size_t i = 0; i < ds.size(); ++i) {
    BuiltStation& s = m.stations[i];
    if (i == 0) {
      s.arrival = departure - ds[0].dwell_s * kFilmFps;
      s.departure = departure;
      continue;
    }
    if (ds[i].type == StopType::Pass) continue;
    const int run_ticks = s.frame - last_frame;  // a film frame is one clock tick
    const int slack = run_ticks / 5 + 20 * kFilmFps;
    s.arrival = departure + run_ticks + slack;
    if (i + 1 < ds.size()) {
      const int leave = s.arrival + ds[i].dwell_s * kFilmFps;
      departure = (leave + 149) / 150 * 150;  // timetables keep to 5 s
      s.departure = departure;
    }
    last_frame = s.stand_to;
  }

  const auto stretches = [&m](const std::vector<StretchDesign>& list) {
    std::vector<Stretch> out;
    for (const StretchDesign& d : list) out.push_back({m.place(d.from), m.place(d.to), d.value});
    return out;
  };
  for (const LimitDesign& l : design.limits)
    m.limits.push_back({m.place(l.from), m.place(l.to), static_cast<double>(l.kmh)});
  m.slopes = stretches(design.slopes);
  m.curves = stretches(design.curves);
  m.tunnels = stretches(design.tunnels);
  m.bridges = stretches(design.bridges);
  return m;
}

}  // namespace velmora::demo
