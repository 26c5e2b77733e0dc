// The demo's line model: the filming train's profile, the frames of the places and the
// timetable, checked against the route tables' own conversion of frames to distances.

#include <gtest/gtest.h>

#include <cmath>

#include "data/route_tables.h"
#include "line_model.h"
#include "route_designs.h"

namespace {

using namespace velmora;
using namespace velmora::demo;

class DemoLine : public ::testing::TestWithParam<bool> {};

TEST_P(DemoLine, TheProfileIsOneUnbrokenRunFromStandToStand) {
  for (const RouteDesign& d : demo_designs(GetParam())) {
    SCOPED_TRACE(d.key);
    const LineModel line = build_line(d, GetParam());
    ASSERT_FALSE(line.units.empty());
    EXPECT_EQ(line.units.front().first_frame, 0);
    EXPECT_EQ(line.units.back().last_frame, line.frame_count - 1);
    for (std::size_t i = 1; i < line.units.size(); ++i) {
      EXPECT_EQ(line.units[i].first_frame, line.units[i - 1].last_frame);
      EXPECT_LT(line.units[i].first_frame, line.units[i].last_frame);
      // Speeds join up: the camera never jumps from one speed to another.
      EXPECT_NEAR(static_cast<double>(line.units[i].speed_first), static_cast<double>(line.units[i - 1].speed_last), 1e-4);
    }
    EXPECT_EQ(line.speed_at_frame(0), 0);
    EXPECT_EQ(line.speed_at_frame(line.frame_count - 1), 0);
  }
}

TEST_P(DemoLine, StopsLieWhereTheCameraStandsAndNearTheDesignedPlace) {
  for (const RouteDesign& d : demo_designs(GetParam())) {
    SCOPED_TRACE(d.key);
    const LineModel line = build_line(d, GetParam());
    double designed = 0;  // from the last stop, where the camera actually stood
    for (std::size_t i = 0; i < d.stations.size(); ++i) {
      const BuiltStation& s = line.stations[i];
      designed += d.stations[i].gap_m;
      if (d.stations[i].type == StopType::DoorStop) {
        EXPECT_EQ(line.speed_at_frame(s.frame), 0) << "station " << i;
        EXPECT_EQ(line.speed_at_frame(s.stand_to), 0) << "station " << i;
        EXPECT_GT(s.stand_to, s.frame);
        // The camera stands still: every frame of the stand is at the stop.
        EXPECT_EQ(line.at_frame(s.frame), line.at_frame(s.stand_to));
        if (i > 0) {
          EXPECT_GT(line.speed_at_frame(s.frame - 10), 0) << "it arrives running";
        }
      } else {
        EXPECT_GT(line.speed_at_frame(s.frame), 10) << "a passed station is passed at speed";
      }
      // The stop is where the camera came to rest: within a frame's run of the design.
      EXPECT_NEAR(s.at_m, designed, 2.0) << "station " << i;
      if (d.stations[i].type == StopType::DoorStop) designed = s.at_m;
    }
  }
}

TEST_P(DemoLine, AFramesPlaceIsTheRouteTablesDistance) {
  for (const RouteDesign& d : demo_designs(GetParam())) {
    SCOPED_TRACE(d.key);
    const LineModel line = build_line(d, GetParam());
    RouteData tables;
    tables.speed_units = line.units;
    build_route_tables(tables, kFilmFps);
    for (int f = 0; f < line.frame_count; f += 97)
      EXPECT_DOUBLE_EQ(line.at_frame(f), static_cast<double>(*frame_to_distance(tables, f, kFilmFps)) / 100.0);
    // frame_at finds the first frame that has reached a place.
    for (double m : {1.0, line.length_m / 3, line.length_m / 2, line.length_m - 1}) {
      const int f = line.frame_at(m);
      EXPECT_GE(line.at_frame(f), m - 1e-6);
      EXPECT_LT(line.at_frame(f - 1), m);
    }
  }
}

TEST_P(DemoLine, TheCameraKeepsToItsLimits) {
  for (const RouteDesign& d : demo_designs(GetParam())) {
    SCOPED_TRACE(d.key);
    const LineModel line = build_line(d, GetParam());
    for (const Stretch& l : line.limits)
      for (int f = line.frame_at(l.from_m); f < line.frame_at(l.to_m); ++f)
        ASSERT_LE(line.speed_at_frame(f), l.value + 1e-6) << "frame " << f;
  }
}

TEST_P(DemoLine, TheTimetableLeavesEachStopAfterTheFilmedRunAndTheDwell) {
  for (const RouteDesign& d : demo_designs(GetParam())) {
    SCOPED_TRACE(d.key);
    const LineModel line = build_line(d, GetParam());
    int previous = line.stations[0].departure;
    EXPECT_EQ(previous, d.first_departure);
    for (std::size_t i = 1; i + 1 < d.stations.size(); ++i) {
      if (d.stations[i].type == StopType::Pass) {
        EXPECT_EQ(line.stations[i].departure, 0);
        continue;
      }
      const BuiltStation& s = line.stations[i];
      EXPECT_GE(s.departure - s.arrival, d.stations[i].dwell_s * kFilmFps);
      EXPECT_GT(s.arrival, previous);
      EXPECT_EQ(s.departure % 150, 0) << "times keep to 5 s";
      previous = s.departure;
    }
    EXPECT_EQ(line.stations.back().departure, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(FullAndShort, DemoLine, ::testing::Values(false, true));

TEST(DemoLineShort, TheShortLinesAreAFractionOfTheFullOnes) {
  const std::vector<RouteDesign> full = demo_designs(false), shorter = demo_designs(true);
  for (std::size_t i = 0; i < full.size(); ++i) {
    const LineModel a = build_line(full[i], false), b = build_line(shorter[i], true);
    EXPECT_LT(b.length_m, a.length_m / 4);
    EXPECT_LT(b.frame_count, a.frame_count / 2);
    EXPECT_EQ(b.stations.size(), a.stations.size());
  }
}

TEST(DemoLineDesign, AStopThatCannotBeReachedIsRefused) {
  RouteDesign d = express_design(true);
  d.stations.back().type = StopType::Pass;  // a line must end at a stop
  EXPECT_THROW(build_line(d, true), std::runtime_error);
}

}  // namespace
