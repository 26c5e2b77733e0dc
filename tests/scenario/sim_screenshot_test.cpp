// velmora-sim's screenshots of the fixture route: the cab window drawn by the SDL layer in
// memory and saved as PNG after the frame asked for.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/film_picture.h"
#include "png_pictures.h"
#include "tool_run.h"

namespace {

using namespace velmora_scenario;

ToolResult run_sim(const std::string& args) {
  return run_tool(VELMORA_SIM, "--data " VELMORA_FIXTURES "/basic " + args);
}

const std::string kPair = "--vehicle train_fixture.dat --route line_fixture.dat ";


const std::uint8_t* pixel(const Picture& p, int x, int y) {
  return static_cast<const std::uint8_t*>(p->pixels) + std::ptrdiff_t(y) * p->pitch + 3 * x;
}

bool near(const std::uint8_t* px, int r, int g, int b, int tolerance) {
  return std::abs(px[0] - r) <= tolerance && std::abs(px[1] - g) <= tolerance &&
         std::abs(px[2] - b) <= tolerance;
}

// The number a synthetic film picture carries in its marks (two rows of eight blocks across
// its top quarter), read from the middle of each block as stretched over the film area.
int film_mark(const Picture& cab) {
  int number = 0;
  for (int bit = 0; bit < 16; ++bit)
    if (pixel(cab, (bit % 8) * 100 + 50, (bit / 8) * 75 + 37)[0] > 127) number |= 1 << bit;
  return number;
}

TEST(SimScreenshot, TheFixtureCabIsSavedAfterItsFrameWithTheFilmAboveAndTheDeskBelow) {
  const fs::path dir = scratch("shots");
  // The train starts moving near frame 400; the film shows its pictures from then on.
  const std::string drive = kPair + "--frames 500 --input " VELMORA_FIXTURES "/scripts/emu_run_and_stop.txt ";
  const ToolResult r = run_sim(drive + "--screenshot 2:" + (dir / "early.png").string() + " --screenshot 499:" +
                               (dir / "cab.png").string() + " --trace " + (dir / "t.csv").string() +
                               " --fields picture_frame");
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_TRUE(fs::exists(dir / "early.png"));
  const Picture cab = read_png(dir / "cab.png");
  ASSERT_NE(cab, nullptr) << SDL_GetError();
  ASSERT_EQ(cab->w, 1202);
  ASSERT_EQ(cab->h, 778);

  // The desk: at least its panel, in its colour, below the film.
  int desk = 0;
  for (int y = 600; y < 778; ++y)
    for (int x = 0; x < 800; ++x) desk += pixel(cab, x, y)[0] | pixel(cab, x, y)[1] | pixel(cab, x, y)[2] ? 1 : 0;
  EXPECT_GT(desk, 0);
  EXPECT_TRUE(near(pixel(cab, 80, 640), 0x5a, 0x5a, 0x64, 0));

  // The fake film's mid-grey, where no sign or instrument covers it, and the picture of the
  // frame the run had reached.
  const velmora::NewFilmPicture grey = velmora::make_film_picture(2, 2);
  std::uint8_t bgra[2 * 2 * 4];
  velmora::film_picture_to_bgra(*grey.picture, bgra, 8);
  for (const auto& [x, y] : {std::pair{400, 300}, {300, 550}, {700, 590}})
    EXPECT_TRUE(near(pixel(cab, x, y), bgra[2], bgra[1], bgra[0], 2)) << x << "," << y;
  const auto trace = read_csv(dir / "t.csv");
  ASSERT_EQ(trace.size(), 501u);
  EXPECT_GT(std::stoi(trace.back()[0]), 0);
  EXPECT_EQ(std::to_string(film_mark(cab)), trace.back()[0]);

  // The same run draws the same picture.
  ASSERT_EQ(run_sim(drive + "--screenshot 499:" + (dir / "again.png").string()).status, 0);
  EXPECT_EQ(read_file(dir / "again.png"), read_file(dir / "cab.png"));
}

// The direction of the light pixels around (cx, cy), in degrees clockwise from straight up,
// as a line (0 to 180): the axis along which they spread most.
double needle_axis(const Picture& p, int cx, int cy, int half) {
  double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (int y = cy - half; y <= cy + half; ++y)
    for (int x = cx - half; x <= cx + half; ++x) {
      const std::uint8_t* px = pixel(p, x, y);
      if (px[0] < 0xe0 || px[1] < 0xe0 || px[2] < 0xe0) continue;
      const double dx = x - cx, dy = cy - y;  // y up
      n += 1, sx += dx, sy += dy, sxx += dx * dx, syy += dy * dy, sxy += dx * dy;
    }
  if (n < 10) return -1;
  const double vx = sxx / n - (sx / n) * (sx / n), vy = syy / n - (sy / n) * (sy / n);
  const double cxy = sxy / n - (sx / n) * (sy / n);
  // The principal axis, measured from the x axis counter-clockwise, then turned into the
  // dial's measure.
  const double from_x = 0.5 * std::atan2(2 * cxy, vx - vy) * 180 / M_PI;
  return std::fmod(90 - from_x + 360, 180);
}

int light_pixels(const Picture& p, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += pixel(p, x, y)[0] > 0x90 && pixel(p, x, y)[1] > 0x90 && pixel(p, x, y)[2] > 0x90;
  return n;
}

TEST(SimScreenshot, TheSpeedNeedleLampsAndLabelsShowTheStateOfTheRun) {
  const fs::path dir = scratch("instrument_shots");
  const std::string drive = kPair + "--input " VELMORA_FIXTURES "/scripts/emu_run_and_stop.txt --fields speed ";
  const ToolResult r = run_sim(drive + "--frames 900 --screenshot 899:" + (dir / "moving.png").string() +
                               " --screenshot 250:" + (dir / "standing.png").string() + " --trace " +
                               (dir / "t.csv").string());
  ASSERT_EQ(r.status, 0) << r.output;
  const auto trace = read_csv(dir / "t.csv");
  ASSERT_EQ(trace.size(), 901u);
  const Picture moving = read_png(dir / "moving.png"), standing = read_png(dir / "standing.png");
  ASSERT_NE(moving, nullptr);
  ASSERT_NE(standing, nullptr);

  // The fixture's speedometer: a 4 x 40 needle at (120, 470) turning about its middle,
  // -135 degrees at rest and 2.25 degrees a km/h. The picture was drawn from the speed the
  // frame before had reached.
  const double v = std::stod(trace[899][0]);
  ASSERT_GT(v, 10) << "the drive should be under way by then";
  const double want = std::fmod(-135 + 2.25 * v + 360, 180);
  const double got = needle_axis(moving, 122, 490, 19);
  ASSERT_GE(got, 0) << "no needle drawn";
  EXPECT_LT(std::min(std::fabs(got - want), 180 - std::fabs(got - want)), 4) << got << " vs " << want;
  const double at_rest = needle_axis(standing, 122, 490, 19);
  EXPECT_LT(std::min(std::fabs(at_rest - 45), 180 - std::fabs(at_rest - 45)), 4) << at_rest;

  // The door lamp (green, 20, 450) is lit with the doors shut; the emergency-brake lamp
  // (red, 60, 450) is dark and the film shows through.
  EXPECT_TRUE(near(pixel(moving, 23, 453), 0x28, 0xe6, 0x28, 0));
  EXPECT_FALSE(near(pixel(moving, 63, 453), 0xe6, 0x28, 0x28, 40));

  // The speed label (836, 622, 166 x 30, right-aligned) holds its text at its right end.
  EXPECT_GT(light_pixels(moving, 836, 622, 1002, 652), 40);
  EXPECT_GT(light_pixels(moving, 980, 622, 1002, 652), 5);
  EXPECT_EQ(light_pixels(moving, 836, 622, 850, 652), 0);
  // The clock label is drawn.
  EXPECT_NE(light_pixels(moving, 1040, 739, 1202, 778), 0);
}

TEST(SimScreenshot, TheValueDisplayAndTheEasyCabWindowAreDrawnWhileShown) {
  const fs::path dir = scratch("window_shots");
  std::ofstream(dir / "script.txt") << "0 menu N3\n10 key F3\n60 key F3\n";
  const ToolResult r = run_sim(kPair + "--frames 100 --input " + (dir / "script.txt").string() + " --screenshot 5:" +
                               (dir / "easy.png").string() + " --screenshot 30:" + (dir / "both.png").string() +
                               " --screenshot 90:" + (dir / "closed.png").string());
  ASSERT_EQ(r.status, 0) << r.output;
  const Picture easy = read_png(dir / "easy.png"), both = read_png(dir / "both.png"),
                closed = read_png(dir / "closed.png");
  ASSERT_TRUE(easy && both && closed);
  // Light window faces with dark writing, where the cab window is otherwise black: the
  // easy-cab window at the right, the value display over the film's left.
  const auto face = [](const Picture& p, int x0, int y0, int x1, int y1) {
    int light = 0, dark = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const std::uint8_t* px = pixel(p, x, y);
        light += near(px, 0xf0, 0xf0, 0xf0, 0);
        dark += px[0] < 0x60 && px[1] < 0x60 && px[2] < 0x60;
      }
    return std::pair{light, dark};
  };
  const auto [easy_light, easy_dark] = face(easy, 945, 70, 1175, 400);
  EXPECT_GT(easy_light, 20000);
  EXPECT_GT(easy_dark, 100);  // its texts
  EXPECT_EQ(face(easy, 45, 60, 700, 120).first, 0);
  EXPECT_GT(face(both, 45, 60, 700, 120).first, 20000);
  EXPECT_GT(face(both, 45, 60, 700, 120).second, 300);
  // F3 again hides the value display; the easy-cab window stays.
  EXPECT_EQ(face(closed, 45, 60, 700, 120).first, 0);
  EXPECT_GT(face(closed, 945, 70, 1175, 400).first, 20000);
}

TEST(SimScreenshot, AScreenshotThatCannotBeTakenIsAUsageErrorThatSaysWhy) {
  const ToolResult no_file = run_sim(kPair + "--screenshot 5");
  EXPECT_EQ(no_file.status, 2);
  EXPECT_NE(no_file.err.find("FRAME:FILE"), std::string::npos) << no_file.err;

  const ToolResult too_late = run_sim(kPair + "--frames 10 --screenshot 10:x.png");
  EXPECT_EQ(too_late.status, 2);
  EXPECT_NE(too_late.err.find("--frames"), std::string::npos) << too_late.err;

  const ToolResult no_folder = run_sim(kPair + "--frames 10 --screenshot 3:/nonexistent/velmora/x.png");
  EXPECT_EQ(no_folder.status, 2);
  EXPECT_NE(no_folder.err.find("/nonexistent/velmora"), std::string::npos) << no_folder.err;

  EXPECT_EQ(run_sim(kPair + "--screenshot -1:x.png").status, 2);
}

}  // namespace
