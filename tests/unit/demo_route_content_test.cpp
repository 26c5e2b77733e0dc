// What the demo routes ask of the simulator, read back with the route loader: the
// conductor's and the one-man line's announcements, time checks, crossings, the preceding
// train, the film stop point and the switched film; the films themselves; and the
// scripted driver, whose drive is the same every time.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "data/route_check.h"
#include "data/vehicle_loader.h"
#include "driver.h"
#include "films.h"
#include "interface_files.h"
#include "platform/fake/fake_platform.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "route_designs.h"
#include "route_writer.h"
#include "vehicle_writer.h"

namespace {

using namespace velmora;
using namespace velmora::demo;
namespace fs = std::filesystem;

struct Demo {
  fs::path dir;
  std::vector<LineModel> lines;
  std::vector<RouteFacts> facts;
  std::vector<RouteData> routes;
};

// The short demo without its films, written once for these tests.
const Demo& demo() {
  static const Demo d = [] {
    Demo d;
    d.dir = fs::temp_directory_path() / ("velmora_content_" + std::to_string(getpid()));
    fs::remove_all(d.dir);
    fs::create_directories(d.dir);
    write_velmora_dat(d.dir, {256, 192, 800});
    write_mascon_dat(d.dir);
    Voices voices(d.dir / ".voices", false);
    write_call_sounds(d.dir, voices);
    write_train_85(d.dir);
    write_train_75(d.dir);
    write_train_313(d.dir);
    for (const RouteDesign& design : demo_designs(true)) {
      d.lines.push_back(build_line(design, true));
      d.facts.push_back(write_route(d.lines.back(), d.dir, {256, 192}, voices));
      FakeImageList images;
      d.routes.push_back(load_route_for_check(d.dir, design.route_file, design.vehicle_file, images).route);
    }
    return d;
  }();
  return d;
}

TEST(DemoRoute, TheConductorLineAnnouncesItsStopsInRunningOrder) {
  const RouteData& r = demo().routes[1];  // rapid
  EXPECT_EQ(r.one_man, OneManMode::Conductor);
  ASSERT_GT(r.announce.size(), 4u);
  double last = -1;
  for (std::size_t k = 1; k < r.announce.size(); ++k) {
    const AnnounceData& a = r.announce[k];
    const double at = r.stations[static_cast<std::size_t>(a.station)].position + (a.kind == 0 ? 100.0 : -100.0) * a.distance;
    EXPECT_GE(at, last) << "announcement " << k;
    last = at;
    EXPECT_GT(a.answer, 21) << "a conductor's announcement can be answered";
  }
  // Every stop but the last has a departure melody and a time check at its stop.
  for (std::size_t i = 0; i + 1 < r.stations.size(); ++i) EXPECT_GT(r.stations[i].depsound, 0) << i;
  ASSERT_EQ(r.time_checks.size(), r.stations.size() - 2);
  for (std::size_t k = 0; k < r.time_checks.size(); ++k) {
    const StationData& s = r.stations[k + 1];
    EXPECT_LT(r.time_checks[k].first_frame, s.Start);
    EXPECT_GT(r.time_checks[k].end_frame, s.Start);
    EXPECT_EQ(r.time_checks[k].scheduled, s.deptime);
  }
  EXPECT_FALSE(r.station_kanko.empty());
  EXPECT_FALSE(r.signal_kanko.empty());
}

TEST(DemoRoute, TheOneManLineHasItsDoorsFilmStopAndSwitchedFilm) {
  const RouteData& r = demo().routes[2];  // local
  const LineModel& line = demo().lines[2];
  EXPECT_EQ(r.one_man, OneManMode::OneMan);
  ASSERT_EQ(r.movie_stop.size(), 1u);
  const BuiltStation& end = line.stations.back();
  EXPECT_GT(r.movie_stop[0], end.frame);
  EXPECT_LT(r.movie_stop[0], end.stand_to);
  ASSERT_EQ(r.movie_switch.size(), 1u);
  EXPECT_EQ(r.movie_switch[0].swtype, 2);
  EXPECT_EQ(r.movie_switch[0].next, 2);
  EXPECT_LT(r.movie_switch[0].time, line.stations[2].arrival);
  // The right-hand platform: door side and platform side agree.
  for (std::size_t i = 0; i < r.stations.size(); ++i)
    EXPECT_EQ(r.stations[i].door, r.stations[i].person) << i;
  EXPECT_TRUE(std::any_of(r.stations.begin(), r.stations.end(), [](const StationData& s) { return s.door == 1; }));
  // Its limits are the cab signal's: every continuous limit is a speed the diesel shows.
  int count = 0;
  const int* speeds = diesel_cab_signal_speeds(count);
  ASSERT_FALSE(r.speed_check3.empty());
  for (const SpeedCheckData& c : r.speed_check3) EXPECT_NE(std::find(speeds, speeds + count, c.speed), speeds + count);
  EXPECT_FALSE(r.doppler.empty());
  EXPECT_FALSE(r.switches.empty());
}

TEST(DemoRoute, TheExpressHasAPrecedingTrainAPassedStationAndALimitWithItsSign) {
  const RouteData& r = demo().routes[0];
  EXPECT_GT(r.pre_train_frame, 0);
  EXPECT_GT(r.pre_train_end, r.pre_train_frame);
  ASSERT_EQ(r.pre_train.size(), 2u);
  // It stands at the fourth station until a time after the train left the second.
  EXPECT_EQ(r.pre_train[0].station, 3);
  EXPECT_GT(r.pre_train[0].departure, r.stations[1].deptime);
  EXPECT_EQ(r.stations[2].trntype, StopType::Pass);
  ASSERT_EQ(r.speed_limits.size(), 1u);
  EXPECT_EQ(r.speed_limits[0].kind, 1);
  EXPECT_GT(r.speed_limits[0].end_image, r.speed_limits[0].sign_image);
  EXPECT_FALSE(r.tunnels.empty());
  EXPECT_EQ(r.slopes.size(), 3u);
  // The stop patterns of the pattern protection end a little beyond the stops.
  for (std::size_t i = 1; i < r.stations.size(); ++i)
    if (r.stations[i].trntype == StopType::DoorStop) {
      EXPECT_GT(r.stations[i].pattern, 0) << i;
    }
  // Departure signals belong to their stations; a signal's check point is the signal.
  for (const SignalData& s : r.signals) {
    EXPECT_EQ(s.check_frame, s.frame);
    if (s.kind >= 3) {
      EXPECT_EQ(r.stations[static_cast<std::size_t>(s.station)].trntype, StopType::DoorStop);
    }
  }
}

TEST(DemoRoute, CrossingsAndSignsAreAnnouncedBeforeTheyArePassed) {
  for (const RouteData& r : demo().routes) {
    for (const CrossData& c : r.crossings) EXPECT_LT(c.announce_frame, c.passed_frame);
    for (const SignData& s : r.signs) EXPECT_LT(s.first_frame, s.end_frame);
    for (std::size_t k = 1; k < r.signals.size(); ++k) EXPECT_GE(r.signals[k].show_from, r.signals[k - 1].frame);
  }
}

TEST(DemoDrive, TheScriptedDriveIsTheSameEveryTimeAndServesEveryStop) {
  const Demo& d = demo();
  const DriveResult a = drive_route(d.dir, d.lines[0], d.facts[0]);
  const DriveResult b = drive_route(d.dir, d.lines[0], d.facts[0]);
  EXPECT_EQ(a.script, b.script);
  EXPECT_EQ(a.stops_made, static_cast<int>(d.facts[0].stops.size()) - 1);
  EXPECT_NE(a.script.find("# stops: 0 1 3 4"), std::string::npos);
  // The driver brakes (period) and powers (z) a two-handle train.
  EXPECT_NE(a.script.find(" char z"), std::string::npos);
  EXPECT_NE(a.script.find(" char ."), std::string::npos);
}

TEST(DemoDrive, AOneLeverDieselIsDrivenWithItsLeverAndDoorSwitch) {
  const Demo& d = demo();
  const DriveResult r = drive_route(d.dir, d.lines[2], d.facts[2]);
  EXPECT_EQ(r.stops_made, static_cast<int>(d.facts[2].stops.size()) - 1);
  EXPECT_NE(r.script.find(" char 8"), std::string::npos);
  EXPECT_NE(r.script.find(" char d"), std::string::npos);
  EXPECT_EQ(r.script.find(" char z"), std::string::npos);
}

TEST(DemoFilm, ARouteFilmHasAFrameForEveryFrameOfTheProfile) {
  const LineModel line = build_line(rapid_design(true), true);
  const fs::path path = demo().dir / "movie" / "rapid.avi";
  std::vector<FilmJob> jobs{route_film(line, path, {96, 64})};
  run_film_jobs(std::move(jobs), 1);
  FfmpegFilmSource film;
  ASSERT_EQ(film.avi_open(path.string()), 0);
  EXPECT_EQ(film.avi_length(), line.frame_count);
  EXPECT_EQ(film.film_width(), 96);
}

}  // namespace
