#pragma once
// A cab film and its GPS track made together from one known line, as a phone would record
// them: make-demo's line model gives the filming train's speed profile, its stops and
// gradients and (through its curves) the line's shape; the film is a variable-frame-rate
// MOV (or MP4) whose pictures carry their own number; the track is a GPX file sampled once a second
// with the noise of a real receiver.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "line_model.h"
#include "platform/ffmpeg/film_writer.h"
#include "platform/film_picture.h"

namespace velmora::author_test {

using demo::LineModel;

// 10:00:00 UTC on 2024-05-01: the film's creation time.
constexpr double kFilmStart = 1714557600;
constexpr const char* kFilmStartText = "2024-05-01T10:00:00Z";

inline demo::RouteDesign test_design() {
  demo::RouteDesign d;
  d.key = "gpstest";
  d.accel = 3.0;
  d.decel = 3.5;
  d.stand_frames = 360;  // 12 s at each stop
  d.end_frames = 330;
  const auto station = [](const char* name, double gap, int cruise) {
    demo::StationDesign s;
    s.name = name;
    s.gap_m = gap;
    s.cruise_kmh = cruise;
    s.maxspeed_kmh = cruise + 10;
    return s;
  };
  d.stations = {station("A", 0, 75), station("B", 700, 70), station("C", 600, 0)};
  d.slopes = {{{0, 100}, {0, 550}, 8}, {{1, 150}, {1, 520}, -5}};
  d.curves = {{{0, 250}, {0, 450}, 1.0 / 400}, {{1, 250}, {1, 420}, -1.0 / 350}};
  return d;
}

// The line's shape and height every metre: x east, y north, z up (m).
struct Shape {
  std::vector<double> x, y, z;
  static Shape of(const LineModel& line) {
    Shape s;
    double heading = 0.3, x = 0, y = 0, z = 20;
    const int metres = static_cast<int>(line.length_m) + 400;
    for (int m = 0; m <= metres; ++m) {
      s.x.push_back(x);
      s.y.push_back(y);
      s.z.push_back(z);
      heading -= LineModel::value_at(line.curves, m + 0.5);  // right curves turn clockwise
      x += std::sin(heading);
      y += std::cos(heading);
      z += LineModel::value_at(line.slopes, m + 0.5) / 1000;
    }
    return s;
  }
  double at(const std::vector<double>& v, double m) const {
    const double c = std::clamp(m, 0.0, static_cast<double>(v.size() - 2));
    const std::size_t i = static_cast<std::size_t>(c);
    return v[i] + (v[i + 1] - v[i]) * (c - static_cast<double>(i));
  }
};

// Metres along the line at a time after the film's start (s); the camera's own profile.
inline double metres_at(const LineModel& line, double seconds) {
  const double f = std::clamp(seconds * demo::kFilmFps, 0.0, line.frame_count - 1.0);
  const int a = static_cast<int>(f);
  const int b = std::min(a + 1, line.frame_count - 1);
  return line.at_frame(a) + (line.at_frame(b) - line.at_frame(a)) * (f - a);
}

// Presentation times of a film's pictures up to `end` seconds: a phone's 30 fps with a few
// milliseconds of jitter and a dropped picture now and then.
inline std::vector<double> phone_times(double end) {
  std::mt19937 random(27);
  std::uniform_real_distribution<double> jitter(-0.004, 0.004);
  std::vector<double> times;
  for (int k = 0;; ++k) {
    if (k % 47 == 46) continue;  // a dropped picture: the next comes two frames later
    const double t = k == 0 ? 0 : k / 30.0 + jitter(random);
    if (t >= end) break;
    times.push_back(t);
  }
  return times;
}

// Writes the film: each picture shows its own index as frame marks.
// Up to the line's last frame.
inline std::vector<double> film_times(const LineModel& line) {
  return phone_times((line.frame_count - 0.5) / demo::kFilmFps);
}

inline std::string write_phone_film(const std::string& path, const std::vector<double>& times, int width,
                                    int height, bool with_sound, const char* container = "mov") {
  FilmWriterSettings s;
  // As phones record: H.264 with B-frames in a MOV or an MP4.
  s.encoder = "libx264";
  s.quality = 23;
  s.container = container;
  s.width = width;
  s.height = height;
  s.fps = 30;
  s.frames = static_cast<int>(times.size());
  s.frame_seconds = times;
  s.keyframe_interval = 60;
  s.creation_time = kFilmStartText;
  s.with_sound = with_sound;
  s.sound_rate = 8000;
  for (std::size_t i = 0; i < times.size() * 266; ++i)
    s.sound.push_back(static_cast<std::int16_t>(3000 * std::sin(static_cast<double>(i) * 0.2)));
  return write_film(path, s, [&](int i, std::uint8_t* const planes[3], const int strides[3]) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) planes[0][y * strides[0] + x] = static_cast<std::uint8_t>(60 + ((x + 3 * i) ^ y) % 120);
    for (int y = 0; y < height / 2; ++y)
      for (int x = 0; x < width / 2; ++x) {
        planes[1][y * strides[1] + x] = 128;
        planes[2][y * strides[2] + x] = 128;
      }
    paint_frame_mark(planes[0], strides[0], width, height, i);
  });
}

// A GPX track of the film's run, a fix a second from `lead` seconds before the film to
// `trail` seconds after it: positions with the jitter of a receiver (0.5 m each way) and a
// slow wander (0.3 m over about a minute), elevations with a barometer's (0.05 m and 0.05 m).
inline std::string gpx_track(const LineModel& line, double lead = 8, double trail = 6) {
  const Shape shape = Shape::of(line);
  std::mt19937 random(2027);
  std::normal_distribution<double> unit(0, 1);
  constexpr double kPi = 3.14159265358979323846;
  const double lat0 = 35.6, lon0 = 139.7;
  const double seconds = line.frame_count / static_cast<double>(demo::kFilmFps);
  double wander_x = 0, wander_y = 0, wander_z = 0;
  std::string gpx =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"velmora tests\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
      " <trk><name>test</name><trkseg>\n";
  for (double t = -lead; t <= seconds + trail; t += 1) {
    wander_x = 0.983 * wander_x + 0.03 * unit(random);
    wander_y = 0.983 * wander_y + 0.03 * unit(random);
    wander_z = 0.983 * wander_z + 0.009 * unit(random);
    const double m = metres_at(line, t);
    const double x = shape.at(shape.x, m) + wander_x + 0.3 * unit(random);
    const double y = shape.at(shape.y, m) + wander_y + 0.3 * unit(random);
    const double z = shape.at(shape.z, m) + wander_z + 0.05 * unit(random);
    const double lat = lat0 + y / 6371008.8 * 180 / kPi;
    const double lon = lon0 + x / (6371008.8 * std::cos(lat0 * kPi / 180)) * 180 / kPi;
    const long long whole = static_cast<long long>(kFilmStart + t);
    const long long s = whole % 86400;
    char line_text[256];
    std::snprintf(line_text, sizeof line_text,
                  "  <trkpt lat=\"%.8f\" lon=\"%.8f\"><ele>%.2f</ele><time>2024-05-01T%02lld:%02lld:%02lldZ</time></trkpt>\n",
                  lat, lon, z, s / 3600, s / 60 % 60, s % 60);
    gpx += line_text;
  }
  gpx += " </trkseg></trk>\n</gpx>\n";
  return gpx;
}

inline void save(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace velmora::author_test
