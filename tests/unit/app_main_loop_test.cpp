#include <gtest/gtest.h>

#include "app/cab_fade.h"
#include "app/load_compensation.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "app/train_steps.h"
#include "common/rounding.h"
#include "dynamics/cab_sway.h"
#include "dynamics/motion.h"
#include "test_rig.h"

namespace velmora {
namespace {

constexpr std::int64_t kMs = 1'000'000;  // fake clock ticks per millisecond

// A rig whose run is running, as after start-up.
struct RunningRig : TestRig {
  RunningRig() {
    run.frame.app_ready = true;
    run.frame.film_ready = true;
  }
  // Advances the clock and makes one pass.
  bool pass_after(std::int64_t ns) {
    clock.advance_ns(ns);
    return AppIdle(run);
  }
};

TEST(FramePacing, NothingHappensBeforeTheRunIsReady) {
  TestRig rig;
  rig.clock.advance_ns(100 * kMs);
  EXPECT_FALSE(AppIdle(rig.run));
  EXPECT_EQ(rig.run.frame.frame_ms, 0);
  EXPECT_EQ(rig.clock.sleeps, 0);
}

TEST(FramePacing, SleepsEarlyYieldsInTheLastMillisecondAndRunsAt16667) {
  RunningRig rig;
  ASSERT_TRUE(rig.pass_after(16667 * kMs / 1000));  // from counter 0
  EXPECT_EQ(rig.run.frame.fps, 60);
  EXPECT_EQ(rig.run.frame.frames_run, 1);

  const std::int64_t start = rig.clock.now_ns;
  EXPECT_FALSE(rig.pass_after(10 * kMs));  // 10 ms: sleep 1 ms
  EXPECT_EQ(rig.clock.now_ns, start + 11 * kMs);
  EXPECT_EQ(rig.run.frame.fps, 100);      // fps is set even when no frame runs
  EXPECT_FALSE(rig.pass_after(5 * kMs));  // 16 ms: yield
  EXPECT_EQ(rig.clock.now_ns, start + 16 * kMs + FakeClock::kYieldNs);
  EXPECT_FALSE(rig.pass_after(0));  // 16.2 ms: yield again
  EXPECT_EQ(rig.run.frame.frames_run, 1);
  rig.clock.now_ns = start + 16667 * kMs / 1000;
  EXPECT_TRUE(AppIdle(rig.run));
  EXPECT_EQ(rig.run.frame.frames_run, 2);
}

TEST(FramePacing, OneWaitUntilTheNextFrameLandsOnTheFrameItself) {
  RunningRig rig;
  ASSERT_TRUE(rig.pass_after(20 * kMs));
  for (const std::int64_t after : {std::int64_t{0}, 3 * kMs, 16 * kMs}) {
    const std::int64_t start = rig.clock.now_ns;
    rig.clock.advance_ns(after);
    rig.clock.sleep_until(next_frame_at(rig.run));
    EXPECT_EQ(rig.clock.now_ns, start + 16667 * kMs / 1000) << after;
    ASSERT_TRUE(AppIdle(rig.run)) << after;
    EXPECT_EQ(rig.run.frame.fps, 60);
  }
  // A frame already due is not waited for.
  rig.clock.advance_ns(30 * kMs);
  const std::int64_t late = rig.clock.now_ns;
  rig.clock.sleep_until(next_frame_at(rig.run));
  EXPECT_EQ(rig.clock.now_ns, late);
}

TEST(FramePacing, ALongGapCountsAs20MsAndZeroAs1Ms) {
  RunningRig rig;
  rig.clock.now_ns = 5000 * kMs;  // first pass: five seconds since counter 0
  ASSERT_TRUE(AppIdle(rig.run));
  EXPECT_EQ(rig.run.frame.frame_ms, 20);
  EXPECT_EQ(rig.run.frame.fps, 50);

  EXPECT_FALSE(AppIdle(rig.run));  // same counter again
  EXPECT_EQ(rig.run.frame.frame_ms, 1);
  EXPECT_EQ(rig.run.frame.fps, 1000);

  rig.clock.now_ns = 6000 * kMs;  // exactly one second is not "over" it
  ASSERT_TRUE(AppIdle(rig.run));
  EXPECT_EQ(rig.run.frame.frame_ms, 1000);
  EXPECT_EQ(rig.run.frame.fps, 1);
}

TEST(FramePacing, TheFirstFrameAfterALongPauseIs20Ms) {
  RunningRig rig;
  ASSERT_TRUE(rig.pass_after(17 * kMs));
  start1Click(rig.run);  // pause
  EXPECT_FALSE(rig.pass_after(30'000 * kMs));
  start1Click(rig.run);  // resume
  ASSERT_TRUE(rig.pass_after(0));
  EXPECT_EQ(rig.run.frame.frame_ms, 20);
  EXPECT_EQ(rig.run.frame.frames_run, 2);
}

TEST(FramePacing, ASkippedPictureSkipsTheSimulationStepsToo) {
  RunningRig rig;
  rig.screen.drawable = false;
  ASSERT_TRUE(rig.pass_after(17 * kMs));
  EXPECT_EQ(rig.screen.flips, 0);
  EXPECT_EQ(rig.run.frame.tenth_count, 0);
  EXPECT_EQ(rig.run.train.sway.sway_pos, 0.5L);  // keisan did not run
  rig.screen.drawable = true;
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(rig.pass_after(17 * kMs));
  EXPECT_EQ(rig.screen.flips, 7);
  EXPECT_EQ(rig.run.frame.tenth_count, 1);  // 7 × 17 ms = 119 ms: one tenth, 19 left
  EXPECT_EQ(rig.run.frame.tenth_acc, 19);
  EXPECT_NE(rig.run.train.sway.sway_pos, 0.5L);
}

TEST(FramePacing, WithoutTheFilmTheTrainStandsButTheRouteStepRuns) {
  RunningRig rig;
  rig.run.frame.film_ready = false;
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(rig.pass_after(20 * kMs));
  EXPECT_EQ(rig.run.train.sway.sway_pos, 0.5L);
  EXPECT_EQ(rig.run.frame.tenth_count, 1);
}

// Film advance: one frame of frame_ms at the given speed.
struct Advance {
  FilmState film;
  MotionState motion;
  void run(int film_fps, long double frame_ms, int frames = 1) {
    for (int i = 0; i < frames; ++i)
      advance_film_frame(motion, film.frame_accum, film.film_frame, film_fps, frame_ms);
  }
};

TEST(FilmAdvance, AStandingTrainKeepsItsFrame) {
  Advance a;
  a.film.film_frame = 100;
  a.motion.film_speed = 60;
  a.run(30, 16.667L, 600);
  EXPECT_EQ(a.film.film_frame, 100);
  EXPECT_EQ(a.film.frame_accum, 0);
}

TEST(FilmAdvance, AtTheFilmingSpeedOneSecondIsFilmFpsFrames) {
  Advance a;
  a.motion.speed = 60;
  a.motion.film_speed = 60;
  a.run(30, 20, 50);  // one second in 20 ms frames
  EXPECT_EQ(a.film.film_frame, 30);
  EXPECT_NEAR(static_cast<double>(a.film.frame_accum), 0, 1e-9);

  Advance b;
  b.motion.speed = 60;
  b.motion.film_speed = 60;
  b.run(30, 16.667L, 60);  // 60 frames of 16.667 ms: a hair over a second
  EXPECT_EQ(b.film.film_frame, 30);
  EXPECT_GT(b.film.frame_accum, 0);
  EXPECT_LT(b.film.frame_accum, b.motion.film_speed);
}

TEST(FilmAdvance, RunningBackwardsMovesTheFrameDown) {
  Advance a;
  a.film.film_frame = 500;
  a.motion.speed = -30;
  a.motion.film_speed = 60;
  a.run(30, 20, 100);  // two seconds at half the filming speed
  EXPECT_EQ(a.film.film_frame, 470);
}

TEST(FilmAdvance, TenSecondsOfFilmInOneStepMoveExactlyFilmFpsFrames) {
  Advance below;
  below.film.film_frame = 1000;
  below.motion.speed = 50;
  below.motion.film_speed = 0.2L;  // a film taken almost standing
  below.run(30, 20);
  EXPECT_EQ(below.film.film_frame, 1150);  // 30 / 0.2 = 150 frames, under the 300 cap

  Advance over;
  over.film.film_frame = 1000;
  over.motion.speed = 60;
  over.motion.film_speed = 0.1L;
  over.run(30, 20);
  // 36 / 0.1 = 360 frames: film_fps frames move, the excess is dropped and only the
  // fraction of a frame stays.
  EXPECT_EQ(over.film.film_frame, 1030);
  EXPECT_LT(over.film.frame_accum, 0.1L);

  Advance back;
  back.film.film_frame = 1000;
  back.motion.speed = -80;
  back.motion.film_speed = 0.1L;
  back.run(30, 20);
  EXPECT_EQ(back.film.film_frame, 970);
}

TEST(FilmAdvance, AZeroFilmSpeedBecomesATenthOfAKilometrePerHour) {
  Advance a;
  a.motion.speed = 0.05L;
  a.run(30, 20);
  EXPECT_EQ(a.motion.film_speed, 0.1L);
  EXPECT_EQ(a.film.film_frame, 0);  // 0.03 of accumulated advance is below 0.1
  a.run(30, 20, 3);
  EXPECT_EQ(a.film.film_frame, 1);
}

TEST(LoadCompensation, UsesThePercentOfTheStationBeforeTheNextStop) {
  TestRig rig;
  VehicleData& v = rig.run.vehicle;
  v.tons = {Fixed4(30.25L), Fixed4(0.5L)};
  v.mt = {Fixed4(20), Fixed4(0.25L)};
  v.tt = {Fixed4(10.25L), Fixed4(0.25L)};
  v.max_press = {400, 1.25L};
  v.eb_press = {500, 1.5L};
  v.sap_press = {440, 0.5L};
  rig.run.route.stations.resize(3);
  rig.run.route.stations[0].percent = 10;
  rig.run.route.stations[1].percent = 0;

  rig.run.station.station_index = 0;  // no station before: empty values, unrounded
  compensate_load(rig.run);
  EXPECT_EQ(rig.run.load.total_mass.raw(), 302500);
  EXPECT_EQ(rig.run.load.bc_max, 400);

  rig.run.station.station_index = 1;  // station 0 at 10 %
  compensate_load(rig.run);
  EXPECT_EQ(rig.run.load.total_mass.raw(), 350000);    // 35.25 -> 35
  EXPECT_EQ(rig.run.load.motor_mass.raw(), 220000);    // 22.5 -> 22 (even)
  EXPECT_EQ(rig.run.load.trailer_mass.raw(), 130000);  // 12.75 -> 13
  EXPECT_EQ(rig.run.load.bc_max, 412);                 // 412.5 -> 412 (even)
  EXPECT_EQ(rig.run.load.bc_emergency, 515);
  EXPECT_EQ(rig.run.load.sap_max, 445);

  rig.run.station.station_index = 2;  // station 1 carries no load figure
  compensate_load(rig.run);
  EXPECT_EQ(rig.run.load.total_mass.raw(), 302500);
  EXPECT_EQ(rig.run.load.sap_max, 440);
}

TEST(CabSway, SettlesWhereTheOffsetIsZeroAndBobsOnAChangeOfAcceleration) {
  RunningRig rig;
  rig.run.load.total_mass = Fixed4(30);
  ASSERT_TRUE(rig.pass_after(17 * kMs));
  EXPECT_EQ(rig.run.frame.sway_offset, 3);  // 25 × 0.5 = 12.5 -> 13, less 10
  for (int i = 0; i < 600; ++i) ASSERT_TRUE(rig.pass_after(16667 * kMs / 1000));
  EXPECT_NEAR(static_cast<double>(rig.run.train.sway.sway_pos), 0.403, 0.001);
  EXPECT_EQ(rig.run.frame.sway_offset, 0);

  // A step of acceleration (the dynamics step changes the forces between the two
  // readings): the panel bobs, then settles again.
  SwayState sway = rig.run.train.sway;
  const auto offset = [&] { return static_cast<int>(round_half_away(25 * sway.sway_pos)) - 10; };
  cab_sway_step(sway, 60, 3.6L, 0);
  EXPECT_NEAR(static_cast<double>(sway.accel_change), 3.6, 1e-12);
  int highest = 0;
  for (int i = 0; i < 120; ++i) {
    cab_sway_step(sway, 60, 3.6L, 3.6L);
    highest = std::max(highest, offset());
  }
  EXPECT_GE(highest, 1);
  EXPECT_EQ(sway.accel_change, 0);
  for (int i = 0; i < 600; ++i) cab_sway_step(sway, 60, 3.6L, 3.6L);
  EXPECT_EQ(offset(), 0);
}

TEST(CabSway, ATrainWithoutMassHasNoAcceleration) {
  EXPECT_EQ(accel_from_forces(Fixed4(1000), Fixed4(-200), Fixed4()), 0);
  EXPECT_NEAR(static_cast<double>(accel_from_forces(Fixed4(1000), Fixed4(-200), Fixed4(2))), 1.44,
              1e-12);
}

TEST(ClosingFade, FadesOverFiftyOneFramesOrClosesAtOnceWithEffectsOff) {
  RunningRig rig;
  start_fade(rig.run);
  int frames = 0;
  while (!rig.run.frame.ended && frames < 100) {
    ASSERT_TRUE(rig.pass_after(17 * kMs));
    ++frames;
    if (frames == 1) {
      EXPECT_EQ(rig.screen.opacity, 254);
    }
  }
  EXPECT_EQ(frames, 51);  // 1, 6, ..., 256
  EXPECT_EQ(rig.run.frame.fade_alpha, 0);
  EXPECT_FALSE(rig.run.frame.app_ready);
  EXPECT_FALSE(AppIdle(rig.run));

  RunningRig quick;
  quick.run.options.opt_effects_off = 1;
  start_fade(quick.run);
  ASSERT_TRUE(quick.pass_after(17 * kMs));
  EXPECT_TRUE(quick.run.frame.ended);
  EXPECT_EQ(quick.screen.opacity, 255);  // 255 - 256 as a byte: never see-through
}

}  // namespace
}  // namespace velmora
