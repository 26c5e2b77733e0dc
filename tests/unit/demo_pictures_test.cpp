// The demo's overlay and cab pictures: strips cut into the frame sizes the route and
// vehicle files declare, empty patterns where the simulator expects nothing, and signal
// heads that light the colours of their aspects.

#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <filesystem>

#include "line_model.h"
#include "overlay_pictures.h"
#include "panel_pictures.h"
#include "pictures.h"
#include "route_designs.h"

namespace {

using namespace velmora::demo;
namespace fs = std::filesystem;

fs::path folder(const std::string& name) {
  const fs::path d = fs::temp_directory_path() / ("velmora_pictures_" + std::to_string(getpid())) / name;
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

struct Png {
  cairo_surface_t* s;
  explicit Png(const fs::path& p) : s(cairo_image_surface_create_from_png(p.c_str())) {}
  ~Png() { cairo_surface_destroy(s); }
  bool ok() const { return cairo_surface_status(s) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(s); }
  int height() const { return cairo_image_surface_get_height(s); }
  std::uint32_t at(int x, int y) const {
    const unsigned char* d = cairo_image_surface_get_data(s);
    return reinterpret_cast<const std::uint32_t*>(d + y * cairo_image_surface_get_stride(s))[x] & 0xffffff;
  }
  // Whether a pattern (w x h cell number k of a one-row strip) holds anything but the key.
  bool drawn(int k, int w, int h) const {
    for (int y = 0; y < h; ++y)
      for (int x = k * w; x < (k + 1) * w; ++x)
        if (at(x, y) != kKeyColour) return true;
    return false;
  }
  // Whether a pattern holds a colour close to rgb.
  bool has(int k, int w, int h, std::uint32_t rgb) const {
    const auto near = [](std::uint32_t a, std::uint32_t b) {
      for (int sh : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> sh) & 255) - static_cast<int>((b >> sh) & 255)) > 40) return false;
      return true;
    };
    for (int y = 0; y < h; ++y)
      for (int x = k * w; x < (k + 1) * w; ++x)
        if (near(at(x, y), rgb)) return true;
    return false;
  }
};

struct Overlays {
  fs::path dir;
  LineModel line;
  OverlaySizes z;
};

const Overlays& express_overlays() {
  static const Overlays o = [] {
    Overlays o{folder("express"), build_line(express_design(false), false), overlay_sizes(800)};
    LimitPictures limits;
    limits.speeds = {60};
    limits.end_picture = 2;
    draw_overlays(o.line, o.dir, 800, 600, limits, {{"汽笛", true}, {"制限解除", false}, {"制限解除 確認", false}});
    draw_route_pictures(o.line, o.dir, 800, 600);
    return o;
  }();
  return o;
}

fs::path image(const std::string& name) { return express_overlays().dir / "image" / "exp" / name; }

TEST(DemoOverlay, StripsAreCutIntoTheDeclaredFrames) {
  const OverlaySizes& z = express_overlays().z;
  const std::size_t stations = express_overlays().line.stations.size();
  const Png marker(image("teimoku.png"));
  ASSERT_TRUE(marker.ok());
  EXPECT_EQ(marker.width(), z.marker * (10 + static_cast<int>(stations)));
  EXPECT_EQ(marker.height(), z.marker);
  const Png signal(image("signal.png"));
  EXPECT_EQ(signal.width(), z.head_w * 43);
  EXPECT_EQ(signal.height(), z.head_h);
  const Png remain(image("remain.png"));
  EXPECT_EQ(remain.width(), z.remain * 2);
  EXPECT_EQ(remain.height(), 900);
  const Png slope(image("slope.png"));
  EXPECT_EQ(slope.width(), z.post * (1 + static_cast<int>(express_overlays().line.slopes.size())));
  const Png limit(image("limit.png"));
  EXPECT_EQ(limit.width(), z.post * 3);  // empty, 60, the end of the limit
  const Png staff(image("staff.png")), standby(image("standby.png")), sub(image("sub.png"));
  EXPECT_EQ(staff.width(), 400);
  EXPECT_EQ(standby.width(), 800);
  EXPECT_EQ(standby.height(), 600);
  EXPECT_EQ(sub.width(), 404);
}

