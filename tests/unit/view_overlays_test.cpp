#include <gtest/gtest.h>

#include "app/startup.h"
#include "route/station_step.h"
#include "test_rig.h"
#include "view/overlays.h"

namespace velmora {
namespace {

// The fixture run with its overlay pictures, standing at the first station.
struct OverlayRig : TestRig {
  OverlayRig() : TestRig(fixture_config()) { FormCreate(run); }
  const FakeSpriteEngine::Sprite& sprite(int id) const { return sprites.sprites.at(static_cast<std::size_t>(id)); }
  const OverlaySprites& ids() const { return run.overlays.sprites; }
};

TEST(Perspective, PointsRiseTowardsTheHorizon) {
  EXPECT_EQ(perspective_y(10, 10, 150, 600), 525);
  EXPECT_EQ(perspective_y(30, 10, 150, 600), 488);  // 487.5 rounds away from zero
  EXPECT_EQ(perspective_y(0, 10, 150, 600), 600);
}

TEST(StopLines, OutOfThePictureUntilTwentyMetresThenThinningWithDistance) {
  OverlayRig rig;
  velmora::Run& run = rig.run;
  run.route.perspective_p = 10;
  run.route.perspective_h = 150;
  run.station.station_index = 0;
  run.route.stations[0].genkai = 300;
  run.train.motion.stop_distance = 2500;
  overlay_frame_step(run);
  EXPECT_EQ(rig.sprite(rig.ids().line_m).place.y, -100);
  run.train.motion.stop_distance = 1999;
  overlay_frame_step(run);
  EXPECT_EQ(rig.sprite(rig.ids().line_m).place.height, 1);  // 2 - 0.05 x 19.99 = 1.0005
  EXPECT_EQ(rig.sprite(rig.ids().line_m).place.y, perspective_y(19.99L, 10, 150, run.ui.film_height));
  EXPECT_EQ(rig.sprite(rig.ids().line_e).place.y, perspective_y(22.99L, 10, 150, run.ui.film_height));
  run.train.motion.stop_distance = 200;  // 2 m: the near end of the zone is behind the train
  overlay_frame_step(run);
  EXPECT_EQ(rig.sprite(rig.ids().line_s).place.y, -100);
  EXPECT_EQ(rig.sprite(rig.ids().line_m).place.height, 2);
  run.route.perspective_p = 0;  // no perspective: no lines
  overlay_frame_step(run);
  EXPECT_EQ(rig.sprite(rig.ids().line_m).place.y, -100);

  EXPECT_TRUE(toggle_stop_lines(run));
  EXPECT_FALSE(rig.sprite(rig.ids().line_m).place.visible);
  overlay_frame_step(run);
  EXPECT_FALSE(rig.sprite(rig.ids().line_m).place.visible);  // stays hidden frame after frame
  EXPECT_FALSE(toggle_stop_lines(run));
  EXPECT_TRUE(rig.sprite(rig.ids().line_m).place.visible);
}

TEST(RemainingBoard, SlidesOverTheLastThirtyMetresAndShowsTheOverrun) {
  OverlayRig rig;
  velmora::Run& run = rig.run;
  const int board = rig.ids().remain;
  run.train.motion.stop_distance = 3000;
  overlay_frame_step(run);
  EXPECT_FALSE(rig.sprite(board).place.visible);
  run.train.motion.stop_distance = 1500;
  overlay_frame_step(run);
  EXPECT_TRUE(rig.sprite(board).place.visible);
  EXPECT_EQ(rig.sprite(board).pattern, 0);
  EXPECT_EQ(rig.sprite(board).place.y, run.ui.film_height - run.ui.film_height / 2 - 870);
  run.train.motion.stop_distance = 0;
  overlay_frame_step(run);
  const int at_stop = rig.sprite(board).place.y;
  run.train.motion.stop_distance = -1000;  // 10 m too far
  overlay_frame_step(run);
  EXPECT_EQ(rig.sprite(board).pattern, 1);
  EXPECT_GT(rig.sprite(board).place.y, at_stop);
}

TEST(OtherSigns, ARuleOfThreeChangesThePictureOnItsThirtySecondPass) {
  OverlayRig rig;
  velmora::Run& run = rig.run;
  run.route.signs = {{4, 100, 200, 3}};
  run.route.time_checks.clear();
  run.film.film_frame = 150;
  const int other = rig.ids().other;
  for (int pass = 1; pass <= 31; ++pass) overlay_route_step(run);
  EXPECT_EQ(rig.sprite(other).pattern, 4);
  EXPECT_EQ(run.overlays.sign_shown, 4);
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(other).pattern, 5);
  EXPECT_EQ(run.overlays.last_call_id, -1);
  run.film.film_frame = 250;
  overlay_route_step(run);
  EXPECT_FALSE(rig.sprite(other).place.visible);
  EXPECT_EQ(run.overlays.sign_shown, kNoSign);
}

TEST(GradientPost, OnePicturePerEntryAndLevelBetweenThem) {
  OverlayRig rig;
  velmora::Run& run = rig.run;
  run.route.slopes = {{Fixed4(10), 500, 1400}, {Fixed4(10), 1500, 1600}, {Fixed4(-5), 2000, 2500}};
  const int post = rig.ids().slope;
  run.film.film_frame = 600;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(post).pattern, 1);
  run.film.film_frame = 1450;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(post).pattern, 0);
  run.film.film_frame = 1550;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(post).pattern, 2);
  run.film.film_frame = 1580;
  overlay_route_step(run);
  run.film.film_frame = 2100;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(post).pattern, 3);
  run.film.film_frame = 2600;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(post).pattern, 0);
}

