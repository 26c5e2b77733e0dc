#include "report/run_curve.h"

#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <string_view>

#include "report/report_text.h"

namespace velmora {
namespace {

// Speeds in force above this mean "no limit" (the data files write 999): they neither set
// the scale nor draw a line.
constexpr long double kNoLimitKmh = 400;
// Faster than any train; a damaged value beyond it must not squash the curve to the floor.
constexpr long double kTopSpeedKmh = 1000;
// A side past this asks for more memory than a report picture is worth.
constexpr int kMaxSide = 16384;
constexpr const char* kFont = "IPAGothic";

struct Colour {
  double r, g, b, a = 1;
};
constexpr Colour kInk{0.15, 0.15, 0.15};
constexpr Colour kMuted{0.45, 0.45, 0.45};
constexpr Colour kGrid{0.88, 0.88, 0.88};
constexpr Colour kSpeed{0.10, 0.30, 0.80};
constexpr Colour kLimit{0.90, 0.50, 0.05};
constexpr Colour kOverSpeed{1.00, 0.55, 0.55, 0.35};
constexpr Colour kStopZone{0.35, 0.65, 1.00, 0.35};
constexpr Colour kStation{0.40, 0.40, 0.40};
constexpr Colour kGood{0.10, 0.50, 0.15};
constexpr Colour kBad{0.80, 0.08, 0.08};
constexpr Colour kAspectStop{0.85, 0.10, 0.10};
constexpr Colour kAspectCaution{0.95, 0.72, 0.00};
constexpr Colour kAspectClear{0.10, 0.65, 0.25};
constexpr Colour kProtection{0.55, 0.20, 0.70};
constexpr Colour kLabelGround{1, 1, 1, 0.85};

struct CairoFree {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Cairo = std::unique_ptr<cairo_t, CairoFree>;
using Surface = std::unique_ptr<cairo_surface_t, CairoFree>;

bool drawable(CurveSize size) {
  return size.width > 0 && size.height > 0 && size.width <= kMaxSide && size.height <= kMaxSide;
}

// The plotting area and the scale that maps the log onto it.
struct Plot {
  double left = 0, top = 0, right = 0, bottom = 0;  // px
  long double from_cm = 0, to_cm = 1;               // distance at the left and right edges
  long double top_kmh = 10;                         // speed at the top edge

