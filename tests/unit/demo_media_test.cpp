// make-demo's sounds and pictures: WAV files the simulator's length reader measures right,
// loops that join without a step, phrases that stay recognisable without a speech
// synthesiser, and keyed pictures whose transparent colour is where the loader looks.

#include <gtest/gtest.h>

#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/wav_seconds.h"
#include "film_render.h"
#include "film_scene.h"
#include "line_model.h"
#include "pictures.h"
#include "route_designs.h"
#include "sounds.h"
#include "voices.h"

namespace {

using namespace velmora;
using namespace velmora::demo;
namespace fs = std::filesystem;

fs::path folder(const std::string& name) {
  const fs::path d = fs::temp_directory_path() / ("velmora_media_" + std::to_string(getpid())) / name;
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

std::uint32_t pixel(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xffffff;
}

TEST(DemoSound, TheLengthReaderMeasuresTheWrittenFiles) {
  const fs::path dir = folder("wave");
  for (double seconds : {0.5, 1.0, 2.4, 3.0}) {
    Wave w;
    w.samples.assign(static_cast<std::size_t>(seconds * kSoundRate), 0.25f);
    save_wave(w, dir / "w.wav");
    // Whole seconds, cut off, as the simulator counts a sound's length.
    EXPECT_EQ(wav_seconds(dir / "w.wav", [](const std::string&) {}), static_cast<int>(seconds)) << seconds;
    EXPECT_EQ(fs::file_size(dir / "w.wav"), 44 + w.samples.size() * 2);
  }
}

TEST(DemoSound, AWrittenSoundReadsBackAndOtherRatesAreResampled) {
  const fs::path dir = folder("read");
  Wave w = chime({440, 660}, 0.2);
  save_wave(w, dir / "c.wav");
  const Wave back = read_wave(dir / "c.wav");
  ASSERT_EQ(back.samples.size(), w.samples.size());
  for (std::size_t i = 0; i < w.samples.size(); i += 101) EXPECT_NEAR(back.samples[i], w.samples[i], 1.0 / 16000);
  // A stereo file at 11025 Hz with a chunk before its data: read as mono at 22050 Hz.
  std::string b = "RIFF....WAVEfmt ";
  const auto put = [&b](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * i)) & 255);
  };
  put(16, 4);
  put(1, 2);
  put(2, 2);
  put(11025, 4);
  put(11025 * 4, 4);
  put(4, 2);
  put(16, 2);
  b += "LIST";
  put(4, 4);
  b += "abcd";
  b += "data";
  put(11025 * 4, 4);
  for (int i = 0; i < 11025; ++i) {
    put(8000, 2);
    put(0, 2);
  }
  std::ofstream(dir / "s.wav", std::ios::binary) << b;
  const Wave s = read_wave(dir / "s.wav");
  EXPECT_EQ(s.samples.size(), static_cast<std::size_t>(kSoundRate));
  EXPECT_NEAR(s.samples[100], 8000.0 / 32768, 1e-3);
}

TEST(DemoSound, LoopsEndWhereTheyBegin) {
  // A looped sound plays its end into its start: the two sides of the join match.
  for (const Wave& w : {running_noise(0), running_noise(6), motor_whine(0), engine_note(1), compressor(1)}) {
    ASSERT_GT(w.samples.size(), 1000u);
    EXPECT_LT(std::fabs(w.samples.back() - w.samples.front()), 0.2f);
  }
}

TEST(DemoSound, RunningNoiseGrowsWithItsBand) {
  const auto loudness = [](const Wave& w) {
    double sum = 0;
    for (float v : w.samples) sum += v * v;
    return std::sqrt(sum / w.samples.size());
  };
  EXPECT_LT(loudness(running_noise(1)), loudness(running_noise(12)));
}