TEST(DemoOverlay, PatternZeroIsEmptyExceptOnTheOtherSigns) {
  const OverlaySizes& z = express_overlays().z;
  EXPECT_FALSE(Png(image("teimoku.png")).drawn(0, z.marker, z.marker));
  for (int k : {6, 7, 8, 9}) EXPECT_FALSE(Png(image("teimoku.png")).drawn(k, z.marker, z.marker)) << k;
  for (int k : {1, 5, 10, 14}) EXPECT_TRUE(Png(image("teimoku.png")).drawn(k, z.marker, z.marker)) << k;
  EXPECT_FALSE(Png(image("slope.png")).drawn(0, z.post, z.post));
  EXPECT_TRUE(Png(image("slope.png")).drawn(1, z.post, z.post));
  EXPECT_FALSE(Png(image("limit.png")).drawn(0, z.post, z.post));
  EXPECT_FALSE(Png(image("cross.png")).drawn(0, z.cross, z.cross));
  EXPECT_FALSE(Png(image("signal.png")).drawn(0, z.head_w, z.head_h));
  // The time board is picture 0 of the other signs.
  EXPECT_TRUE(Png(image("other.png")).drawn(0, z.post, z.post));
  EXPECT_TRUE(Png(image("other.png")).drawn(3, z.post, z.post));
}

TEST(DemoOverlay, SignalHeadsLightTheirAspectsColours) {
  const OverlaySizes& z = express_overlays().z;
  const Png heads(image("signal.png"));
  const std::uint32_t red = 0xff2a1a, yellow = 0xffc020, green = 0x20e070;
  for (int k : {7, 10, 13, 17, 21, 26, 30}) {  // the stop pictures
    EXPECT_TRUE(heads.has(k, z.head_w, z.head_h, red)) << k;
    EXPECT_FALSE(heads.has(k, z.head_w, z.head_h, green)) << k;
  }
  for (int k : {8, 11, 14, 19, 23, 27, 31}) {  // caution
    EXPECT_TRUE(heads.has(k, z.head_w, z.head_h, yellow)) << k;
    EXPECT_FALSE(heads.has(k, z.head_w, z.head_h, red)) << k;
    EXPECT_FALSE(heads.has(k, z.head_w, z.head_h, green)) << k;
  }
  for (int k : {9, 12, 16, 20, 25, 28, 33}) {  // proceed
    EXPECT_TRUE(heads.has(k, z.head_w, z.head_h, green)) << k;
    EXPECT_FALSE(heads.has(k, z.head_w, z.head_h, red)) << k;
  }
  for (int k : {15, 24}) {  // reduced speed: yellow over green
    EXPECT_TRUE(heads.has(k, z.head_w, z.head_h, green)) << k;
    EXPECT_TRUE(heads.has(k, z.head_w, z.head_h, yellow)) << k;
  }
  for (int k = 1; k < 43; ++k) EXPECT_TRUE(heads.drawn(k, z.head_w, z.head_h)) << k;
}

TEST(DemoOverlay, TheRemainingDistanceTapeReadsZeroAtTheTopWhenStanding) {
  // At the stop the board's top lies 870 - film height above the film: that row of the
  // tape then sits at the film's top edge and carries the red zero mark.
  const Png remain(image("remain.png"));
  const int zero_row = 870 - 600;
  EXPECT_TRUE(remain.at(2, zero_row) == 0xff3030 || remain.at(2, zero_row + 1) == 0xff3030);
  EXPECT_NE(remain.at(2, zero_row + 5), 0xff3030);
  // The overrun pattern is another colour behind the same marks.
  EXPECT_NE(remain.at(remain.width() / 2 + 20, 10), remain.at(20, 10));
}

TEST(DemoPanel, NeedlesPointUpAndTurnAboutTheirCentre) {
  const fs::path dir = folder("panel");
  PanelDesign design;
  design.key = "t";
  design.title = "試験車";
  const PanelLayout L = draw_panel(design, dir);
  const Png needle(dir / "cab" / "t" / "needle_speed.png");
  ASSERT_TRUE(needle.ok());
  EXPECT_EQ(needle.width(), needle.height());
  EXPECT_EQ(needle.width(), L.speed.size);
  const int c = needle.width() / 2;
  EXPECT_NE(needle.at(c, c / 3), kKeyColour);          // the tip, straight up
  EXPECT_EQ(needle.at(c, needle.height() - 3), kKeyColour);  // nothing below the hub's tail
  EXPECT_EQ(needle.at(3, c), kKeyColour);
  // The scale: 0 at -135 degrees, the full scale 270 degrees further.
  EXPECT_EQ(L.speed.zero, -135);
  EXPECT_DOUBLE_EQ(L.speed.one * design.speed_max, 270.0);
}

