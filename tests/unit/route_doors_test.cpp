// The door command, forced closing, closing complete, the one-man door sounds and texts.

#include <gtest/gtest.h>

#include "route/doors.h"
#include "station_rig.h"

namespace velmora {
namespace {

// A one-man train standing (or creeping) at 中央駅 with its doors shut.
StationRig& one_man_at_central(StationRig& rig, long double speed) {
  rig.run.route.one_man = OneManMode::OneMan;
  rig.leave_first();
  rig.at(kCentral, 0);
  rig.passes();
  rig.run.train.motion.speed = speed;
  return rig;
}

TEST(Doors, NeverOpenWhileMoving) {
  const std::pair<long double, bool> cases[] = {{0, true},      {0.049L, true},  {-0.049L, true},
                                                {0.05L, false}, {-0.05L, false}, {3, false}};
  for (const auto& [speed, opens] : cases) {
    StationRig rig;
    one_man_at_central(rig, speed);
    Door_operate(rig.run);
    EXPECT_EQ(rig.run.station.doors_open, opens) << static_cast<double>(speed) << " km/h";
    EXPECT_EQ(rig.run.station.door_cmd, opens);
  }
}

TEST(Doors, OpenOnlyAtADistanceBoardOrInAStopZone) {
  StationRig rig;
  one_man_at_central(rig, 0);
  rig.run.station.teimoku_frame = 0;
  Door_operate(rig.run);
  EXPECT_FALSE(rig.run.station.doors_open);
  rig.run.station.teimoku_frame = 1;  // the 50 m board
  Door_operate(rig.run);
  EXPECT_TRUE(rig.run.station.doors_open);
}

TEST(Doors, OpenDoorsCloseByThemselvesAboveFiveKmh) {
  StationRig rig;
  rig.leave_first();
  rig.at(kCentral, 0);
  rig.passes();
  StationState& st = rig.run.station;
  ASSERT_TRUE(st.doors_open);
  EXPECT_FALSE(st.door_lamp_lit);
  const int cur = st.cur_station;

  rig.at(kCentral + 100, 5);
  rig.passes();
  EXPECT_TRUE(st.door_cmd);
  EXPECT_EQ(st.door_text, "ドアが開いています");
  rig.at(kCentral + 150, 5.01L);
  rig.passes();
  EXPECT_FALSE(st.door_cmd);
  EXPECT_TRUE(st.doors_open);  // until the closing sound is over
  EXPECT_EQ(st.door_text, "ドアを閉めています");
  EXPECT_EQ(rig.count("play", "door_close.wav"), 1);

  rig.ticks(29);  // the close sound lasts a second
  EXPECT_TRUE(st.doors_open);
  rig.ticks(2);
  EXPECT_FALSE(st.doors_open);
  EXPECT_TRUE(st.door_lamp_lit);
  EXPECT_EQ(st.door_text, "");
  EXPECT_EQ(st.cur_station, cur + 1);
  EXPECT_EQ(rig.count("play", "dep_sign.wav"), 1);
  // After the arrival's calls: the doors-shut call, then the station's calls of event 3 (its
  // type 2 entry, slot 3).
  EXPECT_EQ(rig.details("station_call"), (std::vector<std::string>{"0 2", "1 2", "3 2"}));
  EXPECT_EQ(rig.details("call"), (std::vector<std::string>{"0 kanko\\k00.wav", "1 kanko\\k01.wav",
                                                           "19 kanko\\k19.wav", "3 kanko\\k03.wav"}));
}

TEST(Doors, OneManDoorSoundsPlayOnlyWhenTheDrawIsWithinTheChance) {
  struct Case {
    int draw, chance;
    bool heard;
  };
  // doorprob 0: only a draw of 0, one chance in a hundred.
  const Case cases[] = {{0, 0, true},   {1, 0, false},   {99, 0, false},
                        {50, 50, true}, {51, 50, false}, {99, 100, true}};
  for (const Case& c : cases) {
    StationRig rig;
    one_man_at_central(rig, 0);
    rig.run.station.door_draw = c.draw;
    rig.run.station.door_chance = c.chance;
    Door_operate(rig.run);
    EXPECT_TRUE(rig.run.station.doors_open);
    Door_operate(rig.run);
    EXPECT_EQ(rig.count("play", "door_open.wav"), c.heard ? 1 : 0) << c.draw << " / " << c.chance;
    EXPECT_EQ(rig.count("play", "door_close.wav"), c.heard ? 1 : 0) << c.draw << " / " << c.chance;
  }
}

}  // namespace
}  // namespace velmora
