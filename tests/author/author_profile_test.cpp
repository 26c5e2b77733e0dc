// velmora-author's logic on made-up motions: the speed-profile fit, stands and stops on a
// noisy track, gradients, marked places and the skeleton route the loader reads back.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "data/route_loader.h"
#include "film_motion.h"
#include "marks.h"
#include "platform/fake/fake_platform.h"
#include "route_skeleton.h"
#include "slopes.h"
#include "speed_fit.h"
#include "stops.h"

namespace {

using namespace velmora;
using namespace velmora::author;

// A motion from a speed per frame, the distance its exact integral.
FilmMotion motion_of(const std::vector<double>& kmh, int fps = 30) {
  FilmMotion m;
  m.fps = fps;
  m.speed_kmh = kmh;
  m.distance_m.assign(kmh.size(), 0);
  for (std::size_t f = 1; f < kmh.size(); ++f)
    m.distance_m[f] = m.distance_m[f - 1] + (kmh[f - 1] + kmh[f]) / 2 / 3.6 / fps;
  return m;
}

// Speeds: a list of (frames, km/h at their end), linear in between, from standing.
std::vector<double> ramps(const std::vector<std::pair<int, double>>& pieces) {
  std::vector<double> v{0};
  for (const auto& [frames, to] : pieces) {
    const double from = v.back();
    for (int k = 1; k <= frames; ++k) v.push_back(from + (to - from) * k / frames);
  }
  return v;
}

void expect_sound_table(const FitResult& r, const FilmMotion& m, const std::vector<Stop>& stops) {
  ASSERT_FALSE(r.units.empty());
  EXPECT_EQ(r.units.front().first_frame, 0);
  EXPECT_EQ(r.units.back().last_frame, static_cast<int>(m.distance_m.size()) - 1);
  EXPECT_LE(r.units.size(), kRouteListCapacity);
  for (std::size_t i = 0; i < r.units.size(); ++i) {
    EXPECT_LT(r.units[i].first_frame, r.units[i].last_frame);  // the loader refuses empty entries
    EXPECT_GE(r.units[i].speed_first, 0);
    EXPECT_GE(r.units[i].speed_last, 0);
    if (i > 0) {
      EXPECT_EQ(r.units[i].first_frame, r.units[i - 1].last_frame);
      EXPECT_EQ(r.units[i].speed_first, r.units[i - 1].speed_last);
    }
  }
  for (const Stop& s : stops) {
    const bool standing = std::any_of(r.units.begin(), r.units.end(), [&](const SpeedUnitData& u) {
      return u.first_frame == s.first && u.last_frame == s.last && u.speed_first == 0 &&
             u.speed_last == 0;
    });
    EXPECT_TRUE(standing) << "no standing entry " << s.first << "-" << s.last;
  }
  // Measured as the simulator converts frames.
  const std::vector<double> route =
      route_distances(r.units, static_cast<int>(m.distance_m.size()), m.fps);
  for (std::size_t f = 0; f < route.size(); ++f)
    ASSERT_LE(std::fabs(route[f] - m.distance_m[f]), r.tolerance_m + 0.006) << "frame " << f;
  EXPECT_LE(r.max_deviation_m, r.tolerance_m + 0.006);
}

TEST(SpeedFit, TablesFollowTheMotionWithinTheTolerance) {
  const struct {
    const char* name;
    std::vector<double> kmh;
    std::vector<Stop> stops;
    std::size_t most;  // entries at most
  } cases[] = {
      {"a steady start, then cruising", ramps({{300, 36}, {600, 36}}), {}, 3},
      {"standing at both ends and in the middle",
       ramps({{150, 0}, {400, 60}, {300, 60}, {400, 0}, {450, 0}, {300, 45}, {300, 0}, {200, 0}}),
       {{0, 150}, {1250, 1700}, {2300, 2500}},
       12},
      {"two frames", {20, 20}, {}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FilmMotion m = motion_of(c.kmh);
    const FitResult r = fit_speed_units(m, c.stops, 1.0);
    EXPECT_EQ(r.tolerance_m, 1.0);
    EXPECT_LE(r.units.size(), c.most);
    expect_sound_table(r, m, c.stops);
  }
}

TEST(SpeedFit, AFullTableRaisesTheTolerance) {
  // Distances jumping by 2 cm every frame cannot be followed to 1 mm in 501 entries.
  std::vector<double> kmh(3000, 36);
  FilmMotion m = motion_of(kmh);
  // (Frame 0 stays at 0: every profile counts from there.)
  for (std::size_t f = 1; f < m.distance_m.size(); ++f)
    m.distance_m[f] += f % 2 == 0 ? 0.02 : -0.02;
  const FitResult r = fit_speed_units(m, {}, 0.001);
  EXPECT_GT(r.tolerance_m, 0.001);
  expect_sound_table(r, m, {});
}

// A straight track north at 1 Hz, from a speed per second, with the receiver's jitter.
Track straight_track(const std::vector<double>& mps, double jitter) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, jitter);
  Track t;
  double metres = 0;
  for (std::size_t s = 0; s < mps.size(); ++s) {
    if (s > 0) metres += (mps[s - 1] + mps[s]) / 2;
    TrackPoint p;
    p.time = 1000 + static_cast<double>(s);
    p.lat = 35 + (metres + noise(random)) / 111195.0;
    p.lon = 139 + noise(random) / 90000.0;
    t.points.push_back(p);
  }
  return t;
}

