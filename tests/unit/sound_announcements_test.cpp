// The passenger announcements: one-man keys, the passenger's reaction, the conductor's
// announcements at their places and the driver's answer on key 4.

#include <gtest/gtest.h>

#include "call_rig.h"
#include "input/keyboard.h"
#include "sound/announcements.h"

namespace velmora {
namespace {

// Announcements on their own sounds: entry 1 before arriving at 中央駅 (300 m, answered with
// slot 5), entry 2 after leaving 始発駅 (100 m).
struct AnnounceRig : CallRig {
  AnnounceRig() {
    run.route.announce = {{0, 0, 0, 0, 0}, {4, 1, 2, 300, 5}, {1, 0, 0, 100, 0}};
    clear_announce_latches(run);
  }
  // Events of that kind on the channel of route sound `sound`.
  int on(const std::string& kind, int sound) const {
    const std::string ch = std::to_string(run.sound.route_channel(sound));
    int n = 0;
    for (const Event& e : log.events)
      n += e.kind == kind && (e.detail == ch || e.detail.rfind(ch + " ", 0) == 0) ? 1 : 0;
    return n;
  }
  void at(long double x, long double stop_distance) {
    run.train.motion.position_cm = x;
    run.train.motion.stop_distance = stop_distance;
    conductor_announcements(run);
  }
  long double stop(int station) const { return run.route.stations[static_cast<std::size_t>(station)].position; }
};

TEST(ConductorAnnouncements, EachPlaysOnceWithinFiveMetresOfItsPlace) {
  struct Case {
    long double from_place, stop_distance;  // cm past the entry's place; cm to the next stop
    bool entry1, entry2;
  };
  const Case cases[] = {{-1, 50000, false, false}, {0, 50000, true, true}, {499, 50000, true, true},
                        {500, 50000, false, false}, {0, 10000, true, false}};
  for (const Case& c : cases) {
    AnnounceRig rig;
    rig.at(rig.stop(2) - 30000 + c.from_place, c.stop_distance);
    rig.at(rig.stop(0) + 10000 + c.from_place, c.stop_distance);
    rig.seconds(5);  // both over: neither plays again
    rig.at(rig.stop(2) - 30000 + c.from_place, c.stop_distance);
    rig.at(rig.stop(0) + 10000 + c.from_place, c.stop_distance);
    EXPECT_EQ(rig.on("play", 4), c.entry1 ? 1 : 0) << static_cast<double>(c.from_place);
    EXPECT_EQ(rig.on("play", 1), c.entry2 ? 1 : 0) << static_cast<double>(c.stop_distance);
  }
}

TEST(ConductorAnnouncements, Key4AnswersOnTheFirstPassOfAPressWhileTheAnnouncementPlays) {
  AnnounceRig rig;
  rig.run.vehicle.key4 = "B";
  const auto key4 = [&rig](bool down) {
    rig.run.input.key4_held = down;
    answer_call_step(rig.run);
  };
  key4(true);  // held from before the announcement: no new press
  rig.at(rig.stop(2) - 30000, 50000);
  key4(true);
  key4(false);
  key4(true);
  key4(true);
  key4(false);
  key4(true);  // answered already
  EXPECT_EQ(rig.take_calls(), slots({"5"}));

  AnnounceRig over;
  over.run.vehicle.key4 = "B";
  over.at(over.stop(2) - 30000, 50000);
  over.seconds(5);
  over.run.input.key4_held = true;
  answer_call_step(over.run);
  EXPECT_TRUE(over.take_calls().empty());
}

struct OneManRig : AnnounceRig {
  OneManRig() {
    run.route.one_man = OneManMode::OneMan;
    run.station.announce_next = 1;
    for (StationData& s : run.route.stations) s.prob = 0;
  }
};

TEST(OneManAnnouncements, TheKeysStepThroughTheAnnouncementsStoppingTheOneBefore) {
  OneManRig rig;
  const int& k = rig.run.station.announce_next;
  AsciiDown(rig.run, U'c');
  AsciiDown(rig.run, U'1');  // entry 2 while entry 1 still plays: that one stops
  AsciiDown(rig.run, U'c');  // past the last entry: nothing
  EXPECT_EQ(rig.on("play", 4), 1);
  EXPECT_EQ(rig.on("stop", 4), 1);
  EXPECT_EQ(rig.on("play", 1), 1);
  EXPECT_EQ(k, 3);
  AsciiDown(rig.run, U'-');
  EXPECT_EQ(rig.on("stop", 1), 1);
  EXPECT_EQ(k, 2);
  rig.run.platform.sound.play(rig.run.sound.route_channel(1));
  AsciiDown(rig.run, U'c');  // entry 2 is still sounding: nothing
  EXPECT_EQ(k, 2);

  // A start beyond the table (announce_next follows the first station) does nothing.
  OneManRig far;
  far.run.station.announce_next = 9;
  AsciiDown(far.run, U'-');
  AsciiDown(far.run, U'c');
  EXPECT_EQ(far.run.station.announce_next, 8);
  EXPECT_EQ(far.count("play"), 0);
}

TEST(OneManAnnouncements, APassengerReactsAfterTheStationsDelay) {
  for (const int prob : {0, 1}) {
    OneManRig rig;
    rig.run.route.stations[1].prob = prob;
    rig.run.route.stations[1].time = 30;  // 3 s
    rig.run.train.motion.sim_ticks = 1000;
    AsciiDown(rig.run, U'c');
    rig.run.train.motion.sim_ticks = 1090;
    announce_event_step(rig.run);
    EXPECT_FALSE(rig.run.announce.extra_picture4_shown);
    rig.run.train.motion.sim_ticks = 1091;
    announce_event_step(rig.run);
    EXPECT_EQ(rig.run.announce.extra_picture4_shown, prob != 0) << "prob " << prob;
  }
}

}  // namespace
}  // namespace velmora