  double x(long double cm) const {
    return left + (right - left) * static_cast<double>((cm - from_cm) / (to_cm - from_cm));
  }
  double y(long double kmh) const {
    return bottom - (bottom - top) * static_cast<double>(kmh / top_kmh);
  }
};

struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

bool overlaps(const Box& a, const Box& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

bool inside(const Box& b, const Plot& p) {
  return b.x0 >= p.left && b.x1 <= p.right && b.y0 >= p.top && b.y1 <= p.bottom;
}

// The first candidate inside the plot and clear of every label placed so far.
std::optional<Box> first_free(const std::vector<Box>& candidates, const std::vector<Box>& placed,
                              const Plot& plot) {
  for (const Box& c : candidates) {
    if (!inside(c, plot)) continue;
    if (std::none_of(placed.begin(), placed.end(), [&](const Box& p) { return overlaps(c, p); }))
      return c;
  }
  return std::nullopt;
}

// --- what the log asks of the scale ---------------------------------------------------

// A station the drive had to do with: it started, stood, left, or should have stood there.
bool involved(const StationRecord& s) {
  return s.start || s.arrival_ticks || s.departure_ticks || s.stop_error_cm || s.missed;
}

// The distance shown: the curve and every station the drive had to do with; without a
// curve, every station.
std::pair<long double, long double> distance_shown(const RunLog& log) {
  std::optional<long double> from, to;
  const auto take = [&](long double cm) {
    if (!std::isfinite(cm)) return;
    from = from ? std::min(*from, cm) : cm;
    to = to ? std::max(*to, cm) : cm;
  };
  for (const CurvePoint& p : log.curve) take(p.position_cm);
  const bool curve = from.has_value();
  for (const StationRecord& s : log.stations)
    if (!curve || involved(s)) take(s.position_cm);
  if (!from) return {0, 100000};
  // At least 200 m, so a drive that hardly moved still gets an axis one can read.
  constexpr long double kLeast = 20000;
  long double a = *from, b = *to;
  if (b - a < kLeast) {
    const long double mid = (a + b) / 2;
    a = mid - kLeast / 2;
    b = mid + kLeast / 2;
  }
  const long double pad = (b - a) * 0.02L;
  return {a - pad, b + pad};
}

bool real_limit(int kmh) { return kmh >= 0 && kmh <= kNoLimitKmh; }

// The speed at the top: the fastest speed or real speed in force, rounded up to 10 km/h
// with 10 km/h to spare.
long double speed_shown(const RunLog& log) {
  long double fastest = 0;
  const auto take = [&](long double kmh) {
    if (std::isfinite(kmh)) fastest = std::max(fastest, std::fabs(kmh));
  };
  for (const CurvePoint& p : log.curve) {
    take(p.speed_kmh);
    if (real_limit(p.limit_kmh)) take(p.limit_kmh);
  }
  for (const ProtectionMark& m : log.protection) take(m.speed_kmh);
  fastest = std::min(fastest, kTopSpeedKmh);
  return std::ceil(fastest / 10) * 10 + 10;
}

// --- text -------------------------------------------------------------------------------

void colour(cairo_t* cr, Colour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void font(cairo_t* cr, double px) {
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, px);
}

double width_of(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  return e.x_advance;
}

double ascent(cairo_t* cr) {
  cairo_font_extents_t e;
  cairo_font_extents(cr, &e);
  return e.ascent;
}

void show(cairo_t* cr, double x, double baseline, const std::string& text) {
  cairo_move_to(cr, x, baseline);
  cairo_show_text(cr, text.c_str());
}

// A label's lines on a light ground, so a line under it does not hide it.
struct Label {
  std::vector<std::pair<std::string, Colour>> lines;
  double px = 12;
};

Box label_size(cairo_t* cr, const Label& label, double pad) {
  font(cr, label.px);
  double w = 0;
  for (const auto& line : label.lines) w = std::max(w, width_of(cr, line.first));
  return {0, 0, w + 2 * pad, static_cast<double>(label.lines.size()) * label.px * 1.2 + pad};
}

void draw_label(cairo_t* cr, const Label& label, const Box& at, double pad) {
  colour(cr, kLabelGround);
  cairo_rectangle(cr, at.x0, at.y0, at.x1 - at.x0, at.y1 - at.y0);
  cairo_fill(cr);
  font(cr, label.px);
  const double rise = ascent(cr);
  double y = at.y0 + pad / 2;
  for (const auto& [text, c] : label.lines) {
    colour(cr, c);
    show(cr, at.x0 + pad, y + rise, text);
    y += label.px * 1.2;
  }
}

// --- the parts of the picture -------------------------------------------------------------

// A tick step of 1, 2 or 5 times a power of ten giving at most about `ticks` ticks.
long double tick_step(long double span, int ticks) {
  const long double raw = span / ticks;
  const long double power = std::pow(10.0L, std::floor(std::log10(raw)));
  for (const long double m : {1.0L, 2.0L, 5.0L})
    if (m * power >= raw) return m * power;
  return 10 * power;
}

void draw_axes(cairo_t* cr, const Plot& plot, double s) {
  cairo_set_line_width(cr, 1);
  font(cr, 12 * s);
  // Speeds.
  const long double kmh_step = std::max(10.0L, tick_step(plot.top_kmh, 10));
  for (int k = 0; k * kmh_step <= plot.top_kmh; ++k) {
    const double y = std::round(plot.y(k * kmh_step)) + 0.5;
    colour(cr, kGrid);
    cairo_move_to(cr, plot.left, y);
    cairo_line_to(cr, plot.right, y);
    cairo_stroke(cr);
    const std::string text = fixed_text(k * kmh_step, 0);
    colour(cr, kInk);
    show(cr, plot.left - 6 * s - width_of(cr, text), y + 4 * s, text);
  }
  // Distances, in km, with as many decimals as the step needs.
  const long double km_from = plot.from_cm / 100000, km_to = plot.to_cm / 100000;
  const long double km_step = tick_step(km_to - km_from, 10);
  const int places = std::clamp(static_cast<int>(-std::floor(std::log10(km_step))), 0, 3);
  for (long double k = std::ceil(km_from / km_step); k * km_step <= km_to; k += 1) {
    const double x = std::round(plot.x(k * km_step * 100000)) + 0.5;
    colour(cr, kGrid);
    cairo_move_to(cr, x, plot.top);
    cairo_line_to(cr, x, plot.bottom);
    cairo_stroke(cr);
    const std::string text = fixed_text(k * km_step, places);
    colour(cr, kInk);
    show(cr, x - width_of(cr, text) / 2, plot.bottom + 16 * s, text);
  }
  colour(cr, kInk);
  cairo_rectangle(cr, plot.left + 0.5, plot.top + 0.5, plot.right - plot.left - 1,
                  plot.bottom - plot.top - 1);
  cairo_stroke(cr);

  font(cr, 12 * s);
  const std::string km = "距離 (km)";
  show(cr, (plot.left + plot.right) / 2 - width_of(cr, km) / 2, plot.bottom + 34 * s, km);
  const std::string kmh = "速度 (km/h)";
  cairo_save(cr);
  cairo_translate(cr, 16 * s, (plot.top + plot.bottom) / 2 + width_of(cr, kmh) / 2);
  cairo_rotate(cr, -std::numbers::pi / 2);
  show(cr, 0, 0, kmh);
  cairo_restore(cr);
}

// A stretch shown `least` px wide at the least: a few metres are less than a pixel on a
// long line, and still have to show.
void band(cairo_t* cr, const Plot& plot, long double from_cm, long double to_cm, Colour c,
          double least) {
  if (!std::isfinite(from_cm) || !std::isfinite(to_cm)) return;
  double a = plot.x(std::min(from_cm, to_cm)), b = plot.x(std::max(from_cm, to_cm));
  if (b - a < least) {
    a = (a + b - least) / 2;
    b = a + least;
  }
  colour(cr, c);
  cairo_rectangle(cr, a, plot.top, b - a, plot.bottom - plot.top);
  cairo_fill(cr);
}

void draw_stations(cairo_t* cr, const Plot& plot, const RunLog& log, double s) {
  for (const StationRecord& st : log.stations)
    if (st.stops) band(cr, plot, st.zone_from_cm, st.zone_to_cm, kStopZone, 4 * s);
  cairo_set_line_width(cr, 1);
  for (const StationRecord& st : log.stations) {
    if (!std::isfinite(st.position_cm)) continue;
    const double x = std::round(plot.x(st.position_cm)) + 0.5;
    colour(cr, kStation);
    const double dash = 4 * s;
    // A station passed by timetable is dashed: no stop was asked there.
    cairo_set_dash(cr, &dash, st.stops ? 0 : 1, 0);
    cairo_move_to(cr, x, plot.top);
    cairo_line_to(cr, x, plot.bottom);
    cairo_stroke(cr);
  }
  cairo_set_dash(cr, nullptr, 0, 0);
}

// The speed in force as steps: level up to the next point, where it jumps. No line where
// there is no real limit, nor across a station jump.
void draw_limit(cairo_t* cr, const Plot& plot, const RunLog& log, double s) {
  const auto& c = log.curve;
  bool open = false;
  for (std::size_t i = 0; i < c.size(); ++i) {
    if (!real_limit(c[i].limit_kmh) || !std::isfinite(c[i].position_cm)) {
      open = false;
      continue;
    }
    const double y = plot.y(c[i].limit_kmh);
    if (open && !c[i].jump) {
      cairo_line_to(cr, plot.x(c[i].position_cm), y);
    } else {
      cairo_move_to(cr, plot.x(c[i].position_cm), y);
    }
    open = true;
    if (i + 1 < c.size() && std::isfinite(c[i + 1].position_cm) && !c[i + 1].jump)
      cairo_line_to(cr, plot.x(c[i + 1].position_cm), y);
  }
  colour(cr, kLimit);
  cairo_set_line_width(cr, 1.5 * s);
  cairo_stroke(cr);
}

void draw_speed(cairo_t* cr, const Plot& plot, const RunLog& log, double s) {
  bool open = false;
  for (const CurvePoint& p : log.curve) {
    if (!std::isfinite(p.position_cm) || !std::isfinite(p.speed_kmh)) {
      open = false;
      continue;
    }
    // Backing up draws as a speed above zero too: the curve shows how fast, not which way.
    const double x = plot.x(p.position_cm),
                 y = plot.y(std::min(std::fabs(p.speed_kmh), kTopSpeedKmh));
    // A station jump moved the train: no line joins the two places.
    if (open && !p.jump) {
      cairo_line_to(cr, x, y);
    } else {
      cairo_move_to(cr, x, y);
    }
    open = true;
  }
  colour(cr, kSpeed);
  cairo_set_line_width(cr, 2 * s);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

Colour aspect_colour(int aspect) {
  if (aspect <= 0) return kAspectStop;
  return aspect <= 2 ? kAspectCaution : kAspectClear;
}

void dot(cairo_t* cr, double x, double y, double r, Colour fill) {
  // An arc joins the current point (a text's end, say) unless the path starts afresh.
  cairo_new_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * std::numbers::pi);
  colour(cr, fill);
  cairo_fill_preserve(cr);
  colour(cr, {0.2, 0.2, 0.2});
  cairo_set_line_width(cr, 0.75);
  cairo_stroke(cr);
}

void diamond(cairo_t* cr, double x, double y, double r, Colour fill) {
  cairo_move_to(cr, x, y - r);
  cairo_line_to(cr, x + r, y);
  cairo_line_to(cr, x, y + r);
  cairo_line_to(cr, x - r, y);
  cairo_close_path(cr);
  colour(cr, fill);
  cairo_fill_preserve(cr);
  colour(cr, {1, 1, 1});
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void draw_signals(cairo_t* cr, const Plot& plot, const RunLog& log, double s) {
  for (const SignalPass& sig : log.signals)
    if (std::isfinite(sig.position_cm))
      dot(cr, plot.x(sig.position_cm), plot.bottom - 7 * s, 3.5 * s, aspect_colour(sig.aspect));
}

bool plottable(const ProtectionMark& m) {
  return std::isfinite(m.position_cm) && std::isfinite(m.speed_kmh);
}

double mark_y(const Plot& plot, const ProtectionMark& m) {
  return plot.y(std::min(std::fabs(m.speed_kmh), kTopSpeedKmh));
}

void draw_protection(cairo_t* cr, const Plot& plot, const RunLog& log, double s) {
  // The worst last, so they lie on top where marks crowd.
  for (const bool bad : {false, true})
    for (const ProtectionMark& m : log.protection)
      if (serious_protection_kind(m.kind) == bad && plottable(m))
        diamond(cr, plot.x(m.position_cm), mark_y(plot, m), 5 * s, bad ? kBad : kProtection);
}

// Station names along the top, each beside its line, stacked downwards where they would
// meet; then the protection's marks' labels near the marks, the worst placed first. A mark
// label that finds no free place is left out (its mark stays).
void draw_labels(cairo_t* cr, const Plot& plot, const RunLog& log, double s) {
  std::vector<Box> placed;
  const double pad = 3 * s, gap = 2 * s;
  for (const StationRecord& st : log.stations) {
    if (!std::isfinite(st.position_cm) || st.position_cm < plot.from_cm ||
        st.position_cm > plot.to_cm)
      continue;
    Label label{{{clean_text(st.name), st.stops ? kInk : kMuted}}, 13 * s};
    if (st.missed) {
      label.lines.push_back({"通過", kBad});
    } else if (st.stops && st.stop_error_cm && !st.start) {
      label.lines.push_back({signed_text(*st.stop_error_cm / 100, 2) + "m",
                             st.in_zone && !st.overrun ? kGood : kBad});
    }
    const Box size = label_size(cr, label, pad);
    const double x = plot.x(st.position_cm), w = size.x1, h = size.y1;
    std::vector<Box> candidates;
    for (int row = 0; row < 6; ++row) {
      const double y = plot.top + gap + row * (h + gap);
      candidates.push_back({x + gap, y, x + gap + w, y + h});
      candidates.push_back({x - gap - w, y, x - gap, y + h});
    }
    std::optional<Box> at = first_free(candidates, placed, plot);
    // Crowded stations still get their names, over one another if they must.
    if (!at) at = first_free(candidates, {}, plot);
    if (!at) continue;
    placed.push_back(*at);
    draw_label(cr, label, *at, pad);
  }

  std::vector<const ProtectionMark*> marks;
  for (const bool bad : {true, false})
    for (const ProtectionMark& m : log.protection)
      if (serious_protection_kind(m.kind) == bad && plottable(m) && m.position_cm >= plot.from_cm &&
          m.position_cm <= plot.to_cm)
        marks.push_back(&m);
  for (const ProtectionMark* m : marks) {
    const bool bad = serious_protection_kind(m->kind);
    const Label label{{{clean_text(protection_kind_text(m->kind)), bad ? kBad : kProtection}},
                      12 * s};
    const Box size = label_size(cr, label, pad);
    const double x = plot.x(m->position_cm), y = mark_y(plot, *m), w = size.x1, h = size.y1;
    std::vector<Box> candidates;
    for (int row = 0; row < 4; ++row) {
      const double above = y - 7 * s - h - row * (h + gap), below = y + 7 * s + row * (h + gap);
      for (const double top : {above, below})
        for (const double left : {x - w / 2, x + 4 * s, x - 4 * s - w})
          candidates.push_back({left, top, left + w, top + h});
    }
    const std::optional<Box> at = first_free(candidates, placed, plot);
    if (!at) continue;
    placed.push_back(*at);
    draw_label(cr, label, *at, pad);
  }
}

// The legend's entries: a small picture of each kind of line and mark with its name.
enum class Swatch { Speed, Limit, OverSpeed, StopZone, Signals, Protection };

const std::array<std::pair<Swatch, std::string_view>, 6> kLegend{{
    {Swatch::Speed, "速度"},
    {Swatch::Limit, "制限速度"},
    {Swatch::OverSpeed, "速度超過"},
    {Swatch::StopZone, "停止位置の範囲"},
    {Swatch::Signals, "信号 (停止・注意・進行)"},
    {Swatch::Protection, "保安装置 (赤: 非常・冒進)"},
}};

double legend_width(cairo_t* cr, double s) {
  font(cr, 12 * s);
  double w = 0;
  for (const auto& [swatch, text] : kLegend) w += 28 * s + width_of(cr, std::string(text)) + 14 * s;
  return w - 14 * s;
}

void draw_swatch(cairo_t* cr, Swatch swatch, double x, double y, double s) {
  const double w = 24 * s;
  switch (swatch) {
    case Swatch::Speed:
    case Swatch::Limit:
      colour(cr, swatch == Swatch::Speed ? kSpeed : kLimit);
      cairo_set_line_width(cr, (swatch == Swatch::Speed ? 2 : 1.5) * s);
      if (swatch == Swatch::Speed) {
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + w, y);
      } else {
        cairo_move_to(cr, x, y + 3 * s);
        cairo_line_to(cr, x + w / 2, y + 3 * s);
        cairo_line_to(cr, x + w / 2, y - 3 * s);
        cairo_line_to(cr, x + w, y - 3 * s);
      }
      cairo_stroke(cr);
      break;
    case Swatch::OverSpeed:
    case Swatch::StopZone:
      colour(cr, swatch == Swatch::OverSpeed ? kOverSpeed : kStopZone);
      cairo_rectangle(cr, x, y - 6 * s, w, 12 * s);
      cairo_fill(cr);
      break;
    case Swatch::Signals:
      dot(cr, x + 4 * s, y, 3.5 * s, kAspectStop);
      dot(cr, x + 12 * s, y, 3.5 * s, kAspectCaution);
      dot(cr, x + 20 * s, y, 3.5 * s, kAspectClear);
      break;
    case Swatch::Protection:
      diamond(cr, x + 6 * s, y, 5 * s, kProtection);
      diamond(cr, x + 18 * s, y, 5 * s, kBad);
      break;
  }
}

void draw_legend(cairo_t* cr, double x, double y, double s) {
  for (const auto& [swatch, name] : kLegend) {
    const std::string text(name);
    draw_swatch(cr, swatch, x, y, s);
    font(cr, 12 * s);
    colour(cr, kInk);
    show(cr, x + 28 * s, y + 4 * s, text);
    x += 28 * s + width_of(cr, text) + 14 * s;
  }
}

// The one drawing behind the SVG, the PNG and the pixels.
void draw_run_curve(cairo_surface_t* surface, const RunReport& report, CurveSize size) {
  const Cairo owner(cairo_create(surface));
  cairo_t* cr = owner.get();
  const RunLog& log = report.log;
  // Outlines as the font draws them, whatever the desktop's hinting: the same report gives
  // the same picture on every machine, and small digits stay legible.
  const std::unique_ptr<cairo_font_options_t, decltype(&cairo_font_options_destroy)> options(
      cairo_font_options_create(), cairo_font_options_destroy);
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options.get());
  const double w = size.width, h = size.height;
  // Sizes are laid out for 1200 × 500 and grow and shrink with the picture.
  const double s = std::clamp(std::min(w / 1200, h / 500), 0.8, 4.0);

  colour(cr, {1, 1, 1});
  cairo_paint(cr);

  const std::string title =
      (report.line_name.empty() ? std::string() : clean_text(report.line_name) + "　") + "運転曲線";
  font(cr, 18 * s);
  colour(cr, kInk);
  show(cr, 14 * s, 26 * s, title);
  const double title_right = 14 * s + width_of(cr, title);

  // The legend sits on the title's line when there is room, on a line of its own if not.
  const double legend = legend_width(cr, s);
  const bool own_row = title_right + 24 * s + legend > w - 16 * s;
  const double legend_x = own_row ? 14 * s : w - 16 * s - legend;
  draw_legend(cr, legend_x, own_row ? 48 * s : 21 * s, s);

  Plot plot;
  plot.left = 64 * s;
  plot.right = w - 20 * s;
  plot.top = (own_row ? 64 : 42) * s;
  plot.bottom = h - 46 * s;
  // Too small a picture for a plot keeps its title alone.
  if (plot.right - plot.left < 20 || plot.bottom - plot.top < 20) return;
  std::tie(plot.from_cm, plot.to_cm) = distance_shown(log);
  plot.top_kmh = speed_shown(log);

  draw_axes(cr, plot, s);
  cairo_save(cr);
  cairo_rectangle(cr, plot.left, plot.top, plot.right - plot.left, plot.bottom - plot.top);
  cairo_clip(cr);
  for (const OverSpeed& o : log.over_speeds) band(cr, plot, o.from_cm, o.to_cm, kOverSpeed, 2 * s);
  draw_stations(cr, plot, log, s);
  draw_limit(cr, plot, log, s);
  draw_speed(cr, plot, log, s);
  draw_signals(cr, plot, log, s);
  draw_protection(cr, plot, log, s);
  cairo_restore(cr);
  draw_labels(cr, plot, log, s);

  if (log.curve.empty()) {
    const std::string note = "速度の記録がありません";
    font(cr, 16 * s);
    colour(cr, kMuted);
    show(cr, (plot.left + plot.right - width_of(cr, note)) / 2, (plot.top + plot.bottom) / 2, note);
  }
}

// cairo numbers an SVG's surfaces by counters kept for the whole process, so the same
// drawing gets other ids on the next call. Every id renamed after its place in the text,
// and every reference with it, leaves a text that depends on the drawing alone.
std::string stable_ids(const std::string& svg) {
  std::map<std::string, std::string> names;
  for (std::size_t at = svg.find(" id=\""); at != std::string::npos;
       at = svg.find(" id=\"", at + 1)) {
    const std::size_t from = at + 5, end = svg.find('"', from);
    if (end == std::string::npos) break;
    const std::string old = svg.substr(from, end - from);
    // The prefix has no digits, so prefix and counter never run into another new name.
    const std::string prefix = old.substr(0, old.find_first_of("0123456789"));
    names.emplace(old, prefix + std::to_string(names.size()));
  }
  std::string out;
  out.reserve(svg.size());
  std::size_t i = 0;
  while (i < svg.size()) {
    std::size_t opener = 0;
    for (const std::string_view o : {" id=\"", "href=\"#", "url(#"})
      if (svg.compare(i, o.size(), o) == 0) opener = o.size();
    if (opener == 0) {
      out += svg[i++];
      continue;
    }
    out.append(svg, i, opener);
    i += opener;
    const std::size_t end = std::min(svg.find_first_of("\")", i), svg.size());
    const std::string name = svg.substr(i, end - i);
    const auto found = names.find(name);
    out += found == names.end() ? name : found->second;
    i = end;
  }
  return out;
}

cairo_status_t append_to_string(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t append_to_bytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<std::uint8_t>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

Surface drawn_image(const RunReport& report, CurveSize size) {
  Surface image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height));
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  draw_run_curve(image.get(), report, size);
  cairo_surface_flush(image.get());
  return image;
}

}  // namespace

std::string run_curve_svg(const RunReport& report, CurveSize size) {
  if (!drawable(size)) return {};
  std::string text;
  {
    const Surface svg(
        cairo_svg_surface_create_for_stream(append_to_string, &text, size.width, size.height));
    if (cairo_surface_status(svg.get()) != CAIRO_STATUS_SUCCESS) return {};
    // Pixels, not points: the picture keeps its size when a page shows it.
    cairo_svg_surface_set_document_unit(svg.get(), CAIRO_SVG_UNIT_PX);
    draw_run_curve(svg.get(), report, size);
    cairo_surface_finish(svg.get());
    if (cairo_surface_status(svg.get()) != CAIRO_STATUS_SUCCESS) return {};
  }
  const std::size_t start = text.find("<svg");
  if (start == std::string::npos) return {};
  return stable_ids(text.substr(start));
}

std::vector<std::uint8_t> run_curve_png(const RunReport& report, CurveSize size) {
  if (!drawable(size)) return {};
  const Surface image = drawn_image(report, size);
  if (!image) return {};
  std::vector<std::uint8_t> bytes;
  if (cairo_surface_write_to_png_stream(image.get(), append_to_bytes, &bytes) !=
      CAIRO_STATUS_SUCCESS)
    return {};
  return bytes;
}

std::vector<std::uint32_t> run_curve_pixels(const RunReport& report, CurveSize size) {
  if (!drawable(size)) return {};
  const Surface image = drawn_image(report, size);
  if (!image) return {};
  const unsigned char* data = cairo_image_surface_get_data(image.get());
  const int stride = cairo_image_surface_get_stride(image.get());
  if (data == nullptr) return {};
  const auto w = static_cast<std::size_t>(size.width);
  std::vector<std::uint32_t> pixels(w * static_cast<std::size_t>(size.height));
  // cairo pads its rows to its stride; the caller's rows are exactly `width` pixels.
  for (int row = 0; row < size.height; ++row)
    std::memcpy(pixels.data() + static_cast<std::size_t>(row) * w,
                data + static_cast<std::ptrdiff_t>(row) * stride, w * sizeof(std::uint32_t));
  return pixels;
}

void release_curve_fonts() {
  cairo_debug_reset_static_data();
  FcFini();
}

}  // namespace velmora
