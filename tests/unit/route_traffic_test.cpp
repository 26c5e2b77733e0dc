// Road traffic lights and the preceding train.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "route/signals.h"
#include "test_rig.h"

namespace velmora {
namespace {

TrafficSignalData light(std::array<int, 6> lengths, std::array<int, 6> permits) {
  TrafficSignalData t;
  for (std::size_t p = 0; p < 6; ++p) t.phases[p] = {static_cast<int>(p) + 1, lengths[p], permits[p]};
  t.phase = 1;
  t.phase_count[0] = lengths[0];
  t.end_frame = 100000;
  t.warn_until_frame = 100000;
  return t;
}

TEST(TrafficLights, ZeroLengthPhasesAreLeftInThePassTheyBegin) {
  TestRig rig;
  rig.run.route.traffic_signals = {light({90, 0, 30, 0, 0, 0}, {1, 0, 0, 1, 0, 1})};
  std::vector<int> phases;  // the phase after each pass
  for (int pass = 0; pass < 300; ++pass) {
    traffic_light_step(rig.run);
    phases.push_back(rig.run.route.traffic_signals[0].phase);
  }
  // Passes 1..89 finish the first phase 1 (started with its full count); then phase 3 for
  // 30 passes, phase 1 for 90, phase 3 for 30 ...
  auto run_of = [&](std::size_t from, std::size_t count, int phase) {
    for (std::size_t k = from; k < from + count; ++k) EXPECT_EQ(phases[k], phase) << "pass " << k + 1;
  };
  run_of(0, 89, 1);
  run_of(89, 30, 3);
  run_of(119, 90, 1);
  run_of(209, 30, 3);
  run_of(239, 61, 1);
  for (int p : phases) EXPECT_TRUE(p == 1 || p == 3);
}

TEST(TrafficLights, AllPhasesOfLengthZeroWrapOncePerPass) {
  TestRig rig;
  rig.run.route.traffic_signals = {light({0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1})};
  for (int pass = 0; pass < 3; ++pass) {
    traffic_light_step(rig.run);
    EXPECT_EQ(rig.run.route.traffic_signals[0].phase, 1);
  }
}

// A light whose stop line is 5000 cm into the line, its second point 4000 cm.
struct LightRig : TestRig {
  LightRig() {
    run.ui.tc = "TC";
    run.ui.stops = {"AT", "STOP"};
    TrafficSignalData t = light({10, 10, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0});
    t.stop_frame = 500;
    t.stop_position = 5000;
    t.second_frame = 400;
    t.second_position = 4000;
    t.first_frame = 300;
    t.end_frame = 520;
    t.warn_until_frame = 490;
    t.state_stop = 1;
    t.state_go = 2;
    run.route.traffic_signals = {t};
  }
  void at(long double cm, int frame) {
    run.train.motion.position_cm = cm;
    run.film.film_frame = frame;
    traffic_light_step(run);
  }
};

TEST(TrafficLights, TheDistanceTextNamesTheSecondPointThenTheStopLineWhileItForbids) {
  struct Case {
    long double cm;
    const char* text;
  };
  const Case cases[] = {{4000 - 9900, ""},        {4000 - 9899, "AT 99m"}, {4000 - 250, "AT 2m"},
                        {4000 - 350, "AT 4m"},    {4000, "STOP 10m"},      {5000 + 499, "STOP -5m"},
                        {5000 + 500, ""}};
  for (const Case& c : cases) {
    LightRig rig;
    rig.at(c.cm, 0);
    SCOPED_TRACE(static_cast<double>(c.cm));
    EXPECT_EQ(rig.run.signals.distance_text, c.text);
  }
}

TEST(TrafficLights, NoDistanceTextBeforeAStopLineThatPermits) {
  LightRig rig;
  rig.run.route.traffic_signals[0].phase = 2;
  rig.run.route.traffic_signals[0].phase_count[1] = 5;
  rig.run.signals.distance_text = "old";
  rig.at(4500, 0);
  EXPECT_EQ(rig.run.signals.distance_text, "");
}

TEST(TrafficLights, StopLineStateAndWarningNearTheLight) {
  LightRig rig;
  SignalState& st = rig.run.signals;
  rig.at(4400, 450);  // before the midpoint 4500: nothing yet
  EXPECT_EQ(st.light2_frame_now, kNoSignal);
  rig.at(4600, 460);
  EXPECT_EQ(st.light2_frame_now, 1);
  EXPECT_EQ(st.light2_frame_shown, 1);
  EXPECT_EQ(st.signal_info_text, "TC");
  st.signal_info_text = "cleared by the display";
  rig.at(4700, 465);  // the same state: the warning is not set again
  EXPECT_EQ(st.signal_info_text, "cleared by the display");
  // Phase 2 permits: the state changes, the warning stays as it was.
  for (int k = 0; k < 10; ++k) rig.at(4700, 470);
  ASSERT_EQ(rig.run.route.traffic_signals[0].phase, 2);
  EXPECT_EQ(st.light2_frame_now, 2);
  EXPECT_EQ(st.light2_frame_shown, 2);
  // Within 15 frames of field 23 the warning goes; of field 3 the state goes.
  rig.at(4800, 476);
  EXPECT_EQ(st.signal_info_text, "");
  rig.at(5100, 506);
  EXPECT_EQ(st.light2_frame_now, kNoSignal);
  EXPECT_EQ(st.light2_frame_shown, kNoSignal);
}

// Stations 0..2 with the preceding train's stops at frames 1000, 5000 and 9000.
struct PreTrainRig : TestRig {
  PreTrainRig() {
    RouteData& r = run.route;
    for (int tail : {1000, 5000, 9000}) {
      StationData s;
      s.tail = tail;
      r.stations.push_back(s);
    }
    r.pre_train = {{0, 40, 100, 0, 0}, {1, 40, 200, 0, 0}, {2, 0, 300, 0, 0}};
    r.speed_units = {{0, 3000, 36, 36, 0}, {3000, 4000, 0, 0, 0}, {4000, 10000, 36, 36, 0}};
    run.ui.film_fps = 30;
    run.frame.frame_ms = 100;  // 30 / (1000 / 100) × 40 km/h: 120 a step
    run.train.motion.sim_ticks = 150;
    run.signals.pre_train_frame = 2000;
    run.signals.pre_train_end = 9500;
  }
};

TEST(PreTrain, MovesWholeFramesAtTheFilmingSpeedAndKeepsTheRemainder) {
  PreTrainRig rig;
  pre_train_step(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_rate, 40);
  EXPECT_EQ(rig.run.signals.pre_train_film_speed, 36);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 2003);  // 120 div 36
  EXPECT_EQ(rig.run.signals.pre_train_accum, 12);
  pre_train_step(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 2006);  // 132 div 36
  EXPECT_EQ(rig.run.signals.pre_train_accum, 24);
}

TEST(PreTrain, AtAPlaceFilmedStandingItJumpsTwiceTheAccumulatedIncrement) {
  PreTrainRig rig;
  rig.run.signals.pre_train_frame = 3500;
  rig.run.signals.pre_train_accum = 5;
  pre_train_step(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_film_speed, 0);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 3500 + 2 * 125);
  EXPECT_EQ(rig.run.signals.pre_train_accum, 0);
}

