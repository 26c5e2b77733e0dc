#include "film_render.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "film_scene.h"
#include "pictures.h"

namespace velmora::demo {
namespace {

constexpr double kEye = 2.7;         // m above the rail head
constexpr double kGauge = 1.067;     // m between the rails
constexpr double kNear = 0.8;        // m: nothing nearer is drawn
constexpr double kFar = 900;         // m: the track is drawn this far ahead
constexpr double kOtherTrack = 3.8;  // m to the right: the other line of a double track

std::uint32_t rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>((r << 16) | (g << 8) | b);
}

// Distances ahead at which the track's edges are sampled: dense near the camera.
const std::vector<double>& track_samples() {
  static const std::vector<double> d = [] {
    std::vector<double> v;
    for (double s = 1.0; s < 30; s += 1.5) v.push_back(s);
    for (double s = 30; s < 120; s += 5) v.push_back(s);
    for (double s = 120; s < 400; s += 12) v.push_back(s);
    for (double s = 400; s <= kFar; s += 30) v.push_back(s);
    return v;
  }();
  return d;
}

}  // namespace

void set_rgb(cairo_t* cr, std::uint32_t c, double alpha) {
  const double r = ((c >> 16) & 255) / 255.0, g = ((c >> 8) & 255) / 255.0, b = (c & 255) / 255.0;
  if (alpha >= 1)
    cairo_set_source_rgb(cr, r, g, b);
  else
    cairo_set_source_rgba(cr, r, g, b, alpha);
}

std::uint32_t shade(std::uint32_t c, double f) {
  const auto ch = [f](std::uint32_t v) {
    return static_cast<std::uint32_t>(std::clamp(v * f, 0.0, 255.0));
  };
  return (ch((c >> 16) & 255) << 16) | (ch((c >> 8) & 255) << 8) | ch(c & 255);
}

void track_point(const Scene& scene, double s, double& x, double& y, double& z, double& heading) {
  const double pos = std::clamp(s - scene.origin_m, 0.0, static_cast<double>(scene.x.size() - 2));
  const std::size_t i = static_cast<std::size_t>(pos);
  const double t = pos - static_cast<double>(i);
  x = scene.x[i] + (scene.x[i + 1] - scene.x[i]) * t;
  y = scene.y[i] + (scene.y[i + 1] - scene.y[i]) * t;
  z = scene.z[i] + (scene.z[i + 1] - scene.z[i]) * t;
  heading = scene.heading[i] + (scene.heading[i + 1] - scene.heading[i]) * t;
}

View::View(const Scene& scene, double metres, int width, int height)
    : scene_(scene), metres_(metres), width_(width), height_(height) {
  focal_ = 0.9 * width;
  cx_ = width / 2.0;
  cy_ = height * 0.40;
  double z = 0;
  track_point(scene, metres, px_, py_, z, heading_);
  pz_ = z + kEye;
  // The cab tilts with the track under it, smoothed over a car's length.
  double x2, y2, z2, h2;
  track_point(scene, metres + 20, x2, y2, z2, h2);
  pitch_ = std::atan((z2 - z) / 20.0);
}

CamPoint View::at(double s, double lateral, double height) const {
  double x, y, z, h;
  track_point(scene_, s, x, y, z, h);
  x -= lateral * std::sin(h);
  y += lateral * std::cos(h);
  z += height;
  const double dx = x - px_, dy = y - py_, dz = z - pz_;
  const double fwd = dx * std::cos(heading_) + dy * std::sin(heading_);
  const double lat = -dx * std::sin(heading_) + dy * std::cos(heading_);
  const double cp = std::cos(pitch_), sp = std::sin(pitch_);
  return {fwd * cp + dz * sp, lat, dz * cp - fwd * sp};
}

void View::fill(cairo_t* cr, const std::vector<CamPoint>& pts, std::uint32_t colour) const {
  cairo_new_path(cr);
  if (!trace(cr, pts)) return;
  set_rgb(cr, colour);
  cairo_fill(cr);
}

