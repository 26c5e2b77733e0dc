// The data files make-demo writes, read back with the simulator's own loaders: every place
// of a route lies where the line model put it, and every file loads without a warning.

#include <gtest/gtest.h>

#include <cairo.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "common/paths.h"
#include "common/sjis.h"
#include "data/mascon_codes.h"
#include "data/route_check.h"
#include "data/ui_texts.h"
#include "data/vehicle_loader.h"
#include "data/vehicle_warnings.h"
#include "data_writer.h"
#include "films.h"
#include "interface_files.h"
#include "platform/fake/fake_platform.h"
#include "route_designs.h"
#include "route_writer.h"
#include "vehicle_writer.h"

namespace {

using namespace velmora;
using namespace velmora::demo;
namespace fs = std::filesystem;

fs::path folder(const std::string& name) {
  const fs::path d = fs::temp_directory_path() / ("velmora_demo_" + std::to_string(getpid())) / name;
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

std::string bytes_of(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One short route written with its interface files, as make-demo writes it.
struct Written {
  fs::path dir;
  LineModel line;
  RouteFacts facts;
};

Written write_short(const RouteDesign& design, const std::string& name) {
  Written w{folder(name), build_line(design, true), {}};
  write_velmora_dat(w.dir, interface_settings(true));
  Voices voices(w.dir / ".voices", false);
  write_call_sounds(w.dir, voices);
  const FilmSize film = route_film_size(true);
  w.facts = write_route(w.line, w.dir, {film.width, film.height}, voices);
  return w;
}

TEST(DemoFiles, TheInterfaceFilesLoadWithTheirSettings) {
  const fs::path dir = folder("interface");
  write_velmora_dat(dir, {800, 600, 800});
  write_mascon_dat(dir);
  write_operation_dat(dir);
  const UiTexts ui = load_ui_texts(dir / "velmora.dat");
  EXPECT_EQ(ui.film_fps, 30);
  EXPECT_EQ(ui.film_length_factor, 1);
  EXPECT_EQ(ui.film_width, 800);
  EXPECT_EQ(ui.film_height, 600);
  EXPECT_EQ(ui.data_path, "movie\\");
  ASSERT_GE(ui.info_label.size(), 28u);
  for (std::size_t k = 8; k < 28; ++k) EXPECT_GT(ui.info_label[k].size(), 20u) << "entry " << k << " explains";
  EXPECT_EQ(ui.menu_start, "運転開始(&S)");
  EXPECT_EQ(ui.gears[1], "変速");
  const MasconCodes codes = load_mascon_codes(dir / "mascon.dat");
  ASSERT_EQ(codes.codes.size(), 23u);
  for (const std::string& c : codes.codes) EXPECT_EQ(c.size(), 5u) << c;
  // operation.dat: the caption line, then the keys in Japanese and in English.
  const std::string help = bytes_of(dir / "operation.dat");
  EXPECT_NE(help.find("\r\n"), std::string::npos);
  EXPECT_NE(help.find("z notch up"), std::string::npos);
}

// Columns a line takes in the help window: two for every character beyond ASCII.
int columns(const std::string& utf8) {
  int n = 0;
  for (unsigned char c : utf8)
    if (c < 0x80) n += 1;
    else if (c >= 0xe0) n += 2;  // lead byte of a three- or four-byte character
  return n;
}

TEST(DemoFiles, TheQuickGuideFitsTheHelpWindowAndGroupsBothLanguagesAlike) {
  const fs::path dir = folder("guide");
  write_operation_dat(dir);
  std::vector<std::string> lines;
  const std::string text = cp932_to_utf8(bytes_of(dir / "operation.dat"));
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = text.find("\r\n", from);
    lines.push_back(text.substr(from, end - from));
    from = end == std::string::npos ? text.size() : end + 2;
  }
  ASSERT_GT(lines.size(), 40u);
  EXPECT_EQ(lines[0], "運転のしかた / How to drive");
  for (const std::string& l : lines) EXPECT_LE(columns(l), 40) << l;
  // The same groups, in the same order, in Japanese and then in English.
  const std::pair<const char*, const char*> groups[] = {
      {"【ブレーキ】", "[Brake]"}, {"【加速】", "[Power]"}, {"【逆転器】", "[Reverser]"}, {"【ドア】", "[Doors]"},
      {"【警笛】", "[Horn]"}, {"【喚呼・放送】", "[Calls"}, {"【保安装置】", "[Protection]"},
      {"【気動車】", "[Diesel]"}, {"【表示】", "[View]"}};
  std::size_t ja = 0, en = 0;
  for (const auto& [japanese, english] : groups) {
    std::size_t j = ja, e = en;
    while (j < lines.size() && lines[j].rfind(japanese, 0) != 0) ++j;
    while (e < lines.size() && lines[e].rfind(english, 0) != 0) ++e;
    EXPECT_LT(j, lines.size()) << japanese;
    EXPECT_LT(e, lines.size()) << english;
    EXPECT_LT(j, e) << english << " comes after the Japanese guide";
    ja = j;
    en = e;
  }
  // The keys are the characters to type: letters in lower case.
  for (const std::string& l : lines)
    for (std::size_t k = 0; k < l.size(); ++k) {
      const bool alone = (k == 0 || l[k - 1] == ' ') && (k + 1 == l.size() || l[k + 1] == ' ' || l[k + 1] == ':');
      EXPECT_FALSE(alone && std::isupper(static_cast<unsigned char>(l[k]))) << l;
    }
}

TEST(DemoFiles, TheOneManPromptFitsItsLabel) {
  // The cab shows it in a label 109 px wide in the 21 px proportional Gothic.
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_t* cr = cairo_create(s);
  cairo_select_font_face(cr, "IPAPGothic", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 21);
  cairo_text_extents_t e;
  cairo_text_extents(cr, info_labels()[1], &e);
  EXPECT_LE(e.x_advance, 109) << info_labels()[1];
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}

TEST(DemoFiles, TheFilmAreaIsTheFilmsSizeAndHoldsTheOverlays) {
  struct Case {
    bool short_mode;
    int width, height;
  };
  for (const Case& c : {Case{false, 800, 600}, Case{true, 256, 192}}) {
    SCOPED_TRACE(c.short_mode);
    const FilmSize film = route_film_size(c.short_mode);
    EXPECT_EQ(film.width, c.width);
    EXPECT_EQ(film.height, c.height);
    const fs::path dir = folder(c.short_mode ? "disp_short" : "disp_full");
    write_velmora_dat(dir, interface_settings(c.short_mode));
    const UiTexts ui = load_ui_texts(dir / "velmora.dat");
    EXPECT_EQ(ui.film_width, c.width);
    EXPECT_EQ(ui.film_height, c.height);
  }
  // The short routes place their pictures in that frame.
  const FilmSize film = route_film_size(true);
  for (const RouteDesign& d : demo_designs(true)) {
    SCOPED_TRACE(d.key);
    const Written w = write_short(d, "frame_" + d.key);
    FakeImageList images;
    const RouteData r = load_route_for_check(w.dir, d.route_file, d.vehicle_file, images).route;
    EXPECT_LT(r.perspective_h, film.height);
    for (std::size_t k : {0u, 4u, 5u, 7u, 8u}) EXPECT_LE(r.sign_images[k].width, film.height / 3) << k;
    const OverlayPictureLine& head = r.signal_images[0];
    for (const SignalData& s : r.signals) {
      EXPECT_LE(s.x + head.width, film.width);
      EXPECT_LE(s.y + head.height, film.height);
      EXPECT_GE(s.left_x, 0);
    }
  }
}

TEST(DemoFiles, EveryPlaceOfARouteLiesWhereTheLineModelPutIt) {
  for (const RouteDesign& d : demo_designs(true)) {
    SCOPED_TRACE(d.key);
    const Written w = write_short(d, "route_" + d.key);
    FakeImageList images;
    const LoadedRoute loaded = load_route_for_check(w.dir, d.route_file, d.vehicle_file, images);
    const RouteData& r = loaded.route;
    ASSERT_EQ(r.stations.size(), d.stations.size());
    for (std::size_t i = 0; i < r.stations.size(); ++i) {
      EXPECT_EQ(r.stations[i].Name, d.stations[i].name);
      EXPECT_EQ(r.stations[i].Start, w.line.stations[i].frame);
      // The simulator's stop is the camera's stop, to the centimetre.
      EXPECT_NEAR(r.stations[i].position, w.line.stations[i].at_m * 100, 1.0) << "station " << i;
    }
    ASSERT_EQ(r.signals.size(), d.signals.size());
    for (std::size_t k = 0; k < r.signals.size(); ++k) {
      const double at = w.line.place(d.signals[k].at);
      EXPECT_NEAR(w.line.at_frame(r.signals[k].frame), at, 1.0) << "signal " << k;
      EXPECT_LT(r.signals[k].show_from, r.signals[k].frame);
    }
    ASSERT_EQ(r.crossings.size(), d.crossings.size());
    for (std::size_t k = 0; k < r.crossings.size(); ++k)
      EXPECT_LT(r.crossings[k].announce_frame, r.crossings[k].passed_frame);
    EXPECT_EQ(r.speed_units.back().last_frame, w.line.frame_count - 1);
    // The signal table and its chains are parallel, and the route event list is sorted.
    EXPECT_EQ(r.signal_chain.size(), r.signals.size());
    for (std::size_t e = 1; e < r.events.size(); ++e) EXPECT_LE(r.events[e - 1].position, r.events[e].position);
  }
}

TEST(DemoFiles, ARouteWarnsOnlyAboutItsFilmBeforeTheFilmIsWritten) {
  const RouteDesign d = rapid_design(true);
  const Written w = write_short(d, "warnings");
  FakeImageList images;
  const LoadedRoute loaded = load_route_for_check(w.dir, d.route_file, d.vehicle_file, images);
  const std::vector<RouteWarning> warnings = check_route(loaded.route, w.dir, loaded.ui.data_path);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].text.find("rapid.avi"), std::string::npos) << warnings[0].text;
}

