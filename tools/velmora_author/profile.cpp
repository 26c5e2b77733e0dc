// The profile command: an existing route's [SpeedUnit] table, stations and gradients as
// text, and its preview picture.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "data/load_failure.h"
#include "data/route_check.h"
#include "make_route.h"
#include "platform/fake/fake_platform.h"
#include "preview.h"

namespace velmora::author {

namespace fs = std::filesystem;

namespace {

std::string fixed(double v, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string route_table(const RouteData& route, int fps) {
  std::ostringstream out;
  char line[160];
  std::snprintf(line, sizeof line, "%5s %7s %7s %9s %9s %10s %11s %8s\n", "entry", "first", "last", "km/h", "km/h",
                "length m", "ends at m", "seconds");
  out << line;
  long long before = 0;
  for (std::size_t i = 0; i < route.speed_units.size(); ++i) {
    const SpeedUnitData& u = route.speed_units[i];
    std::snprintf(line, sizeof line, "%5zu %7d %7d %9.2f %9.2f %10.2f %11.2f %8.1f\n", i, u.first_frame, u.last_frame,
                  static_cast<double>(u.speed_first), static_cast<double>(u.speed_last), (u.distance_end - before) / 100.0,
                  u.distance_end / 100.0, (u.last_frame - u.first_frame) / static_cast<double>(fps));
    out << line;
    before = u.distance_end;
  }
  return out.str();
}

int run_profile(const AuthorOptions& o) {
  const fs::path data = !o.data.empty() ? o.data : o.route.has_parent_path() ? o.route.parent_path() : fs::path(".");
  const std::string name = o.route.filename().string();
  LoadedRoute loaded;
  try {
    // As velmora-check loads it: pictures judged, not drawn.
    FakeImageList images;
    // [Monitor] belongs to one named vehicle; with none given it is read for no vehicle,
    // which a name no line can hold says (an empty name would match an empty line).
    loaded = load_route_for_check(data, name, o.vehicle.empty() ? std::string("\n") : o.vehicle, images);
  } catch (const LoadFailure& f) {
    for (const std::string& m : f.messages) std::cerr << "message: " << m << '\n';
    std::cerr << f.detail << '\n';
    return 1;
  }
  const RouteData& route = loaded.route;
  const int fps = loaded.ui.film_fps;
  int frames = 2;
  for (const SpeedUnitData& u : route.speed_units) frames = std::max(frames, u.last_frame + 1);
  std::cout << name << ": " << route.line_name << ", " << fps << " fps, [SpeedUnit] " << route.speed_units.size()
            << " entries, " << fixed((route.speed_units.empty() ? 0 : route.speed_units.back().distance_end) / 100000.0, 3)
            << " km\n"
            << route_table(route, fps);
  std::cout << "[Station]:\n";
  for (const StationData& s : route.stations)
    std::cout << "  " << s.Name << ": type " << static_cast<int>(s.trntype) << ", frame " << s.Start << ", " << fixed(s.position / 100.0, 1)
              << " m\n";
  if (!route.slopes.empty()) std::cout << "[Slope]:\n";
  PreviewData preview;
  for (const SlopeData& s : route.slopes) {
    std::cout << "  " << fixed(static_cast<double>(s.gradient), 1) << " permille, frames " << s.from_frame << "-" << s.end_frame << '\n';
    preview.slopes.push_back({static_cast<double>(s.gradient), s.from_frame, s.end_frame});
  }
  preview.title = name + " (" + route.line_name + ")";
  preview.fps = fps;
  preview.frames = frames;
  preview.units = route.speed_units;
  for (const StationData& s : route.stations) preview.stations.push_back({s.Name, s.Start, s.Start});
  const fs::path png = o.preview.empty() ? fs::path(o.route.stem().string() + "_profile.png") : o.preview;
  if (std::string e = write_preview_png(preview, png); !e.empty()) {
    std::cerr << "velmora-author: " << e << '\n';
    return 1;
  }
  std::cout << "velmora-author: " << "wrote " << png.string() << '\n';
  return 0;
}

}  // namespace

int profile_route(const AuthorOptions& o) {
  try {
    return run_profile(o);
  } catch (const std::runtime_error& e) {
    std::cerr << "velmora-author: " << e.what() << '\n';
    return 1;
  }
}

}  // namespace velmora::author
