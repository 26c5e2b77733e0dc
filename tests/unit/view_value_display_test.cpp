#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/startup.h"
#include "app/timer1.h"
#include "data/route_tables.h"
#include "input/keyboard.h"
#include "test_rig.h"
#include "view/value_display.h"

namespace velmora {
namespace {

// The fixture run with the value display shown.
struct ValueRig : TestRig {
  explicit ValueRig(RunConfig config = fixture_config()) : TestRig(std::move(config)) {
    FormCreate(run);
    run.value_display.visible = true;
  }
  const std::string& shown(std::string ValueTexts::*value) {
    value_display_step(run);
    return (*run.value_display.values).*value;
  }
};

TEST(ValueDisplay, ValuesInTheirFormatsWithHalvesRoundedToEven) {
  ValueRig rig;
  velmora::Run& run = rig.run;
  run.train.motion.speed = 7.25L;
  EXPECT_EQ(rig.shown(&ValueTexts::speed), "7.2 km/h");
  run.train.motion.gradient = Fixed4(-12.5L);
  EXPECT_EQ(rig.shown(&ValueTexts::gradient), "-12 Permil");
  run.train.brakes.bp_press = -0.3L;  // no "-0"
  EXPECT_EQ(rig.shown(&ValueTexts::bp_press), "0 kPa");
  run.train.traction.ammeter_needle = 2.5L;
  EXPECT_EQ(rig.shown(&ValueTexts::ammeter), "2 A");
  run.train.traction.slip_text = "空転";
  run.train.traction.adhesion = Fixed4(0.125L);
  run.train.traction.adh_limit = Fixed4(1234.5L);
  EXPECT_EQ(rig.shown(&ValueTexts::adhesion), "空転 0.12 1234N");
  run.station.station_index = 3;  // the run from station 2, loaded 50 %
  run.load.total_mass = Fixed4(35.5L);
  EXPECT_EQ(rig.shown(&ValueTexts::load), "50% 35.5t");
  run.station.station_index = 0;  // no station left yet
  EXPECT_EQ(rig.shown(&ValueTexts::load), "0% 35.5t");
  run.train.handles = HandleState{};
  run.train.traction.current_step = 0;
  run.train.brakes.currentb_row = 0;
  run.train.handles.power_handle = 2;
  run.train.handles.brake_handle = -1;
  run.train.handles.sap_notch = -1;
  EXPECT_EQ(rig.shown(&ValueTexts::notches), "P 0 2 0 B 0 -1 0 -1 0");
  run.train.brakes.bc_t = Fixed4(440.5L);
  run.train.brakes.bc_m = Fixed4(-3);
  run.train.brakes.ebrake_current = 612;  // beyond the bar's end
  value_display_step(run);
  EXPECT_EQ(run.value_display.bars, (std::array<int, 3>{440, 0, 500}));
}

TEST(ValueDisplay, EveryValueHasOnePlaceInTheWindow) {
  ValueRig rig;
  EXPECT_FALSE(rig.run.value_display.values.has_value());  // the labels show their initial texts
  value_display_step(rig.run);
  EXPECT_TRUE(rig.run.value_display.values.has_value());
  std::vector<std::string ValueTexts::*> placed;
  int unfilled = 0;
  for (const ValueLabel& place : kValueLabels) {
    if (place.value == nullptr)
      ++unfilled;
    else if (std::find(placed.begin(), placed.end(), place.value) == placed.end())
      placed.push_back(place.value);
    else
      ADD_FAILURE() << "placed twice: " << place.left << "," << place.top;
  }
  // AR and the two labels right of the Limit and Check rows keep their initial texts.
  EXPECT_EQ(unfilled, 3);
  EXPECT_EQ(placed.size(), sizeof(ValueTexts) / sizeof(std::string));
}

TEST(ValueDisplay, PatternLimitAndCheckRowsShow999UntilTheyAreDue) {
  ValueRig rig;
  velmora::Run& run = rig.run;
  run.train.motion.position_cm = 1000;
  run.protection.ats_target_pos = 26050;  // 250.5 m
  EXPECT_EQ(rig.shown(&ValueTexts::ats_target_distance), "250");
  run.protection.limit_preview[0] = {0, 45, 50000, 12350, 0};  // due, 123.5 m
  run.protection.limit_preview[3] = {0, 60, 10000, 12000, 1};  // not yet due
  value_display_step(run);
  const ValueTexts& v = *run.value_display.values;
  EXPECT_EQ(v.limit_distance, "124");
  EXPECT_EQ(v.limit_speed, "45");
  EXPECT_EQ(v.check_distance, "999");
  EXPECT_EQ(v.check_speed, "999");
  run.protection.limit_preview[0] = LimitPreview{};  // none
  EXPECT_EQ(rig.shown(&ValueTexts::limit_distance), "999");
}

TEST(ValueDisplay, ThePrecedingTrainsPlace) {
  ValueRig rig;
  velmora::Run& run = rig.run;
  // Station tails: 330, 1530, 3030, 5930; records stop at stations 0 and 2.
  run.route.pre_train[1].delay = 45;  // 1.5 s
  SignalState& s = run.signals;
  s.pre_train_frame = 1000;
  s.pre_train_rate = 40;
  EXPECT_EQ(rig.shown(&ValueTexts::pre_train_place), "(始発駅～通過駅)");
  s.pre_train_rate = -10;  // backwards: the place shown last stays
  EXPECT_EQ(rig.shown(&ValueTexts::pre_train_place), "(始発駅～通過駅)");
  s.pre_train_frame = 3030;  // on a boundary the later station decides
  s.pre_train_rate = 0;
  EXPECT_EQ(rig.shown(&ValueTexts::pre_train_place), "(中央駅停車中 2秒遅延)");
  s.pre_train_frame = 2000;  // no record stops at station 1
  EXPECT_EQ(rig.shown(&ValueTexts::pre_train_place), "(通過駅停車中 0秒遅延)");
  s.pre_train_frame = 0;  // gone
  EXPECT_EQ(rig.shown(&ValueTexts::pre_train_place), "");
}

TEST(ValueDisplay, SignalTableNamesBlockAspectsAndMarksBothTrains) {
  ValueRig rig;
  velmora::Run& run = rig.run;
  // Signals at frames 60, 1200, 2600, 3100; 0 and 3 are departure signals.
  std::vector<SignalData>& sig = run.route.signals;
  sig[1].aspect = 0;
  sig[2].aspect = 4;
  run.signals.pre_train_frame = 1000;
  run.film.film_frame = 2600;
  value_display_step(run);
  EXPECT_EQ(run.value_display.signal_row, (std::vector<std::string>{"-", "●R", "○G", "-"}));
  run.film.film_frame = 1100;
  sig[2].aspect = 6;  // past the named aspects
  value_display_step(run);
  EXPECT_EQ(run.value_display.signal_row, (std::vector<std::string>{"-", "○●R", "6", "-"}));
}

TEST(ValueDisplay, ChannelMonitorShowsPlayingChannelsAndACellClickStopsItsChannel) {
  ValueRig rig;
  velmora::Run& run = rig.run;
  for (int channel : {3, 13}) {
    rig.sound.attach(channel, 0);
    rig.sound.loop(channel);
  }
  rig.sound.set_volume(13, -1200);
  value_display_step(run);
  EXPECT_TRUE(run.value_display.channels[13].playing);
  EXPECT_EQ(run.value_display.channels[13].volume, -1200);
  channel_cell_click(run, 13, 0);  // outside the grid, not channel 13
  channel_cell_click(run, 3, -1);
  EXPECT_NE(rig.sound.status(13), 0);
  EXPECT_NE(rig.sound.status(3), 0);
  channel_cell_click(run, 3, 1);
  value_display_step(run);
  EXPECT_FALSE(run.value_display.channels[13].playing);
  EXPECT_EQ(run.value_display.channels[13].volume, 0);
  EXPECT_TRUE(run.value_display.channels[3].playing);
}

TEST(ValueDisplay, F3ShowsItFilledAndTheRouteStepRefreshesItOnlyWhileShown) {
  TestRig rig(fixture_config());
  velmora::Run& run = rig.run;
  FormCreate(run);
  run.train.motion.speed = 12;
  key_pressed(run, Key::F3, false);
  EXPECT_TRUE(run.value_display.visible);
  EXPECT_EQ(run.value_display.values->speed, "12.0 km/h");
  run.train.motion.speed = 20;
  Timer1(run);
  EXPECT_EQ(run.value_display.values->speed, "20.0 km/h");
  key_pressed(run, Key::F3, false);
  run.train.motion.speed = 30;
  Timer1(run);
  EXPECT_FALSE(run.value_display.visible);
  EXPECT_EQ(run.value_display.values->speed, "20.0 km/h");
  key_pressed(run, Key::F3, false);
  FormCloseQuery(run);  // closes with the cab window
  EXPECT_FALSE(run.value_display.visible);
}

TEST(ValueDisplay, JumpTakesAWholeNumberAndReportsAnythingElse) {
  ValueRig rig;
  velmora::Run& run = rig.run;
  ValueDisplayState& d = run.value_display;
  run.film.film_frame = 500;
  for (const char* bad : {"12a", "", "1.5", "99999999999"}) {
    d.jump_text = bad;
    value_jump(run);
    EXPECT_EQ(run.film.film_frame, 500) << bad;
    EXPECT_NE(d.message, "") << bad;
  }
  d.jump_text = " 1234 ";
  value_jump(run);
  EXPECT_EQ(run.film.film_frame, 1234);
  EXPECT_EQ(d.message, "");
  toggle_speed_hold(run);
  EXPECT_TRUE(d.speed_hold);
}

TEST(ValueDisplay, LogKeepsTheNewestLines) {
  ValueDisplayState d;
  for (std::size_t i = 0; i < kValueLogLines + 5; ++i) value_display_log(d, std::to_string(i));
  EXPECT_EQ(d.log.size(), kValueLogLines);
  EXPECT_EQ(d.log.front(), "5");
  EXPECT_EQ(d.log.back(), std::to_string(kValueLogLines + 4));
}

// The fixture route on a copy whose [SpeedUnit] line "300,2700,36,36" reads `line` instead.
struct ReloadRig : ValueRig {
  ReloadRig() : ValueRig(copied_fixture("reload")) {
    std::stringstream text;
    text << std::ifstream(path(), std::ios::binary).rdbuf();
    original = text.str();
  }
  std::filesystem::path path() const { return run.config.program_dir / run.config.route_file; }
  void rewrite(const std::string& line) {
    std::string bytes = original;
    const std::size_t at = bytes.find("300,2700,36,36");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 14, line);
    std::ofstream(path(), std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string original;
};

TEST(SpeedUnitReload, ReplacesTheTableAndItsPlacesWithoutPicturesOrRandomDraws) {
  ReloadRig rig;
  velmora::Run& run = rig.run;
  run.film.film_frame = 1500;
  run.station.station_index = 2;
  const int segment1 =
      run.route.speed_units[1].distance_end - run.route.speed_units[0].distance_end;
  const int station2 = run.route.stations[2].position;
  const std::size_t pictures = rig.images.loaded.size();
  const std::mt19937_64 engine = run.rng;
  run.value_display.message = "old";
  rig.rewrite("300,2700,72,72");  // twice as fast: the stretch twice as long
  su_reload(run, run.route);
  EXPECT_EQ(run.value_display.message, "");
  EXPECT_EQ(run.route.speed_units[1].speed_first, 72);
  EXPECT_EQ(run.route.stations[2].position, station2 + segment1);
  EXPECT_EQ(run.station.stop_position, station2 + segment1);
  EXPECT_EQ(run.train.motion.position_cm, *frame_to_distance(run.route, 1500, run.ui.film_fps));
  EXPECT_EQ(run.train.motion.stop_distance,
            run.station.stop_position - run.train.motion.position_cm);
  EXPECT_EQ(rig.images.loaded.size(), pictures);
  EXPECT_TRUE(run.rng == engine);
}

TEST(SpeedUnitReload, AFileThatFailsKeepsTheOldTableAndTheRunGoesOn) {
  ReloadRig rig;
  velmora::Run& run = rig.run;
  const std::vector<SpeedUnitData> before = run.route.speed_units;
  const int station2 = run.route.stations[2].position;
  rig.rewrite("300,abc,36,36");
  su_reload(run, run.route);
  EXPECT_EQ(run.value_display.message.rfind(
                "路線ファイルに誤りがあります。[SpeedUnit]:300,abc,36,36\n", 0),
            0u)
      << run.value_display.message;
  EXPECT_EQ(run.route.speed_units[1].last_frame, before[1].last_frame);
  rig.rewrite("300,2700,36,1e12");  // reads, but the line grows too long for the tables
  su_reload(run, run.route);
  EXPECT_NE(run.value_display.message.find("[SpeedUnit]"), std::string::npos);
  EXPECT_EQ(run.route.speed_units[1].speed_last, before[1].speed_last);
  EXPECT_EQ(run.route.stations[2].position, station2);
  EXPECT_TRUE(run.frame.app_ready);
}

}  // namespace
}  // namespace velmora
