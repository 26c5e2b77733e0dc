#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "pictures.h"
#include "preview.h"
#include "speed_fit.h"

namespace velmora::author {
namespace {

constexpr int kWidth = 1200, kHeight = 820;

struct Box {
  double x, y, w, h;
};

// A round step for an axis: 1, 2 or 5 times a power of ten, giving about `count` ticks.
double tick_step(double span, int count) {
  const double raw = span / count;
  const double p = std::pow(10, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= raw) return m * p;
  return 10 * p;
}

std::string number(double v, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

void rgb(cairo_t* cr, std::uint32_t c, double alpha = 1) {
  cairo_set_source_rgba(cr, ((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0, (c & 255) / 255.0, alpha);
}

class Plot {
 public:
  Plot(cairo_t* cr, Box box, double x_max, double y_max) : cr_(cr), b_(box), x_max_(x_max), y_max_(y_max) {}
  double x(double v) const { return b_.x + v / x_max_ * b_.w; }
  double y(double v) const { return b_.y + b_.h - v / y_max_ * b_.h; }

  void frame(const std::string& x_label, double x_step, int x_decimals, const std::function<std::string(double)>& x_text) {
    rgb(cr_, 0xffffff);
    cairo_rectangle(cr_, b_.x, b_.y, b_.w, b_.h);
    cairo_fill(cr_);
    cairo_set_line_width(cr_, 1);
    const double y_step = tick_step(y_max_, 6);
    for (double v = 0; v <= y_max_ + 1e-9; v += y_step) {
      rgb(cr_, 0xdddddd);
      cairo_move_to(cr_, b_.x, y(v));
      cairo_line_to(cr_, b_.x + b_.w, y(v));
      cairo_stroke(cr_);
      rgb(cr_, 0x333333);
      demo::text_at(cr_, number(v, 0), b_.x - 22, y(v), 12, true, false);
    }
    for (double v = 0; v <= x_max_ + 1e-9; v += x_step) {
      rgb(cr_, 0xdddddd);
      cairo_move_to(cr_, x(v), b_.y);
      cairo_line_to(cr_, x(v), b_.y + b_.h);
      cairo_stroke(cr_);
      rgb(cr_, 0x333333);
      demo::text_at(cr_, x_text ? x_text(v) : number(v, x_decimals), x(v), b_.y + b_.h + 12, 12, true, false);
    }
    rgb(cr_, 0x333333);
    demo::text_at(cr_, x_label, b_.x + b_.w / 2, b_.y + b_.h + 30, 13, true, false);
    demo::text_at(cr_, "km/h", b_.x - 22, b_.y - 12, 12, true, false);
    cairo_rectangle(cr_, b_.x, b_.y, b_.w, b_.h);
    cairo_stroke(cr_);
  }

  void line(const std::vector<double>& xs, const std::vector<double>& ys, std::uint32_t colour, double width) {
    if (xs.empty()) return;
    rgb(cr_, colour);
    cairo_set_line_width(cr_, width);
    cairo_save(cr_);
    cairo_rectangle(cr_, b_.x, b_.y, b_.w, b_.h);
    cairo_clip(cr_);
    bool started = false;
    for (std::size_t i = 0; i < xs.size(); ++i) {
      if (std::isnan(xs[i]) || std::isnan(ys[i])) {
        started = false;
        continue;
      }
      if (!started) cairo_move_to(cr_, x(xs[i]), y(ys[i]));
      else cairo_line_to(cr_, x(xs[i]), y(ys[i]));
      started = true;
    }
    cairo_stroke(cr_);
    cairo_restore(cr_);
  }

  void mark(double at, const std::string& label, double to = -1) {
    if (to > at) {
      rgb(cr_, 0xf0c040, 0.35);
      cairo_rectangle(cr_, x(at), b_.y, std::max(1.0, x(to) - x(at)), b_.h);
      cairo_fill(cr_);
    }
    rgb(cr_, 0xc08000);
    cairo_set_line_width(cr_, 1.5);
    const double dashes[] = {5, 3};
    cairo_set_dash(cr_, dashes, 2, 0);
    cairo_move_to(cr_, x(at), b_.y);
    cairo_line_to(cr_, x(at), b_.y + b_.h);
    cairo_stroke(cr_);
    cairo_set_dash(cr_, nullptr, 0, 0);
    rgb(cr_, 0x704000);
    demo::text_at(cr_, label, x(at) + 4, b_.y + 12, 13, false, true);
  }

  const Box& box() const { return b_; }

 private:
  cairo_t* cr_;
  Box b_;
  double x_max_, y_max_;
};

double unit_speed(const std::vector<SpeedUnitData>& units, int f) {
  for (const SpeedUnitData& u : units)
    if (u.first_frame <= f && f <= u.last_frame && u.last_frame > u.first_frame)
      return static_cast<double>(u.speed_first + (u.speed_last - u.speed_first) * (f - u.first_frame) / (u.last_frame - u.first_frame));
  return std::nan("");
}

std::string minutes(double seconds) {
  const int s = static_cast<int>(std::lround(seconds));
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d", s / 60, s % 60);
  return text;
}

}  // namespace

std::string write_preview_png(const PreviewData& d, const std::filesystem::path& path) {
  const int frames = std::max(2, d.frames);
  const std::vector<double> route_m = route_distances(d.units, frames, d.fps);
  std::vector<double> frame_axis(static_cast<std::size_t>(frames)), route_kmh(static_cast<std::size_t>(frames));
  double top = 10, length = 1;
  for (int f = 0; f < frames; ++f) {
    frame_axis[static_cast<std::size_t>(f)] = f;
    route_kmh[static_cast<std::size_t>(f)] = unit_speed(d.units, f);
    if (!std::isnan(route_kmh[static_cast<std::size_t>(f)])) top = std::max(top, route_kmh[static_cast<std::size_t>(f)]);
    if (!std::isnan(route_m[static_cast<std::size_t>(f)])) length = std::max(length, route_m[static_cast<std::size_t>(f)]);
  }
  for (double v : d.measured_kmh) top = std::max(top, v);
  top = std::ceil(top * 1.1 / 10) * 10;
  const double km = length / 1000;

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  rgb(cr, 0xf2f2ee);
  cairo_paint(cr);
  rgb(cr, 0x202020);
  demo::text_at(cr, d.title, kWidth / 2.0, 20, 18, true, true, kWidth - 40);

  // Speed over distance, with the gradients in a strip below it.
  Plot by_distance(cr, {70, 50, kWidth - 100.0, 270}, km, top);
  by_distance.frame("km", tick_step(km, 10), km < 2 ? 1 : 0, nullptr);
  std::vector<double> route_km(route_m.size());
  for (std::size_t i = 0; i < route_m.size(); ++i) route_km[i] = route_m[i] / 1000;
  if (!d.measured_m.empty()) {
    std::vector<double> measured_km(d.measured_m.size());
    for (std::size_t i = 0; i < d.measured_m.size(); ++i) measured_km[i] = d.measured_m[i] / 1000;
    by_distance.line(measured_km, d.measured_kmh, 0x9a9a9a, 1);
  }
  by_distance.line(route_km, route_kmh, 0x1060c0, 2);
  for (const PreviewStation& s : d.stations)
    if (s.frame >= 0 && s.frame < frames) by_distance.mark(route_km[static_cast<std::size_t>(s.frame)], s.name);

  const Box strip{70, 365, kWidth - 100.0, 34};
  rgb(cr, 0xffffff);
  cairo_rectangle(cr, strip.x, strip.y, strip.w, strip.h);
  cairo_fill(cr);
  for (const SkeletonSlope& s : d.slopes) {
    if (s.from_frame < 0 || s.end_frame >= frames) continue;
    const double a = by_distance.x(route_km[static_cast<std::size_t>(s.from_frame)]);
    const double b = by_distance.x(route_km[static_cast<std::size_t>(s.end_frame)]);
    rgb(cr, s.permille > 0 ? 0xd04030 : 0x30a050, std::min(1.0, 0.25 + std::fabs(s.permille) / 25));
    cairo_rectangle(cr, a, strip.y, std::max(1.0, b - a), strip.h);
    cairo_fill(cr);
    rgb(cr, 0x101010);
    demo::text_at(cr, (s.permille > 0 ? "+" : "") + number(s.permille, 1) + " ‰", (a + b) / 2, strip.y + strip.h / 2, 12, true,
                  true, std::max(10.0, b - a - 4));
  }
  rgb(cr, 0x333333);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, strip.x, strip.y, strip.w, strip.h);
  cairo_stroke(cr);
  demo::text_at(cr, d.slopes.empty() ? "勾配なし / level" : "勾配 ‰", strip.x - 36, strip.y + strip.h / 2, 11, true, false, 60);

  // Speed over film frame, with the stands shaded.
  const double seconds = (frames - 1.0) / d.fps;
  Plot by_frame(cr, {70, 450, kWidth - 100.0, 290}, frames - 1.0, top);
  by_frame.frame("film frame (time of film)", tick_step(frames - 1.0, 10), 0, [&](double f) {
    return number(f, 0) + " (" + minutes(f / d.fps) + ")";
  });
  for (const PreviewStation& s : d.stations) by_frame.mark(s.frame, s.name, s.leaves);
  if (!d.measured_kmh.empty()) by_frame.line(frame_axis, d.measured_kmh, 0x9a9a9a, 1);
  by_frame.line(frame_axis, route_kmh, 0x1060c0, 2);

  rgb(cr, 0x1060c0);
  cairo_rectangle(cr, 80, kHeight - 26, 24, 3);
  cairo_fill(cr);
  rgb(cr, 0x202020);
  demo::text_at(cr, "[SpeedUnit] " + std::to_string(d.units.size()) + " entries", 112, kHeight - 24, 12, false, false);
  if (!d.measured_kmh.empty()) {
    rgb(cr, 0x9a9a9a);
    cairo_rectangle(cr, 330, kHeight - 26, 24, 2);
    cairo_fill(cr);
    rgb(cr, 0x202020);
    demo::text_at(cr, "measured (GPS track)", 362, kHeight - 24, 12, false, false);
  }
  demo::text_at(cr, number(km, 2) + " km, " + minutes(seconds) + " of film at " + std::to_string(d.fps) + " fps",
                kWidth - 250, kHeight - 24, 12, false, false);

  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const cairo_status_t status = cairo_surface_write_to_png(surface, path.string().c_str());
  cairo_surface_destroy(surface);
  return status == CAIRO_STATUS_SUCCESS ? "" : std::string("cannot write ") + path.string() + ": " + cairo_status_to_string(status);
}

}  // namespace velmora::author