TEST(DemoVoices, WithoutSpeechAPhraseIsItsOwnToneSequence) {
  Voices tones(folder("voices"), false);
  EXPECT_FALSE(tones.speaking());
  const Wave a = tones.say("しゅっぱつ しんこう"), b = tones.say("しゅっぱつ しんこう"), c = tones.say("ていし");
  EXPECT_EQ(a.samples, b.samples);
  EXPECT_NE(a.samples.size(), c.samples.size());
  EXPECT_GT(a.seconds(), 0.5);
}

TEST(DemoPicture, AKeyedPictureIsTransparentWhereNothingIsDrawn) {
  const fs::path dir = folder("keyed");
  draw_keyed(dir / "lamp.png", 40, 20, [](cairo_t* cr) {
    cairo_rectangle(cr, 5, 2, 30, 12);
    // A colour as near the key as a drawing could come.
    cairo_set_source_rgb(cr, 1, 0, 1);
    cairo_fill(cr);
  });
  cairo_surface_t* s = cairo_image_surface_create_from_png((dir / "lamp.png").c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(pixel(s, 0, 19), kKeyColour);   // the loader takes its key from here
  EXPECT_EQ(pixel(s, 39, 0), kKeyColour);   // nothing drawn: transparent
  EXPECT_NE(pixel(s, 20, 8), kKeyColour);   // the drawing never becomes transparent
  cairo_surface_destroy(s);
}

TEST(DemoPicture, AnOddSizedPictureHasColourInItsLastRowAndColumn) {
  // The title pictures are 533 rows high: the last row's colour must be written too.
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 5, 3);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  std::vector<std::uint8_t> y(5 * 3), u(3 * 2, 0), v(3 * 2, 0);
  std::uint8_t* planes[3] = {y.data(), u.data(), v.data()};
  const int strides[3] = {5, 3, 3};
  surface_to_yuv(s, planes, strides, true);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(v[static_cast<std::size_t>(k)], 255) << k;  // full-range red: Cr at its top
    EXPECT_EQ(u[static_cast<std::size_t>(k)], u[0]) << k;
  }
  cairo_surface_destroy(s);
}

TEST(DemoPicture, AnOpaquePictureKeysOnlyItsCornerPixel) {
  const fs::path dir = folder("opaque");
  draw_keyed(dir / "panel.png", 30, 10, [](cairo_t* cr) {
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_paint(cr);
  });
  cairo_surface_t* s = cairo_image_surface_create_from_png((dir / "panel.png").c_str());
  EXPECT_EQ(pixel(s, 0, 9), kKeyColour);
  EXPECT_NE(pixel(s, 1, 9), kKeyColour);
  EXPECT_NE(pixel(s, 0, 8), kKeyColour);
  cairo_surface_destroy(s);
}

TEST(DemoFilm, TheViewShowsSkyAboveTrackBelowAndDarknessInATunnel) {
  const LineModel line = build_line(express_design(true), true);
  FilmRenderer r(build_scene(line), 160, 120);
  r.draw(line.at_frame(10), 10);
  const std::uint32_t sky = pixel(r.surface(), 80, 5), track = pixel(r.surface(), 80, 115);
  EXPECT_GT(sky & 255, (sky >> 16) & 255) << "blue above";
  EXPECT_NE(sky, track);
  ASSERT_FALSE(line.tunnels.empty());
  const Stretch& t = line.tunnels[0];
  r.draw((t.from_m + t.to_m) / 2 - 1, 0);
  const std::uint32_t inside = pixel(r.surface(), 10, 100);
  EXPECT_LT((inside >> 16) & 255, 40);
  EXPECT_LT(inside & 255, 40);
  // YUV: grey stays grey, and the planes have the picture's size.
  std::vector<std::uint8_t> y(160 * 120), u(80 * 60), v(80 * 60);
  std::uint8_t* planes[3] = {y.data(), u.data(), v.data()};
  const int strides[3] = {160, 80, 80};
  r.to_yuv(planes, strides);
  EXPECT_LT(y[100 * 160 + 10], 60);
  EXPECT_NEAR(u[50 * 80 + 5], 128, 4);
  EXPECT_NEAR(v[50 * 80 + 5], 128, 4);
}

