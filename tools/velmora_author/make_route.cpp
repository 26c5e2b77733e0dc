#include "make_route.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "common/paths.h"
#include "data/load_failure.h"
#include "data/ui_texts.h"
#include "data/vehicle_loader.h"
#include "data_folder.h"
#include "film_motion.h"
#include "marks.h"
#include "preview.h"
#include "route_checks.h"
#include "route_skeleton.h"
#include "slopes.h"
#include "speed_fit.h"
#include "stops.h"
#include "track.h"

namespace velmora::author {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTool = "velmora-author: ";

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string minutes(double seconds) {
  const long long s = std::llround(std::max(0.0, seconds));
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
  return text;
}

std::string fixed(double v, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure(path.string() + ": cannot be read");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Frames done, speed and time left, on one line rewritten in place on a terminal and a
// line every tenth of the way otherwise.
class ProgressLine {
 public:
  ProgressLine() : terminal_(isatty(STDERR_FILENO) != 0) {}
  void show(const FilmProgress& p, double film_fps) {
    const double rate = p.seconds > 0 ? p.frames_done / p.seconds : 0;
    const double left = rate > 0 ? (p.frames_total - p.frames_done) / rate : 0;
    const std::string line = "  film: " + std::to_string(p.frames_done) + " / " + std::to_string(p.frames_total) +
                             " frames, " + fixed(rate / film_fps, 1) + "x real time, " + minutes(left) + " left";
    if (terminal_) {
      std::cerr << '\r' << line << "   " << std::flush;
      if (p.frames_done >= p.frames_total) std::cerr << '\n';
    } else if (p.frames_done >= next_ || p.frames_done >= p.frames_total) {
      std::cerr << line << '\n';
      next_ = p.frames_done + std::max(1, p.frames_total / 10);
    }
  }

 private:
  bool terminal_;
  int next_ = 0;
};

// The film folder from velmora.dat's [Path], found as the simulator finds names.
fs::path film_folder(const fs::path& data, const std::string& data_path) {
  std::string folder = data_path;
  std::replace(folder.begin(), folder.end(), '\\', '/');
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  if (folder.empty()) return data;
  return resolve_data_file(data, folder).value_or(data / folder);
}

// The track's time at the film's first frame.
double film_start(const AuthorOptions& o, const Track& track, const FilmInfo& info, std::string& how) {
  const double first = track.points.front().time;
  if (o.offset) {
    if (const std::optional<double> t = parse_iso_time(*o.offset)) {
      if (track.clock == TrackClock::relative)
        throw Failure("--offset " + *o.offset + ": the track's times are plain seconds; give the offset in seconds");
      how = "--offset";
      if (track.clock == TrackClock::time_of_day) return first + std::remainder(*t - first, 86400.0);
      return *t;
    }
    const std::optional<double> s = parse_number(*o.offset);
    if (!s) throw Failure("--offset \"" + *o.offset + "\" is neither seconds nor an ISO 8601 time");
    how = "--offset";
    return first + *s;
  }
  const std::optional<double> created = parse_iso_time(info.creation_time);
  if (created && track.clock != TrackClock::relative) {
    how = "the film's creation time";
    if (track.clock == TrackClock::time_of_day) return first + std::remainder(*created - first, 86400.0);
    return *created;
  }
  how = info.creation_time.empty() ? "the track's start (the film carries no creation time; --offset sets it)"
                                   : "the track's start (its times are plain seconds; --offset sets it)";
  return first;
}

std::string track_time(const Track& track, double t) {
  if (track.clock == TrackClock::relative) return fixed(t, 1) + " s";
  return time_text(t) + " UTC";
}

double mean_moving_speed(const std::vector<SpeedUnitData>& units) {
  double sum = 0, frames = 0;
  for (const SpeedUnitData& u : units) {
    const double mean = static_cast<double>(u.speed_first + u.speed_last) / 2;
    if (mean < 5) continue;
    sum += mean * (u.last_frame - u.first_frame);
    frames += u.last_frame - u.first_frame;
  }
  return frames > 0 ? sum / frames : 0;
}

int vehicle_cars(const fs::path& data, const std::string& vehicle) {
  try {
    PanelData panel;
    const fs::path path = resolve_data_file(data, vehicle).value_or(data / vehicle);
    return load_vehicle(path, panel).cars;
  } catch (const std::exception&) {
    return 6;
  }
}

int run_make(const AuthorOptions& o) {
  const bool gps = o.command == Command::make;

  // The inputs first, so that a bad track stops before a long conversion.
  Track track;
  std::vector<Mark> marks;
  if (gps) {
    try {
      track = read_track_file(o.gps);
    } catch (const TrackError& e) {
      throw Failure(o.gps.string() + (e.line() > 0 ? ":" + std::to_string(e.line()) : "") + ": " + e.what());
    }
    std::cout << kTool << "track " << o.gps.string() << ": " << track.points.size() << " fixes, "
              << track_time(track, track.points.front().time) << " to " << track_time(track, track.points.back().time);
    const auto has = [&](auto field) {
      return std::count_if(track.points.begin(), track.points.end(), [&](const TrackPoint& p) { return !std::isnan(p.*field); });
    };
    std::cout << ", " << (has(&TrackPoint::ele) > 0 ? "with" : "no") << " elevations, "
              << (has(&TrackPoint::speed) > 0 ? "with" : "no") << " receiver speeds\n";
    for (const std::string& note : track.notes) std::cout << "  note: " << note << '\n';
  } else {
    try {
      marks = read_marks(read_text(o.marks));
    } catch (const TrackError& e) {
      throw Failure(o.marks.string() + (e.line() > 0 ? ":" + std::to_string(e.line()) : "") + ": " + e.what());
    }
    std::cout << kTool << "marks " << o.marks.string() << ": " << marks.size() << " marks, "
              << fixed(marks.back().distance_m - marks.front().distance_m, 0) << " m\n";
  }

  FilmInfo info;
  if (std::string e = probe_film(o.film.string(), info); !e.empty()) throw Failure(e);
  std::cout << kTool << "film " << o.film.string() << ": " << info.width << " x " << info.height << ", "
            << fixed(info.frame_rate, 2) << " fps, " << minutes(info.duration) << ", " << info.codec
            << (info.has_sound ? ", with sound" : ", no sound") << '\n';

  // The folder: velmora.dat's film settings bind every film in it.
  fs::create_directories(o.out);
  FolderSettings folder{o.fps.value_or(30), o.width.value_or(800), o.height.value_or(600)};
  std::string data_path = "movie\\";
  if (const std::optional<fs::path> dat = resolve_data_file(o.out, "velmora.dat")) {
    UiTexts ui;
    try {
      ui = load_ui_texts(*dat);
    } catch (const LoadFailure& f) {
      throw Failure(dat->string() + " fails to load: " + f.detail);
    }
    if (ui.film_fps < 1 || ui.film_width < 16 || ui.film_height < 16)
      throw Failure(dat->string() + ": [Disp] gives no usable film rate and size");
    if ((o.fps && *o.fps != ui.film_fps) || (o.width && (*o.width != ui.film_width || *o.height != ui.film_height)))
      throw Failure(dat->string() + " sets the films to " + std::to_string(ui.film_fps) + " fps, " +
                    std::to_string(ui.film_width) + " x " + std::to_string(ui.film_height) +
                    "; every film of the folder has them (leave --fps and --size out)");
    folder = {ui.film_fps, ui.film_width, ui.film_height};
    data_path = ui.data_path;
  }
  const int fps = folder.fps;

  const std::string route_name = "line_" + o.name + ".dat";
  const fs::path route_path = o.out / route_name;
  const fs::path film_path = film_folder(o.out, data_path) / (o.name + ".avi");
  const std::string ambient_name = "sound\\" + o.name + "\\ambient.wav";
  const fs::path ambient_path = o.out / "sound" / o.name / "ambient.wav";
  const fs::path preview_path = o.preview.empty() ? o.out / ("line_" + o.name + "_preview.png") : o.preview;
  if (!o.force)
    for (const fs::path& p : {route_path, film_path, o.out / "image" / o.name})
      if (fs::exists(p)) throw Failure(p.string() + " exists; --force replaces it, or choose another --name");

  double start = 0;
  std::string how;
  if (gps) {
    start = film_start(o, track, info, how);
    const double end = start + info.duration;
    if (end < track.points.front().time || start > track.points.back().time)
      throw Failure("the film (" + track_time(track, start) + " to " + track_time(track, end) + ") and the track (" +
                    track_time(track, track.points.front().time) + " to " + track_time(track, track.points.back().time) +
                    ") do not overlap; --offset gives the film's start on the track");
    std::cout << kTool << "the film starts at " << track_time(track, start) << " on the track, from " << how << '\n';
  }

  // The film.
  fs::create_directories(film_path.parent_path());
  FilmConversion c;
  c.fps = fps;
  c.width = folder.film_width;
  c.height = folder.film_height;
  c.codec = o.codec;
  c.keyframe_interval = o.keyframes.value_or(fps);
  c.fit = o.fit;
  if (o.keep_sound && info.has_sound) {
    fs::create_directories(ambient_path.parent_path());
    c.sound_wav = ambient_path.string();
  }
  ProgressLine progress;
  const FilmConversionResult film =
      convert_film(o.film.string(), film_path.string(), c, [&](const FilmProgress& p) { progress.show(p, fps); });
  if (!film.error.empty()) throw Failure("the film cannot be converted: " + film.error);
  if (film.frames < 2) throw Failure("the film has " + std::to_string(film.frames) + " frame; a route needs at least two");
  std::cout << kTool << "wrote " << film_path.string() << ": " << film.frames << " frames (" << minutes(film.frames / double(fps))
            << "), " << c.width << " x " << c.height << ", " << fps << " fps, " << o.codec << ", a keyframe every "
            << c.keyframe_interval << " frames\n";
  if (film.sound_written)
    std::cout << kTool << "wrote " << ambient_path.string() << ": the film's sound, " << minutes(film.sound_seconds) << '\n';

  // Where the train was at every frame.
  std::vector<std::string> notes;
  FilmMotion motion;
  std::vector<Stop> stops;
  std::vector<SlopeStretch> stretches;
  std::vector<double> track_m;  // the track's distance at every frame, for the gradients
  if (gps) {
    const TrackProfile profile = track_profile(track);
    motion = film_motion(profile, start, film.frames, fps, notes);
    track_m = motion.distance_m;
    for (double& d : track_m) d += motion.track_origin_m;
    stops = stops_from_stands(profile.stands, start, film.frames, fps);
    hold_stops(motion, stops);
    stretches = find_slopes(profile, notes);
  } else {
    MarkedMotion m = motion_from_marks(marks, o.marks_fps.value_or(info.frame_rate > 0 ? info.frame_rate : fps), film.frames, fps);
    motion = std::move(m.motion);
    stops = std::move(m.stops);
  }
  const double length = motion.distance_m.back();
  const double tolerance = tolerance_for(length, o.tolerance_per_km);
  // The track itself strays from the line by a few decimetres: the table keeps to three
  // quarters of the tolerance and leaves the rest for it.
  const double aim = tolerance * 0.75;
  const FitResult fit = fit_speed_units(motion, stops, aim);
  std::cout << "[SpeedUnit]: " << fit.units.size() << " entries; the route's distances stay within "
            << fixed(fit.max_deviation_m, 2) << " m of the " << (gps ? "track's" : "marks'") << " (tolerance "
            << fixed(fit.tolerance_m / 0.75, 2) << " m: " << fixed(o.tolerance_per_km, 2) << " m per km of a "
            << fixed(length / 1000, 2) << " km line, a quarter of it left for the "
            << (gps ? "track's" : "marks'") << " own error"
            << (fit.tolerance_m > aim * 1.0001
                    ? "; raised: no table of up to " + std::to_string(kRouteListCapacity) + " entries kept to it"
                    : "")
            << ")\n";

  RouteSkeleton route;
  route.name = o.name;
  route.line_name = o.name;
  route.line_name2 = o.film.filename().string();
  route.frames = film.frames;
  route.film_height = folder.film_height;
  route.units = fit.units;
  route.stations = plan_stations(stops, fit.units, film.frames, fps);
  if (gps) route.slopes = slope_entries(stretches, track_m);
  if (film.sound_written) {
    route.ambient = ambient_name;
    route.ambient_kmh = static_cast<int>(std::lround(mean_moving_speed(fit.units)));
  }

  const std::vector<double> route_m = route_distances(fit.units, film.frames, fps);
  std::cout << "[Station]: " << route.stations.size() << " stations, to be renamed:\n";
  for (std::size_t i = 0; i < route.stations.size(); ++i) {
    const SkeletonStation& s = route.stations[i];
    std::cout << "  " << s.name << ": frame " << s.frame << ", " << fixed(route_m[static_cast<std::size_t>(s.frame)], 0) << " m";
    const auto stop = std::find_if(stops.begin(), stops.end(), [&](const Stop& x) { return x.first == s.frame; });
    if (stop != stops.end()) std::cout << ", stood " << fixed((stop->last - stop->first + 1.0) / fps, 0) << " s";
    else if (i == 0) std::cout << ", the run's start";
    else std::cout << ", the film's end (the train did not stop there)";
    if (s.departure > 0) std::cout << ", leaves " << time_text(s.departure / 30.0);
    std::cout << ", up to " << s.maxspeed << " km/h on\n";
  }
  if (gps) {
    std::cout << "[Slope]: " << route.slopes.size() << " entries";
    for (const SkeletonSlope& s : route.slopes)
      std::cout << (&s == &route.slopes.front() ? ": " : ", ") << (s.permille > 0 ? "+" : "") << fixed(s.permille, 1)
                << " permille at frames " << s.from_frame << "-" << s.end_frame;
    std::cout << '\n';
  }
  for (const std::string& note : notes) std::cout << "  note: " << note << '\n';

  // The folder's other files, the pictures and the route file.
  for (const std::string& f : write_interface_files(o.out, folder))
    std::cout << kTool << "wrote " << (o.out / f).string() << " (the folder had none)\n";
  bool vehicle_written = false;
  const std::string vehicle = choose_vehicle(o.out, o.vehicle, vehicle_written);
  std::cout << kTool << "vehicle " << vehicle << (vehicle_written ? " (make-demo's electric train, written: the folder had none)" : "")
            << '\n';
  const RoutePictures pictures = draw_route_pictures(o.out, route, folder, vehicle_cars(o.out, vehicle));
  route.staf = pictures.staf;
  route.sign_images = pictures.sign_images;
  route.signal_images = pictures.signal_images;
  route_file(route).save(route_path);
  std::cout << kTool << "wrote " << route_path.string() << " and its pictures in " << (o.out / "image" / o.name).string() << '\n';

  PreviewData preview;
  preview.title = route_name + " (" + o.film.filename().string() + ")";
  preview.fps = fps;
  preview.frames = film.frames;
  preview.units = fit.units;
  if (gps) {
    preview.measured_kmh = motion.speed_kmh;
    preview.measured_m = motion.distance_m;
  }
  for (const SkeletonStation& s : route.stations) {
    const auto stop = std::find_if(stops.begin(), stops.end(), [&](const Stop& x) { return x.first == s.frame; });
    preview.stations.push_back({s.name, s.frame, stop != stops.end() ? stop->last : s.frame});
  }
  preview.slopes = route.slopes;
  if (std::string e = write_preview_png(preview, preview_path); !e.empty()) throw Failure(e);
  std::cout << kTool << "wrote " << preview_path.string() << " (the speed profile, stations and gradients)\n";

  std::cout << kTool << "checking as velmora-check --data " << o.out.string() << " --vehicle " << vehicle << " --route "
            << route_name << '\n';
  std::ostringstream report;
  const CheckOutcome check = check_written(o.out, vehicle, route_name, report);
  std::cout << report.str();
  if (!check.loaded) {
    std::cout << kTool << "what was written does not load\n";
    return 1;
  }
  std::cout << "  " << (check.warnings == 0 ? "no warnings" : std::to_string(check.warnings) + " warning(s) above") << '\n';
  std::cout << kTool << "drive it: velmora " << o.out.string() << " --route " << route_name << " --vehicle " << vehicle << '\n';
  return 0;
}

}  // namespace

int make_route(const AuthorOptions& o) {
  try {
    return run_make(o);
  } catch (const Failure& e) {
    std::cerr << kTool << e.what() << '\n';
    return 1;
  }
}

}  // namespace velmora::author