TEST(Stands, StopsAreStandsOfTenSecondsTimedWithinASecond) {
  // Standing to 19 s; 1 m/s2 up to 15 m/s, 14 s at it, braking at 1 m/s2 to a stand from
  // 63 s to 77 s; again to a 5 s pause from 121 s; again to a stand from 170 s to the end.
  std::vector<double> v;
  const auto stand = [&](int s) { v.insert(v.end(), static_cast<std::size_t>(s), 0.0); };
  const auto run = [&](int cruise) {
    for (int s = 1; s <= 15; ++s) v.push_back(s);
    v.insert(v.end(), static_cast<std::size_t>(cruise), 15.0);
    for (int s = 14; s >= 0; --s) v.push_back(s);
  };
  stand(20);
  run(14);
  stand(14);
  run(14);
  stand(5);
  run(14);
  stand(20);
  const TrackProfile p = track_profile(straight_track(v, 0.3));
  const std::vector<Stop> stops =
      stops_from_stands(p.stands, 1000, static_cast<int>(v.size() - 1) * 30, 30);
  ASSERT_EQ(stops.size(), 3u);
  EXPECT_EQ(stops[0].first, 0);
  EXPECT_NEAR(stops[0].last, 19 * 30, 30);
  EXPECT_NEAR(stops[1].first, 63 * 30, 30);
  EXPECT_NEAR(stops[1].last, 77 * 30, 30);
  EXPECT_NEAR(stops[2].first, 170 * 30, 30);
  EXPECT_EQ(stops[2].last, static_cast<int>(v.size() - 1) * 30 - 1);
  // Three runs of 15 s cruising and 2 x 112.5 m of speeding up and braking each; each start
  // from a stand keeps some of the receiver's noise (about half a metre here).
  EXPECT_NEAR(p.distance.back(), 3 * (14 * 15 + 2 * 112.5), 1.5);

  // A film that ends long before the track begins stands at its start, stands and all.
  std::vector<std::string> notes;
  const FilmMotion early = film_motion(p, 1000 - 1e10, 90, 30, notes);
  EXPECT_EQ(early.distance_m.back(), 0);
  EXPECT_EQ(early.speed_kmh.back(), 0);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].rfind("the track begins 10000000000 s after the film", 0), 0u) << notes[0];
}

TEST(Slopes, GradientsComeFromTheElevationsAlongTheLine) {
  TrackProfile p;
  std::mt19937 random(3);
  std::normal_distribution<double> noise(0, 0.05);
  const auto height = [](double d) {
    return 10 + 0.010 * std::clamp(d - 300, 0.0, 500.0) - 0.006 * std::clamp(d - 1200, 0.0, 400.0);
  };
  for (int s = 0; s <= 100; ++s) {
    p.time.push_back(s);
    p.distance.push_back(20.0 * s);
    p.ele.push_back(height(20.0 * s) + noise(random));
  }
  std::vector<std::string> notes;
  const std::vector<SlopeStretch> found = find_slopes(p, notes);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_NEAR(found[0].permille, 10, 0.5);
  EXPECT_NEAR(found[0].from_m, 300, 30);
  EXPECT_NEAR(found[0].to_m, 800, 30);
  EXPECT_NEAR(found[1].permille, -6, 0.5);
  EXPECT_NEAR(found[1].from_m, 1200, 30);
  EXPECT_NEAR(found[1].to_m, 1600, 30);
  EXPECT_TRUE(notes.empty());

  for (double& e : p.ele) e = std::nan("");
  EXPECT_TRUE(find_slopes(p, notes).empty());
  EXPECT_EQ(notes, std::vector<std::string>{
                       "the track gives too few elevations for gradients: no [Slope] entries"});
}