TEST(DemoPanel, StripsHoldAPatternPerPosition) {
  const fs::path dir = folder("strips");
  PanelDesign design;
  design.key = "d";
  design.title = "気動車";
  design.power = 5;
  design.brake = 8;
  design.diesel = true;
  design.gears = 4;
  design.cab_signal_speeds = {0, 15, 25, 35};
  const PanelLayout L = draw_panel(design, dir);
  const Png digits(dir / "cab" / "d" / "digits.png");
  EXPECT_EQ(digits.width() / L.digits.width * (digits.height() / L.digits.height), 200);
  const Png p(dir / "cab" / "d" / "notch_p.png"), b(dir / "cab" / "d" / "notch_b.png");
  EXPECT_EQ(p.width() / L.notch_p.width, design.power + 1);
  EXPECT_EQ(b.width() / L.notch_b.width, design.brake + 1);
  const Png gear(dir / "cab" / "d" / "gear.png"), cab(dir / "cab" / "d" / "cab_signal.png");
  EXPECT_EQ(gear.width() / L.gear.width, design.gears);
  EXPECT_EQ(cab.width() / L.cab_signal.width, 4);
  EXPECT_TRUE(L.ammeter.file.empty()) << "a diesel has no ammeter";
  EXPECT_EQ(L.others.size(), 8u);
  // A lit notch cell: pattern 0 dark, pattern 5 lights its fifth cell.
  const int cell = L.notch_p.width / design.power;
  EXPECT_NE(p.at(5 * L.notch_p.width + 4 * cell + cell / 2, L.notch_p.height / 2),
            p.at(0 * L.notch_p.width + 4 * cell + cell / 2, L.notch_p.height / 2));
}

TEST(DemoOverlay, TheMarkerBoardsStandLeftOfTheRemainingDistanceBoard) {
  // The opaque board slides down the film's right edge, over the marker's right part.
  const OverlaySizes& z = express_overlays().z;
  const Png marker(image("teimoku.png"));
  for (int k : {1, 3, 5, 10, 11, 14}) {
    SCOPED_TRACE(k);
    EXPECT_TRUE(marker.drawn(k, z.marker, z.marker));
    for (int y = 0; y < z.marker; ++y)
      for (int x = (k + 1) * z.marker - z.remain; x < (k + 1) * z.marker; ++x)
        ASSERT_EQ(marker.at(x, y), kKeyColour) << x << "," << y;
  }
}

TEST(DemoOverlay, SignTextsStayOnTheirBoardsAndTheCrossingLightAboveThem) {
  const OverlaySizes& z = express_overlays().z;
  const int p = z.post;
  const Png other(image("other.png"));
  // Signs 1 to 3: 汽笛, 制限解除 and 制限解除 確認; beside the board only the key is left.
  for (int k : {1, 2, 3}) {
    SCOPED_TRACE(k);
    for (int y = p * 12 / 100 + 1; y < p * 68 / 100; ++y)
      for (int x : {k * p + p * 14 / 100 - 2, k * p + p * 86 / 100 + 2})
        ASSERT_EQ(other.at(x, y), kKeyColour) << x << "," << y;
  }
  // The crossing light's place is 5 % of the film height (30 px) above the other signs'.
  const Png cross(image("cross.png"));
  for (int y = 30; y < z.cross; ++y)
    for (int x = 0; x < cross.width(); ++x) ASSERT_EQ(cross.at(x, y), kKeyColour) << x << "," << y;
}

struct Desk {
  const char* name;
  PanelDesign design;
};

std::vector<Desk> desks() {
  return {{"85", {"85", "85系", 160, 5, 9, false, false, true, 0, {}}},
          {"75", {"75", "75系", 120, 4, 4, true, false, false, 0, {}}},
          {"313", {"313", "キハ313形", 120, 5, 8, false, true, false, 4, {0, 15, 25, 35, 45, 55}}}};
}

struct Box {
  std::string what;
  int left, top, right, bottom;  // px on the cab surface, right and bottom exclusive
};

// Every element of a desk as the rectangle it covers; a dial's rim lies 5 px outside its
// needle's square, and two needles on one dial give one box.
std::vector<Box> desk_boxes(const PanelLayout& L) {
  std::vector<Box> boxes;
  const auto add = [&](const std::string& what, int x, int y, int w, int h) {
    if (what.empty()) return;
    for (const Box& b : boxes)
      if (b.left == x && b.top == y && b.right == x + w && b.bottom == y + h) return;
    boxes.push_back({what, x, y, x + w, y + h});
  };
  for (const auto& [key, at] : L.lamps) add(key, at.x, at.y, at.width, at.height);
  add(L.suppress.file, L.suppress.x, L.suppress.y, L.suppress.width, L.suppress.height);
  for (const NeedlePlace* n : {&L.speed, &L.bc, &L.mr, &L.er, &L.bp, &L.ammeter, &L.volt, &L.brake_cmd})
    add(n->file, n->left - 5, n->top - 5, n->size + 10, n->size + 10);
  for (const StripPlace* s : {&L.notch_p, &L.notch_b, &L.gear, &L.gear_lever, &L.digits, &L.cab_signal})
    add(s->file, s->x, s->y, s->width, s->height);
  for (const Placed& o : L.others) add(o.file, o.x, o.y, o.width, o.height);
  return boxes;
}

