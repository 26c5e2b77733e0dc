#include "frame_histogram.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora::bench {

double percentile(std::vector<double> ms, double p) {
  if (ms.empty()) return 0;
  std::sort(ms.begin(), ms.end());
  const double rank = p * static_cast<double>(ms.size() - 1) + 0.5;
  return ms[std::min(ms.size() - 1, static_cast<std::size_t>(rank))];
}

FrameTimeFigures frame_time_figures(const std::vector<double>& ms) {
  FrameTimeFigures f;
  f.frames = ms.size();
  f.median_ms = percentile(ms, 0.5);
  f.p99_ms = percentile(ms, 0.99);
  f.p999_ms = percentile(ms, 0.999);
  f.worst_ms = percentile(ms, 1);
  std::size_t run = 0;
  for (const double m : ms) {
    run = m > kBudgetMs ? run + 1 : 0;
    if (run > 0) ++f.missed;
    f.longest_missed = std::max(f.longest_missed, run);
  }
  return f;
}

std::vector<std::size_t> frame_time_bins(const std::vector<double>& ms) {
  std::vector<std::size_t> bins(kBins + 1, 0);
  for (const double m : ms) {
    const double bin = std::floor(std::max(m, 0.0) / kBinMs);
    ++bins[bin >= static_cast<double>(kBins) ? kBins : static_cast<std::size_t>(bin)];
  }
  return bins;
}

namespace {

constexpr int kWidth = 960, kHeight = 540;
constexpr double kLeft = 80, kRight = 30, kTop = 86, kBottom = 64;
// The overflow bin stands apart, right of the 20 ms end of the axis.
constexpr double kOverflowAt = 20.5, kAxisEndMs = 21.25;
// The count axis starts below 1 so that a bin of a single pass still shows.
constexpr double kCountFloor = 0.5;

struct Plot {
  double top_count;  // a power of ten at or above the largest bin
  double x(double ms) const { return kLeft + ms / kAxisEndMs * (kWidth - kLeft - kRight); }
  double y(double count) const {
    const double share = std::log10(count / kCountFloor) / std::log10(top_count / kCountFloor);
    return kHeight - kBottom - std::clamp(share, 0.0, 1.0) * (kHeight - kTop - kBottom);
  }
};

void text_at(cairo_t* cr, const std::string& s, double x, double y, double size, double align) {
  cairo_set_font_size(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, s.c_str(), &e);
  cairo_move_to(cr, x - align * e.x_advance, y);
  cairo_show_text(cr, s.c_str());
}

void mark(cairo_t* cr, const Plot& plot, double ms, const std::string& label, double r, double g,
          double b) {
  cairo_set_source_rgb(cr, r, g, b);
  cairo_set_line_width(cr, 1.5);
  const double dashes[] = {6, 4};
  cairo_set_dash(cr, dashes, 2, 0);
  cairo_move_to(cr, plot.x(ms), kTop - 6);
  cairo_line_to(cr, plot.x(ms), kHeight - kBottom);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
  text_at(cr, label, plot.x(ms) + 4, kTop + 4, 12, 0);
}

void draw(cairo_t* cr, const std::vector<std::size_t>& bins, const std::string& title,
          const std::string& subtitle) {
  const std::size_t largest = *std::max_element(bins.begin(), bins.end());
  Plot plot{10};
  while (plot.top_count < static_cast<double>(largest)) plot.top_count *= 10;

  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_source_rgb(cr, 0, 0, 0);
  text_at(cr, title, kWidth / 2.0, 30, 18, 0.5);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  text_at(cr, subtitle, kWidth / 2.0, 54, 13, 0.5);

  // Count axis: a grid line at each power of ten.
  cairo_set_line_width(cr, 1);
  char label[32];
  for (double c = 1; c <= plot.top_count; c *= 10) {
    cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
    cairo_move_to(cr, kLeft, plot.y(c));
    cairo_line_to(cr, plot.x(kAxisEndMs), plot.y(c));
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    std::snprintf(label, sizeof label, "%.0f", c);
    text_at(cr, label, kLeft - 6, plot.y(c) + 4, 11, 1);
  }
  cairo_save(cr);
  cairo_translate(cr, 22, (kTop + kHeight - kBottom) / 2);
  cairo_rotate(cr, -M_PI / 2);
  text_at(cr, "passes (logarithmic)", 0, 0, 12, 0.5);
  cairo_restore(cr);

  // Time axis: a tick every 2 ms, the overflow bin labelled apart.
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_move_to(cr, kLeft, kHeight - kBottom);
  cairo_line_to(cr, plot.x(kAxisEndMs), kHeight - kBottom);
  cairo_stroke(cr);
  for (int ms = 0; ms <= 20; ms += 2) {
    cairo_move_to(cr, plot.x(ms), kHeight - kBottom);
    cairo_line_to(cr, plot.x(ms), kHeight - kBottom + 5);
    cairo_stroke(cr);
    std::snprintf(label, sizeof label, "%d", ms);
    text_at(cr, label, plot.x(ms), kHeight - kBottom + 18, 11, 0.5);
  }
  text_at(cr, "≥ 20", plot.x(kOverflowAt + kBinMs), kHeight - kBottom + 18, 11, 0.5);
  text_at(cr, "time of a pass (ms), bins of 0.25 ms", kWidth / 2.0, kHeight - 18, 12, 0.5);

  // Bars: within 8 ms blue, up to the frame orange, past it red.
  for (std::size_t i = 0; i <= kBins; ++i) {
    if (bins[i] == 0) continue;
    const double from = i == kBins ? kOverflowAt : static_cast<double>(i) * kBinMs;
    const double centre = from + kBinMs / 2;
    if (i == kBins || centre > kBudgetMs)
      cairo_set_source_rgb(cr, 0.80, 0.15, 0.15);
    else if (centre > 8)
      cairo_set_source_rgb(cr, 0.93, 0.55, 0.10);
    else
      cairo_set_source_rgb(cr, 0.20, 0.40, 0.70);
    const double width = i == kBins ? 2 * kBinMs : kBinMs;
    const double top = plot.y(static_cast<double>(bins[i]));
    cairo_rectangle(cr, plot.x(from) + 0.5, top, plot.x(from + width) - plot.x(from) - 1,
                    kHeight - kBottom - top);
    cairo_fill(cr);
  }
  if (bins[kBins] > 0) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    std::snprintf(label, sizeof label, "%zu", bins[kBins]);
    text_at(cr, label, plot.x(kOverflowAt + kBinMs), plot.y(static_cast<double>(bins[kBins])) - 4,
            11, 0.5);
  }

  mark(cr, plot, 8, "8 ms", 0.85, 0.50, 0.05);
  mark(cr, plot, kBudgetMs, "16.667 ms: one frame", 0.80, 0.10, 0.10);
}

}  // namespace

std::string write_histogram_png(const std::string& path, const std::vector<double>& ms,
                                const std::string& title, const std::string& subtitle) {
  if (ms.empty()) return "no frame times to draw";
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  draw(cr, frame_time_bins(ms), title, subtitle);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
  return status == CAIRO_STATUS_SUCCESS ? std::string{} : cairo_status_to_string(status);
}

}  // namespace velmora::bench