TEST(Marks, TheCurveRunsThroughTheMarksAndStandsBetweenEqualOnes) {
  const std::vector<Mark> marks = {{0, 1000, 1}, {300, 1150, 2}, {600, 1150, 3}, {900, 1400, 4}};
  // Counted at 15 fps: mark frames are doubled in a 30 fps film.
  const MarkedMotion m = motion_from_marks(marks, 15, 2000, 30);
  ASSERT_EQ(m.stops.size(), 1u);
  EXPECT_EQ(m.stops[0].first, 600);
  EXPECT_EQ(m.stops[0].last, 1200);
  EXPECT_NEAR(m.motion.distance_m[600], 150, 1e-9);
  EXPECT_NEAR(m.motion.distance_m[1200], 150, 1e-9);
  EXPECT_NEAR(m.motion.distance_m[1800], 400, 1e-9);
  // Beyond the last mark at the speed between the last two: 250 m in 600 frames.
  EXPECT_NEAR(m.motion.distance_m[1999], 400 + 250.0 * 199 / 600, 1e-9);
  for (std::size_t f = 1; f < m.motion.distance_m.size(); ++f) {
    EXPECT_GE(m.motion.distance_m[f], m.motion.distance_m[f - 1]);
    EXPECT_GE(m.motion.speed_kmh[f], 0);
  }
  EXPECT_EQ(m.motion.speed_kmh[900], 0);
}

TEST(Skeleton, StationsAreTheStartAndEveryStopWithTheFilmingTrainsTimes) {
  const std::vector<SpeedUnitData> units = {{0, 150, 0, 0, 0},
                                            {150, 600, 0, 62, 0},
                                            {600, 900, 62, 0, 0},
                                            {900, 1200, 0, 0, 0},
                                            {1200, 1499, 0, 40, 0}};
  const std::vector<SkeletonStation> run_on =
      plan_stations({{0, 150}, {900, 1200}}, units, 1500, 30);
  ASSERT_EQ(run_on.size(), 3u);
  EXPECT_EQ(run_on[0].name, "駅1");
  EXPECT_EQ(run_on[0].frame, 0);
  EXPECT_EQ(run_on[0].departure, kStartTicks + 150);
  EXPECT_EQ(run_on[0].maxspeed, 65);
  EXPECT_EQ(run_on[1].frame, 900);
  EXPECT_EQ(run_on[1].departure, kStartTicks + 1200);
  EXPECT_EQ(run_on[1].maxspeed, 40);
  // The film runs on after its last stop: a last station at its last frame.
  EXPECT_EQ(run_on[2].name, "駅3");
  EXPECT_EQ(run_on[2].frame, 1499);
  EXPECT_EQ(run_on[2].departure, 0);

  const std::vector<SkeletonStation> moving = plan_stations({{900, 1499}}, units, 1500, 25);
  ASSERT_EQ(moving.size(), 2u);
  EXPECT_EQ(moving[0].departure, kStartTicks);
  EXPECT_EQ(moving[1].frame, 900);
  EXPECT_EQ(moving[1].departure, 0);
}

TEST(Skeleton, TheLoaderReadsTheRouteFileBack) {
  RouteSkeleton r;
  r.name = "test";
  r.line_name = "試験";
  r.frames = 1500;
  r.units = {{0, 150, 0, 0, 0}, {150, 900, 0, 60, 0}, {900, 1499, 60, 0, 0}};
  r.stations = {{"駅1", 0, kStartTicks + 150, 60}, {"駅2", 1499, 0, 60}};
  r.slopes = {{12.3, 200, 800}, {-4, 800, 1400}};
  r.ambient = "sound\\test\\ambient.wav";
  r.ambient_kmh = 40;
  FakeImageList images;
  std::mt19937_64 rng(1);
  RouteLoadContext context{".", "train.dat", 800, 600, rng};
  const std::string bytes = route_file(r).bytes();
  EXPECT_NE(bytes.find("\r\n[Station]\r\n"), std::string::npos);
  const RouteData loaded =
      take_route(read_route(route_file(r).lines(), "line_test.dat", context), images);
  EXPECT_EQ(loaded.line_name, "試験");
  EXPECT_EQ(loaded.data_name, "test");
  ASSERT_EQ(loaded.stations.size(), 2u);
  EXPECT_EQ(loaded.stations[0].Name, "駅1");
  EXPECT_EQ(loaded.stations[0].deptime, kStartTicks + 150);
  EXPECT_EQ(loaded.stations[1].Start, 1499);
  ASSERT_EQ(loaded.speed_units.size(), 3u);
  EXPECT_EQ(loaded.speed_units[1].speed_last, 60);
  ASSERT_EQ(loaded.slopes.size(), 2u);
  EXPECT_EQ(loaded.slopes[0].gradient.raw(), 123000);
  EXPECT_EQ(loaded.sound_data, (std::vector<std::string>{"", "sound\\test\\ambient.wav"}));
  ASSERT_EQ(loaded.sounds.size(), 1u);
  EXPECT_NE(loaded.route_friction.raw(), 0);  // without it the train has no adhesion
}

}  // namespace