TEST(PreTrain, BackwardRateMovesItBack) {
  PreTrainRig rig;
  rig.run.route.pre_train[0].rate = -40;
  pre_train_step(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 1997);
}

TEST(PreTrain, ItWaitsAtAStationUntilItsDepartureTime) {
  PreTrainRig rig;
  rig.run.signals.pre_train_frame = 5000;  // station 1's stop, departure 200
  rig.run.signals.pre_train_rate = 40;
  pre_train_step(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_rate, 0);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 5000);
  rig.run.train.motion.sim_ticks = 201;
  pre_train_step(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_rate, 40);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 5003);
}

TEST(PreTrain, BeyondTheLastStopItKeepsItsRate) {
  PreTrainRig rig;
  rig.run.signals.pre_train_frame = 9100;
  rig.run.signals.pre_train_rate = -40;
  pre_train_step(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_rate, -40);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 9097);
}

TEST(PreTrain, ItStandsWhileBehindTheOwnTrainAndStaysGoneOnceRemoved) {
  PreTrainRig rig;
  rig.run.film.film_frame = 2001;
  pre_train_step(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 2000);
  EXPECT_EQ(rig.run.signals.pre_train_accum, 0);

  rig.run.film.film_frame = 0;
  rig.run.signals.pre_train_frame = 9501;
  pre_train_remove(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 0);
  pre_train_step(rig.run);  // not revived at frame 0 of the own train
  EXPECT_EQ(rig.run.signals.pre_train_frame, 0);
  rig.run.signals.pre_train_frame = 9500;
  pre_train_remove(rig.run);
  EXPECT_EQ(rig.run.signals.pre_train_frame, 9500);
}

TEST(PreTrain, AStationJumpPutsItAtTheNextStationItHasNotLeft) {
  struct Case {
    int ticks;
    int frame;
  };
  const Case cases[] = {{99, 0}, {100, 5000}, {199, 5000}, {200, 9000}, {299, 9000}, {300, 0}};
  for (const Case& c : cases) {
    PreTrainRig rig;
    rig.run.train.motion.sim_ticks = c.ticks;
    place_pre_train(rig.run);
    EXPECT_EQ(rig.run.signals.pre_train_frame, c.frame) << c.ticks;
  }
}

}  // namespace
}  // namespace velmora
