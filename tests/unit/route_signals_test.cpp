// Signal blocks and aspects, the control overrides, the pictures and the signal in view.

#include <gtest/gtest.h>

#include <vector>

#include "app/timer1.h"
#include "route/driver_commands.h"
#include "route/station_jump.h"
#include "route/signals.h"
#include "station_rig.h"

namespace velmora {
namespace {

constexpr int kSignals = 8;

// Signal i stands at frame 1000 (i + 1) and is drawn from 500 frames before it; every
// chain is 1, 2, 3, 4, 4 (a five-aspect line).
struct SignalRig : TestRig {
  SignalRig() {
    RouteData& r = run.route;
    r.speed_signal = {0, 25, 45, 65, 95};
    for (int i = 0; i < kSignals; ++i) {
      SignalData s;
      s.head = 2;
      s.frame = frame_of(i);
      s.show_from = s.frame - 500;
      s.call_voice = 100 + i;
      r.signals.push_back(s);
      r.signal_chain.push_back({{1, 2, 3, 4, 4}, {0, 1, 2, 3, 4}});
    }
    run.station.st_departed.assign(4, false);
    run.film.film_frame = 1;  // no signal in view
  }
  static int frame_of(int i) { return 1000 * (i + 1); }
  SignalData& sig(int i) { return run.route.signals[static_cast<std::size_t>(i)]; }
  std::vector<int> aspects(int pre_train_frame) {
    run.signals.pre_train_frame = pre_train_frame;
    signal_step(run);
    std::vector<int> a;
    for (const SignalData& s : run.route.signals) a.push_back(s.aspect);
    return a;
  }
};

constexpr int kBetween5And6 = 6500;

TEST(SignalBlocks, WithoutAPrecedingTrainEverySignalShowsTheHighestAspectOrItsSetAspect) {
  SignalRig rig;
  rig.sig(3).set_aspect = 2;
  EXPECT_EQ(rig.aspects(0), (std::vector<int>{4, 4, 4, 2, 4, 4, 4, 4}));
}

TEST(SignalBlocks, FiveAspectChainStepsUpBehindTheOccupiedBlock) {
  SignalRig rig;
  EXPECT_EQ(rig.aspects(kBetween5And6), (std::vector<int>{4, 4, 3, 2, 1, 0, 4, 4}));
}

TEST(SignalBlocks, TheBlockRunsFromAfterOneSignalUpToAndIncludingTheNext) {
  SignalRig rig;
  // frame(5) < f <= frame(6): at signal 6's own frame the train is still in block 5.
  EXPECT_EQ(rig.aspects(SignalRig::frame_of(6)), (std::vector<int>{4, 4, 3, 2, 1, 0, 4, 4}));
  EXPECT_EQ(rig.aspects(SignalRig::frame_of(5)), (std::vector<int>{4, 3, 2, 1, 0, 4, 4, 4}));
  EXPECT_EQ(rig.aspects(SignalRig::frame_of(5) + 1), (std::vector<int>{4, 4, 3, 2, 1, 0, 4, 4}));
}

TEST(SignalBlocks, ARepeaterPassesTheStopBackToTheSignalBehindIt) {
  SignalRig rig;
  rig.sig(5).head = 0;
  // Signal 5 repeats signal 6 (clear); signal 4 protects the block.
  EXPECT_EQ(rig.aspects(kBetween5And6), (std::vector<int>{4, 3, 2, 1, 0, 4, 4, 4}));
}

TEST(SignalBlocks, ARepeaterInsideTheChainCopiesTheSignalAheadWithoutAStep) {
  SignalRig rig;
  rig.sig(3).head = -1;
  EXPECT_EQ(rig.aspects(kBetween5And6), (std::vector<int>{4, 3, 2, 1, 1, 0, 4, 4}));
}

TEST(SignalBlocks, NoStopFromATrainBehindSignalOneOrOutsideTheSignals) {
  struct Case {
    const char* where;
    int frame;
  };
  const Case cases[] = {{"between signals 0 and 1", 1500},
                        {"at signal 1", SignalRig::frame_of(1)},
                        {"before signal 0", 500},
                        {"beyond the last signal", SignalRig::frame_of(kSignals - 1) + 1}};
  for (const Case& c : cases) {
    SignalRig rig;
    SCOPED_TRACE(c.where);
    EXPECT_EQ(rig.aspects(c.frame), std::vector<int>(kSignals, 4));
  }
}

TEST(SignalBlocks, RepeatersDownToSignalZeroSetNoStop) {
  SignalRig rig;
  rig.sig(1).head = 0;
  rig.sig(2).head = -1;
  EXPECT_EQ(rig.aspects(2500), std::vector<int>(kSignals, 4));
}

TEST(SignalBlocks, TheSuppressSwitchUsesTheSecondChain) {
  SignalRig rig;
  for (SignalChainData& c : rig.run.route.signal_chain) c.step_b = {2, 3, 4, 4, 4};
  rig.run.input.suppress_on = true;
  EXPECT_EQ(rig.aspects(kBetween5And6), (std::vector<int>{4, 4, 4, 4, 2, 0, 4, 4}));
}

TEST(SignalBlocks, AChainDigitOfFiveOrMoreLeavesTheSignalsBehindClear) {
  SignalRig rig;
  rig.run.route.signal_chain[4].step_a = {7, 7, 7, 7, 7};
  EXPECT_EQ(rig.aspects(kBetween5And6), (std::vector<int>{4, 4, 4, 4, 7, 0, 4, 4}));
}

TEST(SignalBlocks, ThreeAspectsEndTheChainAtTheirHighest) {
  SignalRig rig;
  rig.run.route.speed_signal = {0, 45, 95};
  EXPECT_EQ(rig.aspects(kBetween5And6), (std::vector<int>{2, 2, 2, 2, 1, 0, 2, 2}));
}

TEST(SignalOverrides, ADepartureSignalWaitsForTheDepartureAndItsReleaseTime) {
  struct Case {
    bool departed;
    int ticks;
    int set_aspect;
    int expected;
  };
  const Case cases[] = {{false, 99, 0, 0}, {false, 100, 0, 0}, {true, 99, 0, 0},
                        {true, 100, 0, 4}, {true, 100, 2, 2},  {false, 500, 2, 0}};
  for (const Case& c : cases) {
    SignalRig rig;
    SignalData& s = rig.sig(2);
    s.kind = 3;
    s.fixed_aspect = 0;
    s.station = 1;
    s.release_time = 100;
    s.set_aspect = c.set_aspect;
    rig.run.station.st_departed[1] = c.departed;
    rig.run.train.motion.sim_ticks = c.ticks;
    SCOPED_TRACE(::testing::Message() << "departed " << c.departed << " at " << c.ticks << " set "
                                      << c.set_aspect);
    EXPECT_EQ(rig.aspects(0)[2], c.expected);
  }
}

TEST(SignalOverrides, ADepartureSignalOfAStationOutsideTheTableStaysAtItsFixedAspect) {
  SignalRig rig;
  rig.sig(2).kind = 4;
  rig.sig(2).station = 40;
  rig.sig(2).fixed_aspect = 1;
  EXPECT_EQ(rig.aspects(0)[2], 1);
}

TEST(SignalOverrides, HeldAndFixedSignals) {
  SignalRig rig;
  rig.sig(1).kind = 1;
  rig.sig(1).release_time = 300;
  rig.sig(1).fixed_aspect = 0;
  rig.sig(2).kind = 2;
  rig.sig(2).fixed_aspect = 2;
  rig.sig(3).kind = 2;
  rig.sig(3).fixed_aspect = 2;
  rig.sig(3).set_aspect = 3;  // set_aspect wins over the fixed aspect
  rig.run.train.motion.sim_ticks = 299;
  EXPECT_EQ(rig.aspects(0), (std::vector<int>{4, 0, 2, 3, 4, 4, 4, 4}));
  rig.run.train.motion.sim_ticks = 300;
  EXPECT_EQ(rig.aspects(0), (std::vector<int>{4, 4, 2, 3, 4, 4, 4, 4}));
}

TEST(SignalOverrides, EverySignalShowsItsFixedAspectWhileAStopFilmPlays) {
  SignalRig rig;
  for (int i = 0; i < kSignals; ++i) rig.sig(i).fixed_aspect = i % 3;
  rig.sig(6).set_aspect = 4;
  rig.sig(7).kind = 3;
  rig.run.film.movie_state = MovieState::StopFilm;
  EXPECT_EQ(rig.aspects(kBetween5And6), (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1}));
  rig.run.film.movie_state = MovieState::RunningFilm;  // a running-type film changes nothing
  EXPECT_EQ(rig.aspects(kBetween5And6), (std::vector<int>{4, 4, 3, 2, 1, 0, 4, 1}));  // 7: departure not given
}

TEST(SignalPictures, TheTableByHeadAndAspect) {
  struct Case {
    int head, aspect;
    bool fast;
    int picture;
  };
  const Case cases[] = {
      {0, 0, false, 1},  {0, 3, false, 2},   {1, 3, false, 5},   {2, 0, false, 7},  {3, 2, false, 11},
      {4, 3, false, 15}, {5, 1, false, 18},  {6, 4, false, 25},  {7, 5, true, 29},  {7, 5, false, 28},
      {8, 5, true, 34},  {8, 5, false, 33},  {7, 4, true, 28},   {9, 0, false, 35}, {9, 7, false, 42},
      {2, 6, false, 12}, {9, 8, false, 12},  {-1, 3, false, 12}, {-1, 0, false, 0}, {10, 2, false, 12},
      {10, 0, false, 0}, {2, -1, false, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "head " << c.head << " aspect " << c.aspect << " fast " << c.fast);
    EXPECT_EQ(signal_picture(c.head, c.aspect, c.fast), c.picture);
  }
}

TEST(SignalPictures, HeadSevenAtAspectFiveFollowsTheVehiclesTopSpeed) {
  for (const auto& [max_speed, picture] : {std::pair{170, 29}, std::pair{160, 28}}) {
    SignalRig rig;
    rig.run.vehicle.max_speed = max_speed;
    rig.run.route.speed_signal = {0, 25, 45, 65, 95, 120};
    rig.sig(2).head = 7;
    rig.run.film.film_frame = SignalRig::frame_of(2) - 100;
    rig.aspects(0);
    EXPECT_EQ(rig.sig(2).image, picture) << max_speed;
    EXPECT_EQ(rig.run.signals.signal_image_now, picture);
  }
}

TEST(SignalPictures, OutsideItsDrawingStretchASignalOnlyTellsStopFromGo) {
  SignalRig rig;
  rig.aspects(kBetween5And6);
  EXPECT_EQ(rig.sig(5).image, 0);
  EXPECT_EQ(rig.sig(4).image, 12);
  rig.run.film.film_frame = SignalRig::frame_of(5) - 1;  // the last frame of its stretch
  rig.aspects(kBetween5And6);
  EXPECT_EQ(rig.sig(5).image, 7);
  EXPECT_EQ(rig.sig(4).image, 12);
}

TEST(SignalView, TheSignalInViewIsDrawnOnceAndDarkAsTheTrainPassesIt) {
  SignalRig rig;
  SignalData& s = rig.sig(5);
  s.sub_frame = 3;
  s.left_frame = 4;
  s.left_stop_frame = 6;
  s.right_frame = 5;  // no stop frame: keeps its picture
  s.x = 10;
  rig.run.route.signal_offset_x = 2;
  rig.run.film.film_frame = SignalRig::frame_of(5) - 100;
  rig.aspects(kBetween5And6);
  const SignalState& st = rig.run.signals;
  EXPECT_EQ(st.signal_image_now, 7);
  EXPECT_EQ(st.signal_image_shown, 7);
  EXPECT_EQ(st.shown_signal, 5);
  EXPECT_EQ(st.signal_call_voice, 105);
  EXPECT_EQ(st.heads[0].pattern, 7);
  EXPECT_EQ(st.heads[0].x, 12);
  EXPECT_EQ(st.heads[1].pattern, 3);
  EXPECT_EQ(st.heads[2].pattern, 6);
  EXPECT_EQ(st.heads[3].pattern, 5);

  // The train in block 5 moves on: the same signal clears and the left head shows go.
  rig.aspects(0);
  EXPECT_EQ(st.signal_image_now, 9);
  EXPECT_EQ(st.heads[2].pattern, 4);

  struct Case {
    int offset;
    bool passing;
  };
  for (const Case c : {Case{0, true}, Case{19, true}, Case{20, false}}) {
    rig.run.film.film_frame = SignalRig::frame_of(5) + c.offset;
    rig.run.signals.signal_image_now = rig.run.signals.shown_signal = 5;
    rig.run.signals.signal_call_voice = 105;
    rig.aspects(0);
    SCOPED_TRACE(c.offset);
    EXPECT_EQ(st.signal_image_now == kNoSignal, c.passing);
    EXPECT_EQ(st.shown_signal == kNoSignal, c.passing);
    EXPECT_EQ(st.signal_call_voice == kNoSignal, c.passing);
  }
}

TEST(SignalView, CabSignallingKeepsThePictureAsTheTrainPasses) {
  SignalRig rig;
  rig.run.vehicle.ats_type = AtsType::CabSignal;
  rig.sig(5).head = 9;
  rig.run.film.film_frame = SignalRig::frame_of(5) - 100;
  rig.aspects(kBetween5And6);
  const SignalState& st = rig.run.signals;
  EXPECT_EQ(st.signal_image_now, 35);
  EXPECT_EQ(st.cab_signal_pattern, 0);
  EXPECT_EQ(st.heads[0].pattern, 35);
  rig.run.film.film_frame = SignalRig::frame_of(5);
  rig.aspects(kBetween5And6);
  EXPECT_EQ(st.signal_image_now, 35);
  EXPECT_EQ(st.signal_image_shown, 35);
  EXPECT_EQ(st.shown_signal, kNoSignal);
  EXPECT_EQ(st.signal_call_voice, kNoSignal);
}

TEST(SignalView, WhereStretchesOverlapTheLaterSignalRemains) {
  SignalRig rig;
  rig.sig(3).show_from = SignalRig::frame_of(1) + 100;  // overlaps signal 2's stretch
  rig.sig(3).head = 4;  // a picture other than signal 2's, so that it is drawn as well
  rig.run.film.film_frame = SignalRig::frame_of(2) - 100;
  rig.aspects(kBetween5And6);
  EXPECT_EQ(rig.run.signals.shown_signal, 3);
  EXPECT_EQ(rig.run.signals.signal_call_voice, 103);
  EXPECT_EQ(rig.run.signals.signal_image_now, rig.sig(3).image);
}

TEST(SignalView, AStationJumpRedrawsNearASignalAndForgetsTheViewElsewhere) {
  SignalRig rig;
  SignalState& st = rig.run.signals;
  st.signal_image_now = st.signal_image_shown = 7;
  st.shown_signal = 5;
  st.signal_call_voice = 105;
  st.distance_text = "x";
  st.signal_info_text = "y";
  rig.run.film.film_frame = SignalRig::frame_of(5) - 100;
  refresh_views(rig.run);
  EXPECT_EQ(st.signal_image_shown, 1000);
  EXPECT_EQ(st.light2_frame_shown, kNoSignal);  // no traffic light near
  EXPECT_EQ(st.shown_signal, 5);                // ... which leaves the signal in view alone
  EXPECT_EQ(st.distance_text, "");
  EXPECT_EQ(st.signal_info_text, "");
  // The next pass draws the signal again.
  rig.aspects(kBetween5And6);
  EXPECT_EQ(st.signal_image_shown, 7);
  EXPECT_EQ(st.shown_signal, 5);

  rig.run.film.film_frame = SignalRig::frame_of(5) + 50;  // between two stretches
  refresh_views(rig.run);
  EXPECT_EQ(st.signal_image_now, kNoSignal);
  EXPECT_EQ(st.signal_image_shown, kNoSignal);
  EXPECT_EQ(st.signal_call_voice, kNoSignal);
  EXPECT_EQ(st.heads[0].pattern, 0);
}

TEST(SignalBlocks, BackToTheBlockStartGoesToJustBeforeTheSignalBehindTheTrain) {
  struct Case {
    int from, to;
  };
  const Case cases[] = {{999, 999},   {1000, 990},  {1999, 990},
                        {2000, 1990}, {8000, 7990}, {12000, 7990}};
  for (const Case& c : cases) {
    SignalRig rig;
    rig.run.film.film_frame = c.from;
    rig.run.signals.signal_call_voice = 101;
    back_to_block_start(rig.run);
    EXPECT_EQ(rig.run.film.film_frame, c.to) << c.from;
    EXPECT_EQ(rig.run.signals.signal_call_voice, c.from == c.to ? 101 : kNoSignal) << c.from;
  }
}

TEST(SignalView, TheStationJumpPlacesThePrecedingTrainAndRedrawsOnTheNextPass) {
  StationRig rig(fixture_config());
  const SignalState& st = rig.run.signals;
  EXPECT_EQ(st.pre_train_frame, 2400);  // the route's start value
  StationClick(rig.run, 2);
  // The clock stands between the preceding train's two departures: it waits at the stop of
  // the second record's station.
  EXPECT_EQ(st.pre_train_frame, rig.run.route.stations[2].tail);
  EXPECT_EQ(st.signal_image_shown, kNoSignal);  // no signal stretch holds frame 3000 inside it
  EXPECT_EQ(st.light2_frame_shown, kNoSignal);
  Timer1(rig.run);
  EXPECT_EQ(st.shown_signal, 3);
  EXPECT_EQ(st.signal_image_now, 7);  // its departure is not given yet
  EXPECT_EQ(st.signal_image_shown, 7);
  EXPECT_EQ(rig.run.route.signals[2].aspect, 0);  // the preceding train is in its block
}

}  // namespace
}  // namespace velmora
