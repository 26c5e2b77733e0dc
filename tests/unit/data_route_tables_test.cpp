#include <gtest/gtest.h>

#include "data/route_tables.h"
#include "route_test_support.h"

namespace velmora {
namespace {

// Signal, station and speed-limit lines at a frame, as the route file writes them.
std::string signal_at(int frame) { return "0,0,0,2,0," + std::to_string(frame) + "\n"; }
std::string station_at(int frame, int type = 0, int pattern = 20) {
  return "駅," + std::to_string(type) + "," + std::to_string(frame) + ",300,0,0,0,0,80," +
         std::to_string(pattern) + "\n";
}
std::string limit_at(int frame, int speed = 45, int kind = 1) {
  return std::to_string(speed) + ",1," + std::to_string(kind) + "," + std::to_string(frame) + "," +
         std::to_string(frame + 100) + ",0\n";
}

RouteData built(const std::string& text, int film_fps = 30) {
  RouteReading reading;
  RouteData r = reading.read(text);
  build_route_tables(r, film_fps);
  return r;
}

const std::string kRise = "[SpeedUnit]\n0,300,0,36\n#\n";  // 0 to 36 km/h in 10 s

TEST(RouteTables, FramesBecomeDistancesAlongALinearSpeedRise) {
  const RouteData r = built(kRise);
  EXPECT_EQ(r.speed_units[0].distance_end, 5000);
  const std::pair<int, std::optional<std::int64_t>> cases[] = {
      {0, 0}, {150, 1250}, {300, 5000}, {30, 50}, {301, std::nullopt}, {-1, std::nullopt}};
  for (const auto& [frame, cm] : cases) EXPECT_EQ(frame_to_distance(r, frame, 30), cm) << frame;
  // At 60 frames a second the same frames are half the time, a quarter of the way.
  const RouteData fast = built(kRise, 60);
  EXPECT_EQ(fast.speed_units[0].distance_end, 2500);
  EXPECT_EQ(frame_to_distance(fast, 150, 60), 625);
}

TEST(RouteTables, AFrameInTwoEntriesIsConvertedInBoth) {
  // A shared boundary: both events lie at the same distance.
  const RouteData r =
      built("[SpeedUnit]\n0,300,0,36\n300,600,36,36\n#\n[Signal]\n" + signal_at(300) +
            "#\n[Signal2]\n1234412344\n#\n[Station]\n" + station_at(300, 1) + "#\n");
  ASSERT_EQ(r.events.size(), 2u);
  EXPECT_EQ(r.events[0].position, 5000);
  EXPECT_EQ(r.events[1].position, 5000);
  EXPECT_EQ(r.stations[0].position, 5000);

  // Overlapping entries: the later entry's conversion is the stored one.
  const RouteData o =
      built("[SpeedUnit]\n0,300,0,36\n200,600,36,36\n#\n[Signal]\n" + signal_at(250) +
            "#\n[Signal2]\n1234412344\n#\n[Station]\n" + station_at(250, 1) + "#\n");
  ASSERT_EQ(o.events.size(), 2u);
  EXPECT_EQ(o.events[0].position, 3472);  // in the first entry
  EXPECT_EQ(o.events[1].position, 6667);  // 5000 + 50 frames at 36 km/h
  EXPECT_EQ(o.stations[0].position, 6667);
  EXPECT_EQ(frame_to_distance(o, 250, 30), 6667);
}

TEST(RouteTables, PlacesNoEntryCoversStayAtZeroWithoutEvents) {
  const RouteData r = built(kRise + "[Station]\n" + station_at(-10) + station_at(400) +
                            station_at(150) + "#\n[Signal]\n" + signal_at(900) +
                            "#\n[Signal2]\n1234412344\n#\n[Doppler]\n1,500,100,0,0\n#\n"
                            "[Tunnel]\n100,800,50\n#\n[SpeedLimit]\n" +
                            limit_at(700) + "#\n");
  for (std::size_t k : {0u, 1u}) {
    EXPECT_EQ(r.stations[k].position, 0);
    EXPECT_EQ(r.stations[k].position_s, -300);
    EXPECT_EQ(r.stations[k].position_e, 300);
  }
  EXPECT_EQ(r.stations[2].position, 1250);
  EXPECT_EQ(r.stations[2].position_s, 950);
  EXPECT_EQ(r.stations[2].position_e, 1550);
  EXPECT_EQ(r.doppler[0].position, 0);
  EXPECT_EQ(r.speed_limits[0].position, 0);
  EXPECT_EQ(r.tunnels[0].entrance, 556);
  EXPECT_EQ(r.tunnels[0].exit, 0);
  // Only the covered stopping station gives an event: its stop pattern 20 m on.
  ASSERT_EQ(r.events.size(), 1u);
  EXPECT_EQ(r.events[0].position, 3250);
  EXPECT_EQ(r.events[0].kind, 3);
  EXPECT_EQ(r.events[0].station, 2);
}

TEST(RouteTables, OnlyStoppingStationsWithAPatternGiveAStopEvent) {
  struct Case {
    int type, pattern;
    bool event;
  };
  for (const Case& c : {Case{0, 20, true}, Case{0, 0, false}, Case{0, -5, false},
                        Case{2, 20, false}, Case{1, 20, false}, Case{3, 20, false}}) {
    const RouteData r = built(kRise + "[Station]\n" + station_at(150, c.type, c.pattern) + "#\n");
    EXPECT_EQ(r.events.size(), c.event ? 1u : 0u) << c.type << "," << c.pattern;
  }
}

TEST(RouteTables, EventsAreSortedByPositionAndTiesKeepListOrder) {
  const RouteData r =
      built(kRise + "[Signal]\n" + signal_at(150) + signal_at(300) + "#\n[Signal2]\n" +
            lines_of(2, "1234412344") + "#\n[SpeedLimit]\n" + limit_at(150, 45, 1) +
            limit_at(30, 25, 0) + "#\n[Station]\n" + station_at(0, 0, 10) + "#\n");
  struct Expected {
    int position, kind, target, signal, station;
  };
  const Expected expected[] = {
      {50, 0, 25, 0, 0},    // the limit at frame 30
      {1000, 3, 0, 0, 0},   // the station's stop pattern, 10 m beyond frame 0
      {1250, 2, 10, 0, 0},  // signal 0 before the limit at the same place
      {1250, 1, 45, 0, 0}, {5000, 2, 10, 1, 0},
  };
  ASSERT_EQ(r.events.size(), std::size(expected));
  for (std::size_t k = 0; k < std::size(expected); ++k) {
    const RouteEvent& e = r.events[k];
    EXPECT_EQ(e.position, expected[k].position) << k;
    EXPECT_EQ(e.kind, expected[k].kind) << k;
    EXPECT_EQ(e.target, expected[k].target) << k;
    EXPECT_EQ(e.signal, expected[k].signal) << k;
    EXPECT_EQ(e.station, expected[k].station) << k;
  }
}

TEST(RouteTables, DistancesOutsideTheTablesAreRejectedNotWrapped) {
  struct Case {
    std::string text;
    std::string first_message;
    int fps = 30;
  };
  const Case cases[] = {
      {"[SpeedUnit]\n0,2000000000,1E30,1E30\n#\n",
       route_message("[SpeedUnit]", "0,2000000000,1E30,1E30")},
      {"[SpeedUnit]\n0,300,1E4000,1E4000\n#\n",
       route_message("[SpeedUnit]", "0,300,1E4000,1E4000")},
      {kRise + "[Station]\n駅,0,150,2147483000,0,0,0,0,80,0\n#\n",
       route_message("[Station]", "駅,0,150,2147483000,0,0,0,0,80,0")},
      {kRise + "[Station]\n駅,0,150,300,0,0,0,0,80,21474837\n#\n",
       route_message("[Station]", "駅,0,150,300,0,0,0,0,80,21474837")},
      // 251 signals on a shared boundary make 502 events.
      {"[SpeedUnit]\n0,300,0,36\n300,600,36,36\n#\n[Signal]\n" + lines_of(251, "0,0,0,2,0,300") +
           "#\n[Signal2]\n" + lines_of(251, "1234412344") + "#\n",
       route_message("[Signal]", "0,0,0,2,0,300")},
      {kRise, "stringファイルに誤りがあります", 0},
  };
  for (const Case& c : cases) {
    RouteReading reading;
    RouteData r = reading.read(c.text);
    try {
      build_route_tables(r, c.fps);
      ADD_FAILURE() << "built: " << c.text.substr(0, 80);
    } catch (const LoadFailure& f) {
      EXPECT_EQ(f.messages.at(0), c.first_message);
    }
  }
}

TEST(RouteTables, TheFixtureRouteHasItsStationsWhereItsProfilePutsThem) {
  FakeImageList images;
  std::mt19937_64 rng(1);
  RouteLoadContext c{std::filesystem::path(VELMORA_FIXTURES) / "basic", "train_fixture.dat", 800,
                     600, rng};
  RouteData r = load_route(c.program_dir / "line_fixture.dat", c, images);
  build_route_tables(r, 30);
  const int expected[] = {0, 45000, 90000, 176667};
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(r.stations[k].position, expected[k]) << k;
  EXPECT_EQ(r.speed_units.back().distance_end, 176667);
  EXPECT_EQ(r.traffic_signals[0].stop_position, 55000);
  EXPECT_EQ(r.events.size(), 9u);  // 4 signals, 1 limit, 3 stops (one on a shared boundary)
  EXPECT_TRUE(std::is_sorted(
      r.events.begin(), r.events.end(),
      [](const RouteEvent& a, const RouteEvent& b) { return a.position < b.position; }));
}

}  // namespace
}  // namespace velmora