TEST(DemoFiles, TheDriverLearnsTheStopsTimesAndTheHeldSignal) {
  const Written w = write_short(express_design(true), "facts");
  ASSERT_EQ(w.facts.stops.size(), 4u);  // one of the five stations is passed
  EXPECT_EQ(w.facts.stops[0].station, 0);
  EXPECT_EQ(w.facts.stops[2].station, 3);
  EXPECT_EQ(w.facts.stops.back().departure, 0);
  // The preceding train holds the home signal before the fourth station at stop.
  ASSERT_EQ(w.facts.holds.size(), 1u);
  EXPECT_LT(w.facts.holds[0].stop_before_m, w.line.stations[3].at_m);
  EXPECT_GT(w.facts.holds[0].stop_before_m, w.line.stations[2].at_m);
  EXPECT_GT(w.facts.holds[0].until, w.line.stations[1].departure);
  // The run starts before the first departure by the departure and arrival sounds.
  EXPECT_LT(w.facts.start_ticks, w.line.stations[0].departure);
}

TEST(DemoFiles, TheVehiclesLoadWithoutAWarning) {
  const fs::path dir = folder("vehicles");
  write_train_85(dir);
  write_train_75(dir);
  write_train_313(dir);
  struct Expect {
    const char* file;
    int engine_type, brake_type, handle, power_type;
  };
  for (const Expect& e : {Expect{"train_85.dat", 1, 1, 1, 1}, Expect{"train_75.dat", 1, 0, 1, 0},
                          Expect{"train_313_2cars.dat", 0, 2, 0, 1}}) {
    SCOPED_TRACE(e.file);
    PanelData panel;
    VehicleSource source;
    const VehicleData v = load_vehicle(dir / e.file, panel, &source);
    EXPECT_EQ(static_cast<int>(v.engine_type), e.engine_type);
    EXPECT_EQ(static_cast<int>(v.brake_type), e.brake_type);
    EXPECT_EQ(static_cast<int>(v.handle), e.handle);
    EXPECT_EQ(v.power_type, e.power_type);
    EXPECT_TRUE(vehicle_warnings(v, source, dir).empty());
    EXPECT_EQ(panel.Digi_Speed.pattern_width, 56);
    EXPECT_EQ(panel.Panel.Top, 600);
    EXPECT_FALSE(panel.Panel.name.empty());
    EXPECT_EQ(v.drive_sound.size() >= 49, true);
  }
  // The diesel's cab signal shows the speeds its route limits to.
  PanelData panel;
  load_vehicle(dir / "train_313_2cars.dat", panel);
  int count = 0;
  const int* speeds = diesel_cab_signal_speeds(count);
  ASSERT_EQ(panel.lamp_signal_speeds.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(panel.lamp_signal_speeds[3], speeds[3]);
}

TEST(DemoFiles, TheSameVersionWritesTheSameBytes) {
  const Written a = write_short(local_design(true), "same_a");
  const Written b = write_short(local_design(true), "same_b");
  for (const char* f : {"line_local.dat", "image/local/teimoku.png", "image/local/signal.png",
                        "image/local/staff.png", "kanko/fixed/k05.wav", "sound/local/depart_0.wav"})
    EXPECT_EQ(bytes_of(a.dir / f), bytes_of(b.dir / f)) << f;
}

TEST(DemoFiles, DataFilesAreShiftJisWithCrlfAndRefuseWhatShiftJisCannotHold) {
  DataFile f;
  f.section("[LineName]").line("白砂急行線");
  f.fields("港町", 0, 1.5, -8.0);
  EXPECT_EQ(f.bytes(), "[LineName]\r\n\x94\x92\x8d\xbb\x8b\x7d\x8d\x73\x90\xfc\r\n\x8d\x60\x92\xac,0,1.5,-8.0\r\n");
  DataFile bad;
  bad.line("emoji \xF0\x9F\x9A\x86");
  EXPECT_THROW(bad.save(folder("bad") / "x.dat"), std::runtime_error);
  EXPECT_EQ(decimal(36.0833333), "36.0833");
  EXPECT_EQ(decimal(2.0), "2.0");
  EXPECT_EQ(decimal(-0.00001), "0.0");
}

}  // namespace
