// Station stops: arrival, departure and the end of the run, the overrun, stations passed
// without stopping, the one-man stop and the station jump.

#include <gtest/gtest.h>

#include "app/train_steps.h"
#include "dynamics/keisan.h"
#include "input/keyboard.h"
#include "route/doors.h"
#include "route/station_jump.h"
#include "station_rig.h"

namespace velmora {
namespace {

TEST(StationStop, ConductorTrainOpensDoorsOnlyStandingInsideTheZone) {
  struct Case {
    long double position, speed;
    bool open;
  };
  const Case cases[] = {
      {kCentral, 0, true},       {kCentral - 300, 0.049L, true}, {kCentral + 300, -0.049L, true},
      {kCentral, 0.05L, false},  {kCentral, -0.05L, false},      {kCentral + 301, 0, false},
      {kCentral - 301, 0, false}};
  for (const Case& c : cases) {
    StationRig rig;
    rig.leave_first();
    rig.at(c.position, c.speed);
    rig.passes(3);
    const StationState& st = rig.run.station;
    SCOPED_TRACE(::testing::Message() << static_cast<double>(c.position) << " cm at "
                                      << static_cast<double>(c.speed) << " km/h");
    EXPECT_EQ(st.doors_open, c.open);
    EXPECT_EQ(st.door_cmd, c.open);
    EXPECT_EQ(rig.count("play", "door_open.wav"), c.open ? 1 : 0);
    EXPECT_EQ(rig.count("play", "arrival_2s.wav"), c.open ? 1 : 0);
    // Events 0 (just before the doors open) and 1 (the arrival sound started), in that order.
    EXPECT_EQ(rig.details("station_call"),
              c.open ? (std::vector<std::string>{"0 2", "1 2"}) : std::vector<std::string>{});
    EXPECT_EQ(rig.details("call"),
              c.open ? (std::vector<std::string>{"0 kanko\\k00.wav", "1 kanko\\k01.wav"})
                     : std::vector<std::string>{});
    EXPECT_EQ(st.st_doors_done[2], c.open);
  }
}

TEST(StationStop, OverrunKeepsTheDoorsShutAndAnnouncesOnce) {
  StationRig rig;
  rig.leave_first();
  rig.run.station.cur_station = 2;  // as on a line with no station passed on the way
  rig.at(kCentral + 301, 0);
  rig.passes(20);
  const StationState& st = rig.run.station;
  EXPECT_FALSE(st.doors_open);
  EXPECT_EQ(rig.count("play", "passing.wav"), 1);  // the first [Announce] header sound
  EXPECT_TRUE(st.st_announce_pending[2]);
  EXPECT_FALSE(st.st_departed[2]);

  // Back into the zone: the doors open and the held-back announcement follows.
  rig.at(kCentral + 200, 0);
  rig.passes(2);
  EXPECT_TRUE(st.doors_open);
  EXPECT_EQ(rig.count("play", "ambient.wav"), 1);  // the second header sound
  EXPECT_FALSE(st.st_announce_pending[2]);
  EXPECT_EQ(rig.count("play", "passing.wav"), 1);

  // The overrun dialog's correction moves the train to the stop position.
  rig.at(kCentral + 900, 0);
  kotai_stop_click(rig.run);
  EXPECT_EQ(rig.run.train.motion.position_cm, kCentral);
}

TEST(StationStop, AStationPassedWithoutStoppingIsSkippedAndItsZoneDoesNothing) {
  StationRig rig;
  rig.leave_first();
  const StationState& st = rig.run.station;
  EXPECT_EQ(st.station_index, 2);
  EXPECT_EQ(st.stop_position, kCentral);
  EXPECT_EQ(st.this_station_text, "始発駅");
  EXPECT_EQ(st.next_stop_text, "中央駅");

  rig.at(30000, 40);
  rig.passes();
  EXPECT_EQ(st.station_text, "次は 通過駅通過");
  rig.at(45000, 0);  // standing at the passed station's stop position
  rig.passes(5);
  EXPECT_EQ(st.station_text, "次は 通過駅通過");
  EXPECT_FALSE(st.st_arrived[1]);
  EXPECT_FALSE(st.st_doors_done[1]);
  EXPECT_FALSE(st.doors_open);
  EXPECT_EQ(st.zone_station, 0);
  rig.at(60000, 40);
  rig.passes();
  EXPECT_EQ(st.station_text, "次は 中央駅停車");

  set_next_stop(rig.run, 3);  // no stop after the last
  EXPECT_EQ(st.station_index, 2);
}

TEST(StationStop, DistanceBoardsAppearBeforeEachBoardAndGoAfterIt) {
  const std::pair<long double, int> boards[] = {
      {30000, 0}, {29999, 5}, {27500, 5}, {27499, 0}, {20000, 0}, {19999, 4},
      {17500, 4}, {17499, 0}, {15000, 0}, {14999, 3}, {12500, 3}, {12499, 0},
      {10000, 0}, {9999, 2},  {7500, 2},  {7499, 0},  {5000, 0},  {4999, 1},
      {3000, 1},  {2999, 0},  {0, 0},     {-500, 0}};
  for (const auto& [d, frame] : boards)
    EXPECT_EQ(distance_board(d), frame) << static_cast<double>(d) << " cm";

  StationRig rig;
  rig.leave_first();
  rig.at(kCentral - 14000, 30);
  rig.passes();
  EXPECT_EQ(rig.run.station.teimoku_frame, 3);
  rig.at(kCentral - 200, 10);  // in the zone the marker shows 10 + the station
  rig.passes();
  EXPECT_EQ(rig.run.station.teimoku_frame, 12);
}

TEST(StationStop, BackgroundSoundFallsOffTowardsTwentyMetres) {
  const std::pair<long double, int> volumes[] = {{0, 0},        {1000, -602},   {-1000, -602},
                                                 {1999, -6602}, {2000, -10000}, {-2500, -10000}};
  for (const auto& [d, volume] : volumes)
    EXPECT_EQ(background_volume(d), volume) << static_cast<double>(d);

  StationRig rig;
  rig.leave_first();
  rig.at(kCentral - 1000, 20);
  rig.passes();
  EXPECT_EQ(rig.sound.volume(rig.run.sound.route_channel(3)), -602);
  EXPECT_EQ(rig.sound.status(rig.run.sound.route_channel(3)) & SoundDevice::kLooping,
            SoundDevice::kLooping);
  rig.at(kCentral - 2001, 20);
  rig.passes();
  EXPECT_EQ(rig.sound.status(rig.run.sound.route_channel(3)), 0);
}

TEST(StationStop, TheLastStationEndsTheRunOnceTheArrivalSoundIsOver) {
  for (const int last_station : {999, 2}) {
    RunConfig c = stations_config();
    c.last_station = last_station;
    StationRig rig(c);
    rig.run.station.doors_open = rig.run.station.door_cmd = false;
    const int at = last_station == 2 ? 2 : 3;
    rig.run.station.stop_position = rig.run.route.stations[at].position;
    rig.at(rig.run.route.stations[at].position, 0);
    rig.passes();
    EXPECT_TRUE(rig.run.station.doors_open);
    rig.ticks(30);
    EXPECT_EQ(rig.run.frame.fade_alpha, 0) << "while the arrival sound plays";
    rig.ticks(40);
    EXPECT_EQ(rig.run.frame.fade_alpha, 1) << "last station " << last_station;
    EXPECT_TRUE(rig.run.station.run_ended);
  }
}

TEST(StationStop, OneManDriverOpensAndTheStopCompletesWhenShutAfterTheMelody) {
  StationRig rig;
  rig.run.route.one_man = OneManMode::OneMan;
  rig.leave_first();
  rig.run.train.motion.sim_ticks = 1083600 - 90 - 200;  // 10:01:50
  rig.at(kCentral, 0);
  rig.passes(2);
  StationState& st = rig.run.station;
  EXPECT_FALSE(st.doors_open);
  EXPECT_EQ(rig.details("station_call"), (std::vector<std::string>{"0 2"}));
  EXPECT_EQ(rig.details("call"), (std::vector<std::string>{"0 kanko\\k00.wav"}));

  Door_operate(rig.run);
  rig.passes();
  EXPECT_TRUE(st.doors_open);
  EXPECT_TRUE(st.st_doors_done[2]);
  EXPECT_EQ(st.station_index, 3);  // the next stop is set on arrival
  EXPECT_EQ(rig.count("play", "arrival_2s.wav"), 1);
  EXPECT_EQ(st.train_info_text, "");
  rig.ticks(61);  // the arrival sound is over: the hint to check the doors
  EXPECT_EQ(st.train_info_text, rig.run.ui.info_label[1]);

  rig.ticks(140);  // past 10:01:57: the melody
  EXPECT_TRUE(st.st_departed[2]);
  Door_operate(rig.run);  // shut while the melody plays
  rig.passes();
  EXPECT_EQ(st.train_info_text, "");
  EXPECT_FALSE(st.st_stop_done[2]);
  rig.ticks(91);
  EXPECT_TRUE(st.st_stop_done[2]);
  EXPECT_FALSE(st.doors_open);
}

TEST(StationStop, DepartureCallWhenPowerIsFirstTakenWithTheDoorsShut) {
  StationRig rig;
  rig.leave_first();
  rig.at(kCentral, 0);
  rig.passes();
  ASSERT_TRUE(rig.run.station.doors_open);
  AsciiDown(rig.run, U'z');
  EXPECT_EQ(rig.count("station_call", "4 2"), 0);
  AsciiDown(rig.run, U'a');
  rig.run.station.doors_open = rig.run.station.door_cmd = false;
  AsciiDown(rig.run, U'z');
  AsciiDown(rig.run, U'z');
  EXPECT_EQ(rig.details("station_call"), (std::vector<std::string>{"0 2", "1 2", "4 2"}));
  // After the arrival's calls: powering away first, then the station's type 3 entry.
  EXPECT_EQ(rig.details("call"),
            (std::vector<std::string>{"0 kanko\\k00.wav", "1 kanko\\k01.wav", "20 kanko\\k20.wav",
                                      "4 kanko\\k04.wav"}));
}

// [Sound2] (one entry only) loops from the conductor's closing of the doors at a station in
// its range until the doors open at its end station.
TEST(StationStop, TheRouteSoundOfAStretchLoopsFromTheClosingDoorsToItsEndStation) {
  const struct {
    std::vector<StationRangeSoundData> sound2;
    bool loops;
  } cases[] = {{{{5, 2, 3}}, true}, {{{5, 0, 2}}, false}, {{{5, 2, 3}, {5, 2, 3}}, false}};
  for (const auto& c : cases) {
    StationRig rig;
    velmora::Run& run = rig.run;
    run.route.sound2 = c.sound2;
    const int channel = run.sound.route_channel(5);
    StationClick(run, 2);
    rig.passes();        // the doors open
    rig.ticks(61 + 91);  // the melody at 10:01:57, then the doors close after it
    ASSERT_TRUE(run.station.st_stop_done[2]);
    EXPECT_EQ((rig.sound.status(channel) & SoundDevice::kLooping) != 0, c.loops) << c.sound2.size();
    if (!c.loops) continue;
    // Arriving at 終点駅: the conductor opens the doors and the sound stops.
    run.station.doors_open = run.station.door_cmd = false;
    rig.at(run.route.stations[3].position, 0);
    rig.passes();
    EXPECT_TRUE(run.station.doors_open);
    EXPECT_EQ(rig.sound.status(channel), 0);
  }
}

TEST(StationJump, StandsAtTheStationOnTheServiceBrakeAndWaitsForTheDeparture) {
  StationRig rig;
  rig.at(30000, 60);
  StationClick(rig.run, 2);
  const StationState& st = rig.run.station;
  const HandleState& h = rig.run.train.handles;
  EXPECT_EQ(rig.run.train.motion.speed, 0);
  EXPECT_EQ(rig.run.train.motion.position_cm, kCentral);
  EXPECT_EQ(rig.run.train.motion.stop_distance, 0);
  EXPECT_EQ(st.stop_position, kCentral);
  EXPECT_EQ(st.station_index, 2);
  EXPECT_EQ(st.cur_station, 2);
  EXPECT_EQ(h.brake_handle, -7);  // [Brake] 8: one notch short of the emergency brake
  EXPECT_EQ(h.brake_notch, -7);
  EXPECT_EQ(h.sap_notch, -7);
  EXPECT_EQ(h.power_handle, 0);
  EXPECT_FALSE(st.doors_open);
  EXPECT_TRUE(st.st_doors_done[2]);
  EXPECT_EQ(st.station_text, "ただいま 中央駅");
  EXPECT_EQ(rig.run.train.motion.sim_ticks, 1083600 - 90 - 60);
  EXPECT_EQ(rig.run.film.film_frame, 3000);
  EXPECT_EQ(rig.count("window_caption", "駅線"), 1);

  // The conductor opens the doors at once; the melody waits for 10:01:57.
  rig.passes();
  EXPECT_TRUE(st.doors_open);
  rig.ticks(59);
  EXPECT_FALSE(st.st_departed[2]);
  rig.ticks(2);
  EXPECT_TRUE(st.st_departed[2]);
  EXPECT_EQ(st.station_index, 3);
}

TEST(StationJump, KeepsAStationPositionInsideAFilmSpeedSegment) {
  StationRig rig;
  rig.run.frame.frame_ms = 16.667L;  // a frame's time, as the main loop gives it
  rig.run.frame.fps = 60;
  keisan(rig.run);           // standing in the first [SpeedUnit] entry
  StationClick(rig.run, 1);  // 450 m, halfway along the second
  keisan(rig.run);
  EXPECT_EQ(rig.run.train.motion.position_cm, 45000);
}

TEST(StationJump, TheSwitchedFilmGivesWayToTheRouteFilmAtTheStationFrame) {
  StationRig rig;
  rig.run.film.movie_state = MovieState::RunningFilm;
  rig.run.film.switch_frame = 40;
  StationClick(rig.run, 3);
  EXPECT_EQ(rig.run.film.movie_state, MovieState::RouteFilm);
  EXPECT_EQ(rig.run.film.switch_frame, 0);
  EXPECT_EQ(rig.run.film.film_frame, 5900);
  EXPECT_EQ(rig.run.film.shown_frame, 5899);
  StationClick(rig.run, 4);  // no such station: nothing happens
  EXPECT_EQ(rig.run.station.station_index, 3);
}

TEST(StationJump, TheMoveMenuListsStopsInTheRunsRange) {
  struct Case {
    int first, last;
    bool listed[4];
  };
  const Case cases[] = {{0, 999, {true, false, true, false}},
                        {2, 999, {false, false, true, false}},
                        {0, 2, {true, false, false, false}}};
  for (const Case& c : cases) {
    TestRig rig(stations_config());
    rig.run.config.first_station = c.first;
    rig.run.config.last_station = c.last;
    FormCreate(rig.run);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(station_in_menu(rig.run.route, rig.run.config, i), c.listed[i])
          << c.first << ".." << c.last << ": " << i;
  }
}

}  // namespace
}  // namespace velmora