bool View::trace(cairo_t* cr, const std::vector<CamPoint>& pts) const {
  // Sutherland-Hodgman against the plane fwd = kNear.
  std::vector<CamPoint> clipped;
  clipped.reserve(pts.size() + 4);
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const CamPoint& a = pts[i];
    const CamPoint& b = pts[(i + 1) % pts.size()];
    const bool ain = a.fwd >= kNear, bin = b.fwd >= kNear;
    if (ain) clipped.push_back(a);
    if (ain != bin) {
      const double t = (kNear - a.fwd) / (b.fwd - a.fwd);
      clipped.push_back({kNear, a.lat + (b.lat - a.lat) * t, a.up + (b.up - a.up) * t});
    }
  }
  if (clipped.size() < 3) return false;
  cairo_move_to(cr, sx(clipped[0]), sy(clipped[0]));
  for (const CamPoint& p : clipped) cairo_line_to(cr, sx(p), sy(p));
  cairo_close_path(cr);
  return true;
}

bool View::board(double s, double lateral, double height, double w_m, double h_m, double& x,
                 double& y, double& w, double& h) const {
  const CamPoint p = at(s, lateral, height);
  if (p.fwd < kNear * 2) return false;
  const double scale = focal_ / p.fwd;
  w = w_m * scale;
  h = h_m * scale;
  x = sx(p) - w / 2;
  y = sy(p) - h;
  return x + w > 0 && x < width_ && y + h > 0 && y < height_;
}

std::shared_ptr<const Scene> build_scene(const LineModel& line) {
  auto scene = std::make_shared<Scene>();
  scene->line = &line;
  scene->seed = line.design.seed;
  scene->electrified = line.design.electrified;
  scene->end_m = line.length_m + 30;
  const double span = line.length_m + kFar + 600 - scene->origin_m;
  const std::size_t n = static_cast<std::size_t>(span) + 2;
  scene->x.resize(n);
  scene->y.resize(n);
  scene->z.resize(n);
  scene->heading.resize(n);
  double x = 0, y = 0, z = 0, h = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double s = scene->origin_m + static_cast<double>(i);
    scene->x[i] = x;
    scene->y[i] = y;
    scene->z[i] = z;
    scene->heading[i] = h;
    h += LineModel::value_at(line.curves, s);
    z += LineModel::value_at(line.slopes, s) / 1000.0;
    x += std::cos(h);
    y += std::sin(h);
  }
  if (line.design.double_track)
    scene->tracks.push_back({scene->origin_m, scene->end_m + 600, kOtherTrack});
  place_items(*scene);
  return scene;
}

FilmRenderer::FilmRenderer(std::shared_ptr<const Scene> scene, int width, int height)
    : scene_(std::move(scene)), width_(width), height_(height) {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  // Sky above, fields below, the horizon half-way: drawn once, shifted with the pitch.
  background_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height * 2);
  cairo_t* cr = cairo_create(background_);
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.36, 0.56, 0.86);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.80, 0.87, 0.94);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_set_source(cr, sky);
  cairo_fill(cr);
  cairo_pattern_destroy(sky);
  cairo_pattern_t* field = cairo_pattern_create_linear(0, height, 0, height * 2);
  cairo_pattern_add_color_stop_rgb(field, 0, 0.50, 0.58, 0.42);
  cairo_pattern_add_color_stop_rgb(field, 0.25, 0.38, 0.52, 0.28);
  cairo_pattern_add_color_stop_rgb(field, 1, 0.30, 0.45, 0.22);
  cairo_rectangle(cr, 0, height, width, height);
  cairo_set_source(cr, field);
  cairo_fill(cr);
  cairo_pattern_destroy(field);
  cairo_destroy(cr);

  // Hills all round the horizon, as wide as a full turn of the camera.
  const int around = static_cast<int>(2 * M_PI * 0.9 * width);
  const int tall = std::max(8, height / 6);
  // The strip runs on past the full turn, so that copies laid side by side overlap and
  // leave no seam of sky between them.
  const int overlap = 16;
  hills_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, around + overlap, tall);
  cr = cairo_create(hills_);
  // Sums of waves that fit the full turn a whole number of times: no seam behind.
  std::mt19937 rng(scene_->seed);
  for (int layer = 0; layer < 2; ++layer) {
    double phase[4], weight[4];
    for (int k = 0; k < 4; ++k) {
      phase[k] = static_cast<double>(rng() % 6283) / 1000.0;
      weight[k] = 0.3 + static_cast<double>(rng() % 700) / 1000.0;
    }
    const int waves[4] = {3 + layer, 7, 13 + 2 * layer, 29};
    const double base = tall * (layer == 0 ? 0.4 : 0.62);
    cairo_move_to(cr, 0, tall);
    for (int xx = 0; xx <= around + overlap; xx += std::max(2, width / 200)) {
      double level = base;
      for (int k = 0; k < 4; ++k)
        level -= tall * 0.13 * weight[k] * std::sin(2 * M_PI * waves[k] * xx / around + phase[k]);
      cairo_line_to(cr, xx, std::clamp(level, tall * 0.05, tall * 0.95));
    }
    cairo_line_to(cr, around + overlap, tall);
    cairo_close_path(cr);
    if (layer == 0)
      cairo_set_source_rgb(cr, 0.52, 0.60, 0.70);
    else
      cairo_set_source_rgb(cr, 0.36, 0.48, 0.40);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
}

