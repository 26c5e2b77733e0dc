// The Enter key's choice of call, the signal calls, the time call and the station calls.

#include <gtest/gtest.h>

#include "call_rig.h"
#include "sound/calls.h"
#include "sound/enter_call.h"

namespace velmora {
namespace {

constexpr int kNoVoice = 999;  // a signal whose call voice no [KankoSound2] entry has

TEST(EnterKey, TwiceAtTheSameSignMakesOneSignCallAndThenTheSignalCall) {
  CallRig rig;
  rig.signal_in_view(2, 7, 0);
  rig.run.overlays.sign_shown = 1;
  enter_call(rig.run);
  EXPECT_EQ(rig.take_calls(), slots({"O1"}));
  enter_call(rig.run);
  EXPECT_EQ(rig.take_calls(), slots({"22", "0"}));  // the route's call for voice 0, then stop
}

TEST(EnterKey, TheSignalPictureChoosesTheCallAndARouteWithItsOwnCallsNeedsASignalInView) {
  const std::pair<int, const char*> pictures[] = {{1, "0"}, {29, "21"}, {2, "5"}, {32, ""}};
  for (const auto& [image, slot] : pictures) {
    CallRig rig;
    rig.signal_in_view(2, image, kNoVoice);
    enter_call(rig.run);
    EXPECT_EQ(rig.take_calls(), *slot ? slots({slot}) : slots({})) << "picture " << image;
  }
  for (const bool own_calls : {true, false}) {
    CallRig rig;
    if (!own_calls) rig.run.route.call_voice.resize(kFixedCallSlots);
    rig.run.route.signal_kanko = {{2, 2, 4, 0}};  // kanko_add(2) would queue slot 4
    rig.signal_in_view(2, kNoSignal, 0);
    enter_call(rig.run);
    EXPECT_EQ(rig.take_calls(), own_calls ? slots({}) : slots({"4"}));
  }
}

TEST(EnterKey, LimitAndLimitEndCallsWantNoOtherSignAndTheTrainMoving) {
  CallRig rig;
  rig.signal_in_view(2, 2, kNoVoice);
  OverlayState& ov = rig.run.overlays;
  ov.limit_image_shown = 1;
  ov.limit_blink = true;
  rig.run.train.motion.speed = 0.4L;  // rounds to 0
  enter_call(rig.run);
  rig.run.train.motion.speed = -3;  // backwards counts
  enter_call(rig.run);
  enter_call(rig.run);
  EXPECT_EQ(rig.take_calls(), slots({"5", "L1", "5"}));
  ov.limit_blink = false;
  ov.limit_end_shown = true;
  ov.limit_image_shown = 0;
  enter_call(rig.run);
  ov.last_call_id = -1;
  ov.sign_shown = 7;  // a sign without a voice is still a sign in view
  enter_call(rig.run);
  EXPECT_EQ(rig.take_calls(), slots({"L0", "5"}));
}

TEST(EnterKey, ACrossingCallTakesTheFirstWaitingCrossingUntilNoneIsLeft) {
  CallRig rig;
  rig.run.route.crossings = {{1, 3, 100, 200, 0}, {1, 4, 150, 250, 0}};
  rig.run.calls.cross_pending[0] = 0;
  rig.run.calls.cross_pending[1] = 1;
  rig.signal_in_view(2, 2, kNoVoice);
  OverlayState& ov = rig.run.overlays;
  ov.cross_shown = 0;
  rig.run.train.motion.speed = 0.6L;
  enter_call(rig.run);
  ov.cross_light2_shown = true;  // the second light: the signal instead
  enter_call(rig.run);
  ov.cross_light2_shown = false;
  enter_call(rig.run);
  EXPECT_EQ(ov.cross_shown, kNoCrossing);  // the emptied list puts the light out of view
  enter_call(rig.run);
  EXPECT_EQ(rig.take_calls(), slots({"3", "5", "4", "5"}));
}

TEST(SignalCalls, EntriesOfTheSignalInViewRunAroundItsOwnCallUnlessMarkedForStop) {
  CallRig rig;
  rig.run.route.signal_kanko = {
      {2, 0, 1, 0},        // kind 1: before the route's own call
      {3, 0, 9, 0},        // another signal
      {2, 2, 3, 0},        // kind 2, after the picture's call
      {2, 1, 1083600, 0},  // kind 2, a time call
      {2, 2, 4, 1},        // not while the signal shows stop, nor any after it
      {2, 2, 5, 0},
  };
  rig.run.train.motion.sim_ticks = 1083600;
  rig.signal_in_view(2, 4, 0);
  enter_call(rig.run);
  EXPECT_EQ(rig.take_calls(), slots({"1", "22", "2", "3", "18", "4", "5"}));
  rig.signal_in_view(2, 7, 0);
  enter_call(rig.run);
  EXPECT_EQ(rig.take_calls(), slots({"1", "22", "0", "3", "18"}));
}

TEST(TimeCall, TheAmountInFifteenSecondStepsAndTheDirection) {
  struct Case {
    int off, type;  // ticks after the scheduled time (negative: early)
    std::vector<std::string> queued;
  };
  const Case cases[] = {
      {600, 1, slots({"6", "14"})},  {-600, 0, slots({"6", "15"})},  {450, 1, slots({"18"})},
      {-450, 0, slots({"18"})},      {5400, 0, slots({"16", "13"})}, {5401, 0, slots({"17", "13"})},
      {-5849, 1, slots({"17", "16"})}, {5850, 1, slots({})},
  };
  for (const Case& c : cases) {
    CallRig rig;
    rig.run.train.motion.sim_ticks = 1080000 + c.off;
    Timekanko(rig.run, 1080000, c.type);
    EXPECT_EQ(rig.take_calls(), c.queued) << c.off << " ticks, type " << c.type;
  }
}

TEST(TimeCall, TheTimeBoardChecksTheTimeOnceInsideItsTimeEntry) {
  CallRig rig;
  rig.run.overlays.sign_shown = kTimeBoard;
  rig.run.train.motion.sim_ticks = 1083600 + 600;  // [Time] 2950..3000 is due at 10:02:00
  rig.signal_in_view(2, 2, kNoVoice);
  for (int frame : {2950, 2951, 2999}) {
    rig.run.film.film_frame = frame;
    rig.run.overlays.last_call_id = -1;
    enter_call(rig.run);
  }
  enter_call(rig.run);  // the same board again: the signal
  EXPECT_EQ(rig.take_calls(), slots({"6", "14", "6", "14", "5"}));
  Timecheck(rig.run, 1);
  EXPECT_TRUE(rig.take_calls().empty());
}

TEST(StationCalls, EachEventRunsItsTypeAndTheValuesFollowTheConvention) {
  CallRig rig;
  rig.run.route.station_kanko = {
      {2, 4, 0}, {2, 0, 1}, {2, 1, 2}, {2, 2, 3}, {2, 3, 4}, {2, 5, 5},
      {1, 4, 19},       // another station
      {2, 4, 999},      // as Enter
      {2, 4, 1083600},  // a time call
      {2, 4, -1},       // no slot
  };
  rig.signal_in_view(2, 2, kNoVoice);
  rig.run.train.motion.sim_ticks = 1083600 - 30;
  const std::vector<std::string> expected[] = {slots({"0", "5", "18"}), slots({"1"}), slots({"2"}),
                                               slots({"3"}), slots({"20", "4"}), slots({"5"})};
  for (int event = 0; event <= 5; ++event) {
    station_call(rig.run, event, 2);
    EXPECT_EQ(rig.take_calls(), expected[event]) << "event " << event;
  }
  station_call(rig.run, 6, 2);
  EXPECT_TRUE(rig.take_calls().empty());
}

}  // namespace
}  // namespace velmora