TEST(LimitSign, ShowsTheLimitBlinksUnderThePatternAndShowsItsEnd) {
  OverlayRig rig;
  velmora::Run& run = rig.run;
  SpeedCheckData limit;
  limit.speed = 45;
  limit.sign_image = 3;
  limit.end_image = 7;
  limit.from_frame = 100;
  limit.to_frame = 300;
  run.route.speed_limits = {limit};
  const int sign = rig.ids().limit;
  run.film.film_frame = 150;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(sign).pattern, 3);
  EXPECT_EQ(run.overlays.last_call_id, 0);
  run.film.film_frame = 350;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(sign).pattern, 7);
  EXPECT_TRUE(run.overlays.limit_end_shown);
  run.film.film_frame = 550;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(sign).pattern, 0);
  EXPECT_EQ(run.overlays.limit_image_shown, kNoLimitImage);

  run.protection.limit_entry = 0;  // a pattern protects the limit ahead: the sign blinks
  run.frame.tenth_count = 5;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(sign).pattern, 3);
  EXPECT_TRUE(run.overlays.limit_blink);
  run.frame.tenth_count = 15;
  overlay_route_step(run);
  EXPECT_FALSE(rig.sprite(sign).place.visible);
  run.frame.tenth_count = 20;
  overlay_route_step(run);
  EXPECT_TRUE(rig.sprite(sign).place.visible);
}

TEST(CrossingLights, NotRedrawnWithinTwentyFramesOfAnAnnouncePoint) {
  OverlayRig rig;
  velmora::Run& run = rig.run;
  CrossData a{2, 0, 1000, 1200, 0}, b{3, 0, 1100, 1300, 1};
  run.route.crossings = {a, b};
  run.station.st_departed.assign(run.route.stations.size(), false);
  run.calls.cross_pending.fill(-1);
  run.calls.cross_pending[0] = 1;
  run.film.film_frame = 1110;  // crossing 0's announce window is over, crossing 1's is open
  overlay_route_step(run);
  EXPECT_EQ(run.overlays.cross_shown, kNoCrossing);
  run.film.film_frame = 1125;
  overlay_route_step(run);
  EXPECT_EQ(run.overlays.cross_shown, 1);
  EXPECT_EQ(rig.sprite(rig.ids().cross1).pattern, 3);
  // Crossing 1 waits for station 1's departure: its second light shows until then.
  EXPECT_TRUE(rig.sprite(rig.ids().cross2).place.visible);
  hide_crossing_light2(run);
  EXPECT_FALSE(rig.sprite(rig.ids().cross2).place.visible);
  run.calls.cross_pending[0] = -1;
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(rig.ids().cross1).pattern, 0);
}