FilmRenderer::~FilmRenderer() {
  cairo_surface_destroy(hills_);
  cairo_surface_destroy(background_);
  cairo_surface_destroy(surface_);
}

namespace {

// The ground under the horizon that is not grass: water under bridges, crossing roads.
void draw_ground(cairo_t* cr, const View& v, const Scene& scene) {
  const double here = v.metres();
  const LineModel& line = *scene.line;
  for (const Stretch& b : line.bridges) {
    if (b.to_m < here || b.from_m > here + kFar) continue;
    const double a = std::max(b.from_m + 3, here), e = b.to_m - 3;
    if (e <= a) continue;
    std::vector<CamPoint> water;
    for (double s = a; s <= e; s += std::max(2.0, (e - a) / 8)) water.push_back(v.at(s, -250, -6));
    for (double s = e; s >= a; s -= std::max(2.0, (e - a) / 8)) water.push_back(v.at(s, 250, -6));
    v.fill(cr, water, rgb(70, 110, 150));
  }
  for (const Stretch& r : scene.roads) {
    if (r.to_m < here || r.from_m > here + kFar) continue;
    v.fill(cr, {v.at(r.from_m, -120, 0.02), v.at(r.from_m, 120, 0.02), v.at(r.to_m, 120, 0.02),
                v.at(r.to_m, -120, 0.02)},
           rgb(92, 92, 96));
  }
}

// One track: ballast, sleepers near the camera, two rails.
void draw_track(cairo_t* cr, const View& v, double lateral, double from,
                double to, bool sleepers) {
  const double here = v.metres();
  const auto& d = track_samples();
  std::vector<double> s_list;
  for (double ahead : d) {
    const double s = here + ahead;
    if (s < from) continue;
    if (s > to) {
      s_list.push_back(to);
      break;
    }
    s_list.push_back(s);
  }
  if (s_list.size() < 2) return;
  if (from > here + d.front() && s_list.front() != from) s_list.insert(s_list.begin(), from);
  std::vector<CamPoint> bed;
  for (double s : s_list) bed.push_back(v.at(s, lateral - 1.7, -0.25));
  for (auto it = s_list.rbegin(); it != s_list.rend(); ++it) bed.push_back(v.at(*it, lateral + 1.7, -0.25));
  v.fill(cr, bed, rgb(118, 110, 100));

  if (sleepers) {
    const double first = std::max(from, std::ceil((here + 3) / 0.62) * 0.62);
    for (double s = first; s < std::min(to, here + 70); s += 0.62) {
      const CamPoint a = v.at(s, lateral - 1.05, -0.05);
      if (a.fwd < kNear) continue;
      // Far sleepers merge into the ballast: stop when one is under a pixel deep.
      const CamPoint b = v.at(s + 0.2, lateral - 1.05, -0.05);
      if (std::fabs(v.sy(a) - v.sy(b)) < 0.35) break;
      v.fill(cr, {a, v.at(s, lateral + 1.05, -0.05), v.at(s + 0.2, lateral + 1.05, -0.05), b},
             rgb(150, 146, 138));
    }
  }
  for (double side : {-kGauge / 2, kGauge / 2}) {
    std::vector<CamPoint> rail;
    for (double s : s_list) rail.push_back(v.at(s, lateral + side - 0.035, 0.15));
    for (auto it = s_list.rbegin(); it != s_list.rend(); ++it)
      rail.push_back(v.at(*it, lateral + side + 0.035, 0.15));
    v.fill(cr, rail, rgb(176, 178, 186));
  }
}

// The diverging rails of points, from the track to the line beside it.
void draw_turnouts(cairo_t* cr, const View& v, const Scene& scene) {
  for (const Stretch& t : scene.turnouts) {
    if (t.to_m < v.metres() + 1 || t.from_m > v.metres() + 400) continue;
    for (double side : {-kGauge / 2, kGauge / 2}) {
      std::vector<CamPoint> l, r;
      for (double s = std::max(t.from_m, v.metres() + 1); s <= t.to_m; s += 2) {
        const double k = (s - t.from_m) / (t.to_m - t.from_m);
        const double lat = t.value * kOtherTrack * k * k * (3 - 2 * k) + side;
        l.push_back(v.at(s, lat - 0.035, 0.15));
        r.push_back(v.at(s, lat + 0.035, 0.15));
      }
      if (l.size() < 2) continue;
      l.insert(l.end(), r.rbegin(), r.rend());
      v.fill(cr, l, rgb(170, 172, 180));
    }
  }
}

// A tunnel's opening at s, seen from the track: walls up to the springing line, an
// elliptic vault above, points in order around it. `grow` scales it about the rail.
std::vector<CamPoint> tunnel_opening(const View& v, double s, double grow = 1.0) {
  const double half = 4.2 * grow, wall = 4.2 * grow, rise = 3.0 * grow;
  std::vector<CamPoint> arch;
  arch.push_back(v.at(s, half, -0.3));
  for (int k = 0; k <= 12; ++k) {
    const double a = M_PI * k / 12;
    arch.push_back(v.at(s, half * std::cos(a), wall + rise * std::sin(a)));
  }
  arch.push_back(v.at(s, -half, -0.3));
  return arch;
}

// Inside a tunnel, over the view of what lies beyond its exit: darkness all round the
// exit, the walls near it lit by the daylight, the lamps on the wall and the rails.
void draw_tunnel(cairo_t* cr, const View& v, const Stretch& t) {
  const double here = v.metres();
  const std::vector<CamPoint> opening = tunnel_opening(v, t.to_m);
  const std::vector<CamPoint> lit_wall = tunnel_opening(v, t.to_m, 1.3);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_new_path(cr);
  cairo_rectangle(cr, 0, 0, v.width(), v.height());
  // An exit nearer than the near plane fills the whole view: no darkness is left.
  if (v.trace(cr, lit_wall) || t.to_m - here > 5) {
    cairo_set_source_rgb(cr, 0.04, 0.04, 0.05);
    cairo_fill(cr);
  }
  cairo_new_path(cr);
  if (v.trace(cr, lit_wall) && v.trace(cr, opening)) {
    set_rgb(cr, rgb(58, 58, 60));
    cairo_fill(cr);
  }
  cairo_new_path(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  // The wall lamps every 25 m along the left wall.
  for (double s = std::ceil((here + 2) / 25) * 25; s < std::min(t.to_m, here + 400); s += 25) {
    const CamPoint p = v.at(s, -3.6, 2.6);
    if (p.fwd < kNear) continue;
    const double r = std::max(0.6, v.focal() * 0.15 / p.fwd);
    cairo_rectangle(cr, v.sx(p) - r, v.sy(p) - r / 2, 2 * r, r);
    cairo_set_source_rgb(cr, 1.0, 0.85, 0.55);
    cairo_fill(cr);
  }
  // The rails catch a little light up to the exit.
  if (t.to_m - here > 4)
    for (double side : {-kGauge / 2, kGauge / 2}) {
      const CamPoint a = v.at(here + 3, side, 0.15), b = v.at(std::min(t.to_m, here + 300), side, 0.15);
      cairo_move_to(cr, v.sx(a), v.sy(a));
      cairo_line_to(cr, v.sx(b), v.sy(b));
      cairo_set_source_rgb(cr, 0.25, 0.24, 0.22);
      cairo_set_line_width(cr, std::max(1.0, v.width() / 400.0));
      cairo_stroke(cr);
    }
}

// A tunnel mouth ahead: a hillside with a portal in it, dark inside, and the daylight of
// the exit far in it.
void draw_portal(cairo_t* cr, const View& v, const Stretch& t, std::uint32_t seed) {
  const double s = t.from_m;
  std::vector<CamPoint> hill;
  std::mt19937 rng(seed + static_cast<std::uint32_t>(s));
  hill.push_back(v.at(s, -160, -4));
  for (int k = 0; k <= 16; ++k) {
    const double lat = -160 + 20.0 * k;
    const double top = 35 + static_cast<double>(rng() % 20) - std::fabs(lat) * 0.12;
    hill.push_back(v.at(s + std::fabs(lat) * 0.3, lat, std::max(top, 10.0)));
  }
  hill.push_back(v.at(s, 160, -4));
  v.fill(cr, hill, rgb(70, 96, 62));
  v.fill(cr, {v.at(s, -6.5, -0.3), v.at(s, 6.5, -0.3), v.at(s, 6.5, 9.5), v.at(s, -6.5, 9.5)},
         rgb(150, 150, 145));
  const std::vector<CamPoint> mouth = tunnel_opening(v, s);
  v.fill(cr, mouth, rgb(14, 14, 16));
  cairo_save(cr);
  cairo_new_path(cr);
  if (v.trace(cr, mouth)) {
    cairo_clip(cr);
    v.fill(cr, tunnel_opening(v, t.to_m), rgb(226, 232, 236));
  }
  cairo_restore(cr);
}

}  // namespace

void FilmRenderer::draw(double metres, int tick, const std::vector<OtherTrain>& trains) {
  const Scene& scene = *scene_;
  const View v(scene, metres, width_, height_);
  cairo_t* cr = cairo_create(surface_);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);

