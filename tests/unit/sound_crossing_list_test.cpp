// The list of level crossings waiting for their call.

#include <gtest/gtest.h>

#include <vector>

#include "call_rig.h"
#include "route/station_jump.h"
#include "sound/crossing_list.h"

namespace velmora {
namespace {

std::vector<int> waiting(const Run& run) {
  std::vector<int> list;
  for (int c : run.calls.cross_pending)
    if (c != -1) list.push_back(c);
  return list;
}

void at_frame(CallRig& rig, int frame) {
  rig.run.film.film_frame = frame;
  crossing_list_step(rig.run);
}

TEST(CrossingList, ACrossingJoinsOnceAtItsAnnounceFrameAndLeavesAtItsPassedFrame) {
  CallRig rig;
  rig.run.route.crossings = {{1, 3, 100, 200, 0}, {1, 4, 150, 300, 0}};
  for (int frame : {99, 100, 119, 150}) at_frame(rig, frame);
  EXPECT_EQ(waiting(rig.run), (std::vector<int>{0, 1}));
  rig.run.overlays.cross_shown = 0;
  for (int frame : {200, 201}) at_frame(rig, frame);  // the next crossing is not taken along
  EXPECT_EQ(waiting(rig.run), (std::vector<int>{1}));
  EXPECT_EQ(rig.run.overlays.cross_shown, 0);
  at_frame(rig, 300);
  EXPECT_TRUE(waiting(rig.run).empty());
  EXPECT_EQ(rig.run.overlays.cross_shown, kNoCrossing);
}

TEST(CrossingList, ATwelfthCrossingIsNotAddedWhileElevenWait) {
  CallRig rig;
  rig.run.route.crossings.clear();
  for (int i = 0; i < 12; ++i) rig.run.route.crossings.push_back({1, 3, 100, 500 + 50 * i, 0});
  at_frame(rig, 100);
  at_frame(rig, 119);
  EXPECT_EQ(waiting(rig.run), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(CrossingList, ACrossingAnnouncedWhileACalledOneIsPassedStillJoins) {
  CallRig rig;
  rig.run.route.crossings = {{1, 3, 100, 200, 0}, {1, 4, 150, 400, 0}, {1, 5, 200, 450, 0}};
  for (int frame : {100, 150}) at_frame(rig, frame);
  crossing_call(rig.run);  // Enter at the first crossing's light
  EXPECT_EQ(rig.take_calls(), slots({"3"}));
  for (int frame = 200; frame < 220; ++frame) at_frame(rig, frame);
  EXPECT_EQ(waiting(rig.run), (std::vector<int>{1, 2}));
}

TEST(CrossingList, AStationJumpRebuildsTheListAndForgetsTheCalls) {
  CallRig rig;
  const int frame = rig.run.route.stations[2].Start;
  rig.run.route.crossings = {{1, 3, frame - 100, frame + 100, 0},
                             {1, 4, frame, frame + 200, 0},
                             {1, 5, frame - 50, frame, 0},
                             {1, 6, frame + 1, frame + 300, 0}};
  rig.run.calls.cross_pending[0] = 3;
  for (int slot : {0, 1}) kanko_queue_add(rig.run, slot);
  kanko_queue_play(rig.run);
  rig.run.announce.announce_played.assign(rig.run.route.announce.size(), true);
  StationClick(rig.run, 2);
  EXPECT_EQ(waiting(rig.run), (std::vector<int>{0, 1}));
  EXPECT_TRUE(rig.run.calls.call_queue.empty());
  EXPECT_FALSE(rig.run.calls.call_playing);
  EXPECT_EQ(rig.run.announce.announce_played, std::vector<bool>(rig.run.route.announce.size(), false));
}

}  // namespace
}  // namespace velmora