TEST(CrossingLights, TheSecondLightWaitsForTheDepartureOfTheStationItsOptionNames) {
  const struct {
    int option;
    bool departed;
    bool shown;
  } cases[] = {{0, false, true}, {0, true, false}, {2, false, true}, {-1, false, false}, {9, false, false}};
  for (const auto& c : cases) {
    OverlayRig rig;
    velmora::Run& run = rig.run;
    run.route.crossings = {CrossData{2, 0, 1000, 1200, c.option}};
    run.station.st_departed.assign(run.route.stations.size(), false);
    if (c.option >= 0 && static_cast<std::size_t>(c.option) < run.route.stations.size())
      run.station.st_departed[static_cast<std::size_t>(c.option)] = c.departed;
    run.calls.cross_pending.fill(-1);
    run.calls.cross_pending[0] = 0;
    run.film.film_frame = 1100;
    overlay_route_step(run);
    EXPECT_EQ(rig.sprite(rig.ids().cross2).place.visible, c.shown) << c.option << " " << c.departed;
  }
}

TEST(OtherSigns, TheTimeBoardWhileStandingWithinAHundredMetresOfTheStop) {
  const struct {
    int frame;
    long double speed, stop_distance;
    int shown;
  } cases[] = {{2960, 0, 5000, kTimeBoard},  {2960, 0.99L, 9999, kTimeBoard}, {2960, -3, 5000, kTimeBoard},
               {2960, 1, 5000, kNoSign},     {2960, 0, 10000, kNoSign},       {2950, 0, 5000, kNoSign},
               {3000, 0, 5000, kNoSign}};
  for (const auto& c : cases) {
    OverlayRig rig;
    velmora::Run& run = rig.run;
    run.route.signs.clear();
    run.route.time_checks = {{2950, 3000, 1083600}};
    run.film.film_frame = c.frame;
    run.train.motion.speed = c.speed;
    run.train.motion.stop_distance = c.stop_distance;
    overlay_route_step(run);
    EXPECT_EQ(run.overlays.sign_shown, c.shown) << c.frame << " " << static_cast<double>(c.speed);
    EXPECT_EQ(rig.sprite(rig.ids().other).place.visible, c.shown == kTimeBoard) << c.frame;
    if (c.shown == kTimeBoard) {
      EXPECT_EQ(rig.sprite(rig.ids().other).pattern, 0);
      EXPECT_EQ(run.overlays.last_call_id, -1);
    }
  }
}

TEST(Monitor, ShowsTheStationInWhoseZoneTheTrainIsOrTheNextOneBetween) {
  OverlayRig rig;
  velmora::Run& run = rig.run;
  ASSERT_GE(rig.ids().monitor, 0);
  const auto& st = run.route.stations;
  const std::pair<long double, int> at[] = {
      {st[0].position, 0}, {(st[0].position_e + st[1].position_s) / 2, 1}, {(st[2].position_e + st[3].position_s) / 2, 3}};
  for (const auto& [position, frame] : at) {
    run.train.motion.position_cm = position;
    station_step(run);
    overlay_route_step(run);
    EXPECT_EQ(rig.sprite(rig.ids().monitor).pattern, frame) << static_cast<double>(position);
  }
}

TEST(SignalHeads, TheSpritesShowWhatTheSignalRulesChose) {
  OverlayRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.ats_type = AtsType::Pattern;
  run.signals.heads[0] = {7, 100, 50};
  run.signals.heads[2] = {4, 80, 50};
  overlay_route_step(run);
  EXPECT_EQ(rig.sprite(rig.ids().signal_main).pattern, 7);
  EXPECT_EQ(rig.sprite(rig.ids().signal_main).place.x, 100);
  if (rig.ids().signal_left >= 0) {
    EXPECT_EQ(rig.sprite(rig.ids().signal_left).pattern, 4);
  }
  overlays_after_jump(run);
  EXPECT_EQ(rig.sprite(rig.ids().signal_main).pattern, 0);
  EXPECT_EQ(run.overlays.cross_shown, kNoCrossing);
}

}  // namespace
}  // namespace velmora