// Pixels of daylight in a view: sky, fields and lit rails, but not the tunnel's orange
// wall lamps or its darkness.
int daylight(cairo_surface_t* s, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const std::uint32_t p = pixel(s, x, y);
      const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      if (r + g + b > 270 && !(r > g && r > b)) ++n;
    }
  return n;
}

TEST(DemoFilm, ATunnelIsDarkAroundItsExitWhoseDaylightGrowsAsItNears) {
  const LineModel line = build_line(express_design(false), false);
  ASSERT_FALSE(line.tunnels.empty());
  const Stretch t = line.tunnels[0];
  const int w = 320, h = 240;
  FilmRenderer r(build_scene(line), w, h);
  // Running in: the mouth is dark, with the exit's daylight small in its middle.
  r.draw(t.from_m - 60, 0);
  EXPECT_LT(pixel(r.surface(), w / 2 - 15, h * 2 / 5 + 3) & 0xff, 40) << "the mouth is dark";
  EXPECT_GT(daylight(r.surface(), w / 2 - 6, h / 4, w / 2 + 6, h / 2), 0) << "the exit shows in it";
  // Inside: dark all round, the exit's daylight growing as it nears.
  int before = 0;
  for (double to_exit : {300.0, 150.0, 60.0, 15.0}) {
    SCOPED_TRACE(to_exit);
    r.draw(t.to_m - to_exit, 0);
    for (const auto& [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}})
      EXPECT_LT(pixel(r.surface(), x, y) & 0xff, 40) << "corner " << x << "," << y;
    const int now = daylight(r.surface(), 0, 0, w, h);
    EXPECT_GT(now, before);
    EXPECT_LT(now, w * h / 2);
    before = now;
  }
}

TEST(DemoFilm, EachRouteStartsAtAStationOfItsOwnLook) {
  struct Case {
    RouteDesign design;
    int buffers, sheds, platforms, footbridges, shelters;
  };
  // The express leaves a terminal under a shed, with headshunts ending in buffer stops
  // beside it; the rapid a through station with a footbridge; the local a halt.
  for (const Case& c : {Case{express_design(false), 2, 1, 2, 0, 0}, Case{rapid_design(false), 0, 0, 2, 1, 0},
                        Case{local_design(false), 0, 0, 1, 0, 1}}) {
    SCOPED_TRACE(c.design.key);
    const LineModel line = build_line(c.design, false);
    const auto scene = build_scene(line);
    const double at = line.stations[0].at_m;
    const auto ahead = [&](ItemKind kind) {
      return std::count_if(scene->items.begin(), scene->items.end(),
                           [&](const Item& it) { return it.kind == kind && it.s > at && it.s < at + 60; });
    };
    EXPECT_EQ(ahead(ItemKind::buffer), c.buffers);
    EXPECT_EQ(ahead(ItemKind::footbridge), c.footbridges);
    EXPECT_EQ(ahead(ItemKind::shelter), c.shelters);
    EXPECT_EQ(std::count_if(scene->sheds.begin(), scene->sheds.end(),
                            [&](const Shed& s) { return s.from_m < at && at + 10 < s.to_m; }),
              c.sheds);
    // Platforms that run on ahead of the train, so that they are in the first picture.
    EXPECT_EQ(std::count_if(scene->platforms.begin(), scene->platforms.end(),
                            [&](const PlatformRun& p) { return p.from_m < at && at + 10 < p.to_m; }),
              c.platforms);
    if (c.shelters > 0) {
      // A halt in the fields: low platform, no house near it.
      EXPECT_LT(scene->platforms.front().height, 1.0);
      EXPECT_EQ(std::count_if(scene->items.begin(), scene->items.end(),
                              [&](const Item& it) { return it.kind == ItemKind::building && std::fabs(it.s - at) < 200; }),
                0);
    }
  }
}

}  // namespace