  const LineModel& line = *scene.line;
  const Stretch* inside = nullptr;
  for (const Stretch& t : line.tunnels)
    if (t.from_m <= metres && metres < t.to_m) inside = &t;

  // Sky and fields, the horizon following the pitch; the hills turning with the heading.
  const double horizon = v.horizon();
  cairo_set_source_surface(cr, background_, 0, horizon - height_);
  cairo_paint(cr);
  const int around = static_cast<int>(2 * M_PI * 0.9 * width_);  // a full turn, px
  const int tall = cairo_image_surface_get_height(hills_);
  double shift = std::fmod(-v.heading() * v.focal(), around);
  if (shift > 0) shift -= around;
  for (double xx = shift; xx < width_; xx += around) {
    cairo_set_source_surface(cr, hills_, xx, horizon - tall + 1);
    cairo_paint(cr);
  }

  draw_ground(cr, v, scene);
  const double end = scene.end_m;
  for (const TrackRun& t : scene.tracks) draw_track(cr, v, t.lateral, t.from_m, t.to_m, false);
  draw_turnouts(cr, v, scene);
  draw_track(cr, v, 0, scene.origin_m, end, true);
  draw_bridges(cr, v, scene);
  draw_platforms(cr, v, scene);

  // Scenery beyond the tunnel the camera is in, with a tunnel mouth ahead hiding what
  // lies behind it.
  const double items_from = inside != nullptr ? inside->to_m : metres;
  double items_to = metres + kFar;
  for (const Stretch& t : line.tunnels)
    if (t.from_m > metres && t.from_m < items_to) {
      items_to = t.from_m;
      draw_portal(cr, v, t, scene.seed);
      break;
    }
  draw_items(cr, v, scene, tick, items_from, items_to);
  draw_trains(cr, v, trains);
  draw_sheds(cr, v, scene);
  if (scene.electrified) draw_wires(cr, v, scene);
  if (inside != nullptr) draw_tunnel(cr, v, *inside);
  cairo_destroy(cr);
}

void FilmRenderer::to_yuv(std::uint8_t* const planes[3], const int strides[3]) const {
  surface_to_yuv(surface_, planes, strides);
}

}  // namespace velmora::demo