TEST(DemoPanel, TheDeskLiesBelowTheFilmClearOfTheBoardAndOfItself) {
  // The film ends at 600, the window shows the cab surface to 778, and the
  // remaining-distance board slides down the right-hand 40 px into the desk.
  const int board_left = 800 - overlay_sizes(800).remain;
  for (const Desk& d : desks()) {
    SCOPED_TRACE(d.name);
    const fs::path dir = folder(std::string("desk_") + d.name);
    const PanelLayout L = draw_panel(d.design, dir);
    EXPECT_EQ(L.panel.y, 600);
    EXPECT_EQ(L.panel.y + Png(dir / "cab" / d.name / "panel.png").height(), 780);
    const std::vector<Box> boxes = desk_boxes(L);
    EXPECT_GE(boxes.size(), 30u);
    for (const Box& b : boxes) {
      EXPECT_GE(b.top, 600) << b.what;
      EXPECT_LE(b.bottom, 778) << b.what;
      EXPECT_GE(b.left, 0) << b.what;
      EXPECT_LE(b.right, board_left) << b.what;
    }
    // The digital speed's box alone sits in a dial: the speedometer's.
    for (std::size_t i = 0; i < boxes.size(); ++i)
      for (std::size_t j = i + 1; j < boxes.size(); ++j) {
        const Box &a = boxes[i], &b = boxes[j];
        const bool apart = a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
        const bool digits = (a.what == L.speed.file && b.what == L.digits.file) ||
                            (a.what == L.digits.file && b.what == L.speed.file);
        EXPECT_TRUE(apart || digits) << a.what << " and " << b.what;
      }
  }
}

TEST(DemoPanel, TheDigitalSpeedHidesNoFigureOfTheSpeedometer) {
  for (const Desk& d : desks()) {
    SCOPED_TRACE(d.name);
    const fs::path dir = folder(std::string("digits_") + d.name);
    const PanelLayout L = draw_panel(d.design, dir);
    const Png desk(dir / "cab" / d.name / "panel.png");
    ASSERT_TRUE(desk.ok());
    // The box covers the dial's dark face only: no white of a figure or a mark under it.
    const int top = L.panel.y;
    for (int y = L.digits.y - 2; y < L.digits.y + L.digits.height + 2; ++y)
      for (int x = L.digits.x - 2; x < L.digits.x + L.digits.width + 2; ++x) {
        const std::uint32_t c = desk.at(x, y - top);
        ASSERT_FALSE((c & 0xff) > 150 && ((c >> 8) & 0xff) > 150 && (c >> 16) > 150) << x << "," << y;
      }
  }
}

TEST(DemoPanel, EachNeedleReadsZeroAtItsScalesZeroMark) {
  // The simulator turns a needle to zero + value x one degrees.
  struct Case {
    const char* gauge;
    double value, degrees;
  };
  const fs::path dir = folder("zeros");
  const PanelLayout L = draw_panel(desks()[0].design, dir);
  const auto angle = [&](const std::string& gauge, double v) {
    const NeedlePlace& n = gauge == "A" ? L.ammeter : gauge == "km/h" ? L.speed : L.volt;
    return n.zero + v * n.one;
  };
  // The ammeter's scale runs from -500 A at -90 degrees to 1000 A at 135 degrees.
  for (const Case& c : {Case{"A", -500, -90}, Case{"A", 0, -15}, Case{"A", 1000, 135}, Case{"km/h", 0, -135},
                        Case{"km/h", 160, 135}, Case{"V", 0, -120}, Case{"V", 1500, 60}})
    EXPECT_NEAR(angle(c.gauge, c.value), c.degrees, 1e-9) << c.gauge << " " << c.value;
}

TEST(DemoPanel, TheTunnelPictureLeavesTheViewFree) {
  // Shown over the film inside tunnels: only faint reflections along its lower edge.
  const fs::path dir = folder("panel2");
  draw_panel(desks()[0].design, dir);
  const Png glass(dir / "cab" / "85" / "panel2.png");
  ASSERT_TRUE(glass.ok());
  int drawn = 0, high = 0;
  for (int y = 0; y < glass.height(); ++y)
    for (int x = 0; x < glass.width(); ++x)
      if (glass.at(x, y) != kKeyColour) {
        ++drawn;
        if (y < glass.height() * 9 / 10) ++high;
      }
  EXPECT_GT(drawn, 0);
  EXPECT_EQ(high, 0);
  EXPECT_LT(drawn, glass.width() * glass.height() / 50);
}

// The font caches are freed once every test has drawn, so the leak checker sees only
// real leaks.
class FontCaches : public ::testing::Environment {
 public:
  void TearDown() override { release_font_caches(); }
};
[[maybe_unused]] ::testing::Environment* const font_caches = ::testing::AddGlobalTestEnvironment(new FontCaches);

}  // namespace
