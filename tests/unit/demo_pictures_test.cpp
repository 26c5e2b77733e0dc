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
  PanelSpec design;
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
  PanelSpec design;
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

// The font caches are freed once every test has drawn, so the leak checker sees only
// real leaks.
class FontCaches : public ::testing::Environment {
 public:
  void TearDown() override { release_font_caches(); }
};
[[maybe_unused]] ::testing::Environment* const font_caches = ::testing::AddGlobalTestEnvironment(new FontCaches);

}  // namespace
