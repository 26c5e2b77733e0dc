// The report's pages: the run curve as SVG, PNG and pixels, and the HTML page, read back
// with expat and cairo's own PNG reader.

#include <cairo.h>
#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>

#include "report/report_html.h"
#include "report/report_text.h"
#include "report/run_curve.h"

namespace velmora {
namespace {

constexpr int kTen = 10 * 3600 * 30;  // 10:00:00 in clock ticks

// cairo and fontconfig keep their fonts for the process; the leak checker sees them unless
// they are given back after the last test.
class FontsReleased : public ::testing::Environment {
  void TearDown() override { release_curve_fonts(); }
};
const ::testing::Environment* const kFontsReleased =
    ::testing::AddGlobalTestEnvironment(new FontsReleased);

// Speed at `x` cm on a leg from `from` to `to`: up at 0.7 m/s², level at `top`, down at
// 0.9 m/s².
long double leg_speed(long double x, long double from, long double to, long double top) {
  const auto reached = [](long double cm, long double rate) {
    return 3.6L * std::sqrt(2 * rate * std::max(0.0L, cm) / 100);
  };
  return std::min({reached(x - from, 0.7L), reached(to - x, 0.9L), top});
}

// Three stops (the middle one overrun and corrected), a station passed, a stretch above a
// 60 km/h limit, the protection's alarm and a signal passed at stop with its emergency brake.
RunReport sample_report() {
  RunReport r;
  r.line_name = "試験線";
  r.route_file = "line.dat";
  r.vehicle_file = "car.dat";
  r.seed = 42;
  r.frames = 9000;
  RunLog& log = r.log;
  log.started = true;
  const auto station = [](const char* name, long double cm) {
    StationRecord s;
    s.name = name;
    s.position_cm = cm;
    s.zone_from_cm = cm - 500;
    s.zone_to_cm = cm + 500;
    return s;
  };
  StationRecord first = station("始発駅", 0), middle = station("中間駅", 150000),
                passed = station("通過駅", 240000), last = station("終着駅", 320000);
  first.index = 0;
  first.start = true;
  first.deptime = kTen;
  first.departure_ticks = kTen + 45;
  first.stop_error_cm = 0;
  first.in_zone = true;
  middle.index = 1;
  middle.deptime = kTen + 30 * 150;
  middle.arrival_ticks = kTen + 30 * 120;
  middle.departure_ticks = kTen + 30 * 155;
  middle.stop_error_cm = 150;
  middle.in_zone = true;
  middle.overrun = true;
  middle.stop_back = true;
  middle.doors_open_ms = 21500;
  passed.index = 2;
  passed.stops = false;
  last.index = 3;
  last.arrival_ticks = kTen + 30 * 290;
  last.stop_error_cm = -30;
  last.in_zone = true;
  log.stations = {first, middle, passed, last};

  for (long double x = 0; x <= 320000; x += 400) {  // both stops on a point
    CurvePoint p;
    p.position_cm = x;
    p.speed_kmh = x <= 150800 ? leg_speed(x, 0, 150800, 68) : leg_speed(x, 150800, 320000, 80);
    // No limit (999) past the middle station until the approach to the last.
    p.limit_kmh = x >= 50000 && x < 90000 ? 60 : x > 150800 && x < 260000 ? 999 : 70;
    log.curve.push_back(p);
  }
  log.over_speeds.push_back({60000, 75000, kTen + 30 * 40, 6500, 15000, 60, 7.5L, "limit"});
  const auto on_line = [](long double cm) { return leg_speed(cm, 0, 150800, 68); };
  log.protection = {{"ats_bell", kTen + 30 * 80, 100000, on_line(100000), "信号 2"},
                    {"ats_confirm", kTen + 30 * 81, 101000, on_line(101000), ""},
                    {"signal_at_stop", kTen + 30 * 118, 148000, on_line(148000), "信号 3"},
                    {"emergency", kTen + 30 * 118, 148100, on_line(148100), ""}};
  log.signals = {{1, 30000, 4, kTen + 30 * 20},
                 {2, 90000, 1, kTen + 30 * 70},
                 {3, 148000, 0, kTen + 30 * 118}};
  log.comfort = {3.2L, 5.5L, 1, 2};
  log.totals = {320000, 300000, kTen, kTen + 30 * 300, 5.4e7L, 0};
  r.score = {87.5L, {{"停止位置", "行き過ぎ1回", 5}, {"速度超過", "最大7.5km/h 6.5秒", 7.5L}}};
  return r;
}

// Names that are markup, and bytes that are neither text nor UTF-8.
RunReport hostile_report() {
  RunReport r = sample_report();
  r.line_name = "<b>線\xFF</b>";
  r.log.stations[1].name = "<&>\"'駅\x01";
  r.log.protection[0].detail = "</td>";
  return r;
}

RunReport empty_report() {
  RunReport r;
  r.line_name = "空線";
  return r;
}

// Empty when `text` is well-formed XML, else expat's complaint and where.
std::string xml_error(const std::string& text) {
  const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
      XML_ParserCreate("UTF-8"), XML_ParserFree);
  if (XML_Parse(parser.get(), text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK)
    return {};
  return std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) + " at line " +
         std::to_string(XML_GetCurrentLineNumber(parser.get()));
}

std::string svg_in(const std::string& page) {
  const std::size_t from = page.find("<svg"), to = page.find("</svg>");
  if (from == std::string::npos || to == std::string::npos) return {};
  return page.substr(from, to + 6 - from);
}

TEST(ReportPages, PageAndCurveAreWellFormed) {
  // The page is written as XML too, so expat checks the whole of it, the curve within.
  const struct {
    const char* name;
    RunReport report;
  } cases[] = {
      {"sample", sample_report()}, {"hostile", hostile_report()}, {"empty", empty_report()}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string page = report_html(c.report), curve = run_curve_svg(c.report);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(xml_error(page), "");
    EXPECT_EQ(curve.rfind("<svg", 0), 0u);
    EXPECT_EQ(xml_error(curve), "");
    EXPECT_EQ(svg_in(page), curve.substr(0, curve.rfind("</svg>") + 6));
  }
}

TEST(ReportPages, UsersTextStaysText) {
  const std::string page = report_html(hostile_report());
  EXPECT_NE(page.find("&lt;&amp;&gt;&quot;&#39;駅"), std::string::npos);
  EXPECT_NE(page.find("&lt;b&gt;線\xEF\xBF\xBD&lt;/b&gt;"), std::string::npos);
  EXPECT_NE(page.find("&lt;/td&gt;"), std::string::npos);
  EXPECT_EQ(page.find("<&>"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
}

TEST(ReportPages, PageShowsTheFiguresWithTheirSigns) {
  const RunReport r = sample_report();
  const std::string page = report_html(r);
  for (const std::string& expected :
       {std::string("得点 87.5 / 100"), std::string("合計 12.5 点"),
        std::string(">+1.5<"),                               // left 45 ticks late
        std::string(">+1.50<"),                              // the middle stop, 1.5 m past
        std::string(">-0.30<"),                              // the last, 30 cm short
        std::string(">0.00<"),                               // the start, no sign
        std::string("0.600–0.750"), std::string(">150.0<"),  // the stretch, m
        std::string("5分00.0秒"), std::string("15.00 kWh"), protection_kind_text("signal_at_stop"),
        limit_kind_text("limit")}) {
    EXPECT_NE(page.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(page.find("最大モーター電流"), std::string::npos);  // this vehicle has none
}

struct PngReading {
  const std::vector<std::uint8_t>* bytes;
  std::size_t at = 0;
};

cairo_status_t read_png(void* closure, unsigned char* data, unsigned int length) {
  auto* r = static_cast<PngReading*>(closure);
  if (r->at + length > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, r->bytes->data() + r->at, length);
  r->at += length;
  return CAIRO_STATUS_SUCCESS;
}

TEST(RunCurve, PngAndPixelsHaveTheAskedSize) {
  const RunReport r = sample_report();
  for (const CurveSize size : {CurveSize{1200, 500}, CurveSize{640, 300}, CurveSize{333, 157}}) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    const std::vector<std::uint8_t> png = run_curve_png(r, size);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    PngReading reading{&png};
    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> decoded(
        cairo_image_surface_create_from_png_stream(read_png, &reading), cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(decoded.get()), CAIRO_STATUS_SUCCESS);
    const int w = cairo_image_surface_get_width(decoded.get());
    ASSERT_EQ(w, size.width);
    ASSERT_EQ(cairo_image_surface_get_height(decoded.get()), size.height);

    // The pixels are the PNG's picture, row for row (the picture is opaque, so
    // premultiplying changes nothing).
    const std::vector<std::uint32_t> pixels = run_curve_pixels(r, size);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size.width) * size.height);
    const unsigned char* data = cairo_image_surface_get_data(decoded.get());
    const int stride = cairo_image_surface_get_stride(decoded.get());
    for (int row = 0; row < size.height; ++row)
      ASSERT_EQ(std::memcmp(pixels.data() + row * w, data + row * stride, w * 4u), 0) << row;
  }
  for (const CurveSize size : {CurveSize{0, 500}, CurveSize{1200, -1}, CurveSize{20000, 10}}) {
    EXPECT_TRUE(run_curve_png(r, size).empty());
    EXPECT_TRUE(run_curve_svg(r, size).empty());
    EXPECT_TRUE(run_curve_pixels(r, size).empty());
  }
}

// How many pixels of the speed line's blue each row holds.
std::vector<int> speed_blue_by_row(const RunReport& r, CurveSize size) {
  const std::vector<std::uint32_t> pixels = run_curve_pixels(r, size);
  std::vector<int> rows(static_cast<std::size_t>(size.height));
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const int red = (pixels[i] >> 16) & 0xFF, green = (pixels[i] >> 8) & 0xFF,
              blue = pixels[i] & 0xFF;
    if (std::abs(red - 26) < 12 && std::abs(green - 77) < 12 && std::abs(blue - 204) < 12)
      ++rows[i / static_cast<std::size_t>(size.width)];
  }
  return rows;
}

TEST(RunCurve, ScaleFollowsTheSpeedNotTheNoLimitMark) {
  // 50 km/h under "no limit" (999) everywhere: the level line lies in the upper half.
  RunReport r;
  for (int i = 0; i <= 100; ++i) r.log.curve.push_back({i * 1000.0L, 50, 999});
  const std::vector<int> rows = speed_blue_by_row(r, {1200, 500});
  const auto line = std::max_element(rows.begin(), rows.end());
  EXPECT_GT(*line, 500);
  EXPECT_LT(line - rows.begin(), 250);
  // A broken name stops no drawing: the speed line is still there under a hostile title
  // (the legend's sample alone is a few dozen pixels).
  const std::vector<int> hostile = speed_blue_by_row(hostile_report(), {1200, 500});
  EXPECT_GT(std::accumulate(hostile.begin(), hostile.end(), 0), 500);
}

TEST(ReportPages, SameReportSameBytes) {
  const RunReport r = sample_report();
  const std::string svg = run_curve_svg(r), page = report_html(r);
  const std::vector<std::uint8_t> png = run_curve_png(r);
  // Another drawing in between moves cairo's counters on.
  (void)run_curve_svg(empty_report());
  EXPECT_EQ(run_curve_svg(r), svg);
  EXPECT_EQ(report_html(r), page);
  EXPECT_EQ(run_curve_png(r), png);
}

TEST(ReportText, NumbersAndNames) {
  const struct {
    std::string got, expected;
  } cases[] = {
      {fixed_text(1234.5678L, 2), "1234.57"},
      {fixed_text(-0.004L, 2), "0.00"},
      {fixed_text(NAN, 1), "—"},
      {signed_text(2, 2), "+2.00"},
      {signed_text(-0.3L, 2), "-0.30"},
      {signed_text(0.001L, 2), "0.00"},
      {clean_text("駅\tA"), "駅 A"},
      {clean_text("\xE9\xA7"), "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {clean_text("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // an overlong "/"
      {clean_text("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

}  // namespace
}  // namespace velmora
