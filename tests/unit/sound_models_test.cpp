#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/startup.h"
#include "input/keyboard.h"
#include "sound/equipment_sounds.h"
#include "sound/running_sounds.h"
#include "sound/sound_levels.h"
#include "sound/sound_step.h"
#include "sound/trackside_sounds.h"
#include "sound/vehicle_sounds.h"
#include "sound_rig.h"

namespace velmora {
namespace {

TEST(SoundLevels, NoLogarithmOfNothingAndAlwaysWithinTheDevicesRange) {
  EXPECT_EQ(level_of(2000, 0), kSilent);
  EXPECT_EQ(level_of(2000, -0.5L), kSilent);
  EXPECT_EQ(level_of(2000, std::nanl("")), kSilent);
  EXPECT_EQ(level_of(2000, 1e-9L), kSilent);  // -18000 is beyond the device
  EXPECT_EQ(level_of(5000, 3), kFullLevel);   // louder than full is full
  EXPECT_EQ(level_of(2000, 0.5L), -602);
  EXPECT_EQ(level_of_away(2000, 0.01L), -4000);
}

TEST(RunningNoise, TheBandsAtStandstillFifteenAndAHundredAndTwentyFive) {
  SoundRig rig;
  rig.run.train.motion.speed = 0;
  running_noise_step(rig.run);
  EXPECT_TRUE(rig.playing(0));
  EXPECT_EQ(rig.device().volume(0), 0);
  EXPECT_TRUE(rig.playing(1));
  EXPECT_EQ(rig.device().volume(1), -4000);
  EXPECT_FALSE(rig.playing(2));

  rig.run.train.motion.speed = 15;
  running_noise_step(rig.run);
  EXPECT_TRUE(rig.playing(0));  // the standstill sound runs on under the others
  EXPECT_EQ(rig.device().volume(1), -602);
  EXPECT_EQ(rig.device().volume(2), -602);
  EXPECT_EQ(rig.device().volume(0), 0);

  rig.run.train.motion.speed = 24.6L;  // rounds to 25: band 2 and 3 share it
  running_noise_step(rig.run);
  EXPECT_FALSE(rig.playing(1));
  EXPECT_TRUE(rig.playing(2) && rig.playing(3));

  SoundRig fast;
  fast.run.train.motion.speed = -125;
  running_noise_step(fast.run);
  for (int band = 0; band < 12; ++band) EXPECT_FALSE(fast.playing(band)) << band;
  EXPECT_TRUE(fast.playing(12));
  EXPECT_EQ(fast.device().volume(12), 0);
}

TEST(ElectricMotor, APoweringRowFadesOutWithinAboutASecondOfPowerOff) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  ASSERT_FALSE(run.vehicle.engine_sound1.empty());
  MotorSoundData& row = run.vehicle.engine_sound1[0];
  row.kagen = 0;
  row.Speed1 = 0;
  row.Speed2 = 20;
  row.Volume1 = row.Volume2 = 100;
  run.train.motion.speed = 10;
  const int channel = run.sound.motor_channel(0);
  run.train.handles.power_notch = 4;
  for (int i = 0; i < 120; ++i) electric_motor_step(run);  // the common fader rises to 85
  EXPECT_TRUE(rig.playing(channel));
  EXPECT_GT(rig.device().volume(channel), -3000);

  run.train.handles.power_notch = 0;
  int frames = 0;
  while (rig.device().volume(channel) != kSilent && frames < 200) {
    electric_motor_step(run);
    ++frames;
  }
  EXPECT_NEAR(frames * 16.667 / 1000, 0.9, 0.1);
  EXPECT_TRUE(rig.playing(channel));  // it idles on, silent, never below the fader's floor
}

// The common faders are a step of each row's rule: with two rows they move twice a pass.
TEST(CommonFaders, MoveOnceForEveryMotorOrGearRow) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  ASSERT_EQ(run.vehicle.engine_sound1.size(), 2u);
  run.train.handles.power_notch = 1;
  electric_motor_step(run);
  EXPECT_NEAR(static_cast<double>(run.sound.load_fade), 1 + 2 * 16.667 / 20, 1e-9);
  run.train.handles.power_notch = run.train.handles.brake_notch = 0;
  run.sound.load_fade = 50;
  electric_motor_step(run);
  EXPECT_NEAR(static_cast<double>(run.sound.load_fade), 50 - 2 * 16.667 / 10, 1e-9);

  run.vehicle.engine_type = EngineType::Diesel;
  run.sound.load_fade = 1;
  run.train.handles.power_notch = 1;
  diesel_engine_step(run);
  EXPECT_NEAR(static_cast<double>(run.sound.load_fade), 1 + 2 * 16.667 / 10, 1e-9);

  run.vehicle.engine_sound3.push_back(run.vehicle.engine_sound3.at(0));
  run.sound.gear_count = 2;
  reset_running_sounds(run);
  gear_sounds_step(run);
  EXPECT_NEAR(static_cast<double>(run.sound.gear_load), 1 + 2 * 16.667 / 10, 1e-9);
}

// A diesel engine row over the engine speed: its line between Speed1 and Speed4, a level
// fading to nothing over 10 units beyond each end, and level 1 with the rate kept outside.
TEST(DieselEngineSounds, CurveMarginsAndTheRowsActiveInTheirPosition) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.engine_type = EngineType::Diesel;
  MotorSoundData row;
  row.kagen = -1;  // always on
  row.Speed1 = 30;
  row.Speed4 = 90;
  row.Rate1 = 0.5L;
  row.Rate4 = 2;
  row.Volume1 = 60;
  row.Volume4 = 100;
  MotorSoundData second = row;
  second.kagen = 2;  // on in transmission position 2 only
  run.vehicle.engine_sound1 = {row, second};
  const int channel = run.sound.motor_channel(0);
  struct Case {
    long double rpm, rate;
    int volume;  // 1660 log10(level × 100 × 5 / 1 000 000), the common fader at its floor of 5
  } cases[] = {{60, 1.25L, -2321}, {25, 0.375L, -3028}, {30, 0.5L, -2528}, {95, 2.125L, -2659}, {110, 2.125L, -5480}};
  for (const Case& c : cases) {
    run.sound.load_fade = 5;
    run.train.engine.engine_rpm = c.rpm;
    diesel_engine_step(run);
    EXPECT_NEAR(static_cast<double>(rig.rate_of(channel)), static_cast<double>(c.rate), 1e-3)
        << static_cast<double>(c.rpm);
    EXPECT_EQ(rig.device().volume(channel), c.volume) << static_cast<double>(c.rpm);
    EXPECT_TRUE(rig.looping(channel));
  }
  run.train.engine.gear_pos = 1;
  diesel_engine_step(run);
  EXPECT_EQ(run.sound.motor_fade[1], 1);
  run.train.engine.gear_pos = 2;
  diesel_engine_step(run);
  EXPECT_EQ(run.sound.motor_fade[1], 100);
}

TEST(EngineIdle, TheOpenDoorsIdlingUntilFiftyFivePassesIntoTheirClosing) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.engine_sound2 = {30, 31, 0, 0};  // A, B
  StationState& st = run.station;
  const auto pass = [&](bool open, bool commanded) {
    st.doors_open = open;
    st.door_cmd = commanded;
    engine_idle_step(run);
  };
  pass(false, false);
  EXPECT_TRUE(rig.looping(30));
  EXPECT_FALSE(rig.playing(31));
  pass(true, true);
  EXPECT_TRUE(rig.looping(31));
  EXPECT_FALSE(rig.playing(30));
  for (int i = 1; i < 55; ++i) pass(true, false);  // closing
  EXPECT_TRUE(rig.looping(31));
  pass(true, false);  // the 55th pass of the closing
  EXPECT_TRUE(rig.looping(30));
  EXPECT_FALSE(rig.playing(31));
  run.train.engine.engine_run = 0;
  pass(false, false);
  EXPECT_FALSE(rig.playing(30) || rig.playing(31));
}

TEST(GearSounds, ARowFadesInWithItsGearUnderPowerOrWithTheBrakeAboveLoseElec) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.engine_type = EngineType::Diesel;
  HensokuSoundData& row = run.vehicle.engine_sound3.at(0);
  row.StartSpeed = 0;
  row.EndSpeed = 30;
  row.StartRate = 0.8L;
  row.EndRate = 1.2L;
  row.StartVolume = 80;
  row.EndVolume = 60;
  run.train.engine.engine_run = 1;
  const long double step = 16.667L / 10;
  struct Case {
    int kagen, power, brake, gear;
    long double speed, before, after;
  } cases[] = {
      {1, 1, 0, 1, 20, 50, 50 + step}, {1, 1, 0, 2, 20, 50, 50},     {1, 0, 0, 1, 20, 50, 50 - step},
      {1, 1, 0, 1, 20, 95, 95},        {1, 0, 0, 1, 20, 10, 10},     {2, 0, -2, 0, 20, 50, 50 + step},
      {2, 0, -2, 0, 10, 50, 50 - step}, {2, 1, 0, 1, 20, 50, 50 - step}};
  for (const Case& c : cases) {
    row.kagen = c.kagen;
    row.gear = 1;
    run.train.handles.power_notch = c.power;
    run.train.handles.brake_notch = c.brake;
    run.train.engine.gear = c.gear;
    run.train.motion.speed = c.speed;  // [Lose_elec] first number: 10 km/h
    run.sound.gear_fade[0] = c.before;
    gear_sounds_step(run);
    EXPECT_NEAR(static_cast<double>(run.sound.gear_fade[0]), static_cast<double>(c.after), 1e-9)
        << c.kagen << " " << c.power << " " << c.brake << " " << c.gear << " " << static_cast<double>(c.speed);
  }
  // 5 km/h beyond the row's end speed of 30 the level has faded to half its end volume.
  run.train.motion.speed = 35;
  run.sound.gear_fade[0] = 100;
  run.sound.gear_load = 95;
  run.train.handles.power_notch = 1;
  run.train.engine.gear = 1;
  row.kagen = 1;
  gear_sounds_step(run);
  EXPECT_EQ(run.sound.gear_level[0], 30);
  EXPECT_NEAR(static_cast<double>(rig.rate_of(run.sound.gear_channel(0))), 1.2 + 0.4 / 30 * 5, 1e-3);
}

TEST(TracksideAtten, TheLastStretchAroundTheFrameQuietensTheOneShots) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.route.atten = {{100, 200, 0, 50}, {150, 300, 0, 25}};
  const std::pair<int, long double> at[] = {{99, 1}, {120, 0.5L}, {160, 0.25L}, {250, 0.25L}, {300, 1}};
  for (const auto& [frame, atten] : at) {
    run.film.film_frame = frame;
    trackside_atten(run);
    EXPECT_EQ(run.sound.atten, atten) << frame;
  }
  TrackSoundData one;
  one.first_frame = 150;
  one.end_frame = 400;
  one.ref_speed = 80;
  one.volume_flag = 1;
  run.route.sounds = {one};
  clear_trackside_marks(run);
  run.film.film_frame = 160;
  run.train.motion.speed = 80;
  trackside_atten(run);
  track_sounds_step(run);
  EXPECT_EQ(rig.device().volume(run.sound.route_channel(0)), -3010);  // 5000 log10(0.25)
}

// The signed speed where the rules say speed, its magnitude where they say |v|.
TEST(TrackSounds, BackingSilencesALoopAndAStandstillLeavesThePitch) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  TrackSoundData loop;
  loop.first_frame = 100;
  loop.end_frame = 400;
  loop.ref_speed = 60;
  loop.mode = 1;
  loop.rate_flag = 1;
  run.route.sounds = {loop};
  clear_trackside_marks(run);
  const int channel = run.sound.route_channel(0);
  run.film.film_frame = 105;
  run.train.motion.speed = 30;
  track_sounds_step(run);
  EXPECT_TRUE(rig.looping(channel));
  EXPECT_NEAR(static_cast<double>(rig.rate_of(channel)), 0.5, 1e-3);
  EXPECT_EQ(rig.device().volume(channel), kFullLevel);
  run.film.film_frame = 110;  // stopped within its start: it keeps the pitch it had
  run.train.motion.speed = 0;
  track_sounds_step(run);
  EXPECT_NEAR(static_cast<double>(rig.rate_of(channel)), 0.5, 1e-3);
  const struct {
    long double speed;
    int volume;
  } cases[] = {{-1, kSilent}, {-30, kSilent}, {0.99L, kSilent}, {1, kFullLevel}, {0, kSilent}};
  for (const auto& c : cases) {
    run.film.film_frame = 200;
    run.train.motion.speed = c.speed;
    track_sounds_step(run);
    EXPECT_EQ(rig.device().volume(channel), c.volume) << static_cast<double>(c.speed);
  }
  EXPECT_NEAR(static_cast<double>(rig.rate_of(channel)), 1 / 60.0, 1e-3);  // from 1 km/h
  EXPECT_EQ(rig.count("freq", channel), 2);  // at 30 and at 1 km/h only
}

TEST(Doppler, ThePitchRisesBeforeTheSourceAndFallsAfterIt) {
  EXPECT_NEAR(doppler_rate(100, 5000), 1.089, 0.001);
  EXPECT_NEAR(doppler_rate(100, -5000), 1220 / (1220 + 100 * std::cos(std::atan(300.0 / 5000))), 1e-9);
  EXPECT_LT(doppler_rate(100, -5000), 1);
  EXPECT_EQ(doppler_rate(100, 0), 1);
  EXPECT_EQ(doppler_rate(0, 5000), 1);

  SoundRig rig;  // a source at film frame 2000, heard within 50 m
  velmora::Run& run = rig.run;
  ASSERT_EQ(run.route.doppler.size(), 1u);
  const DopplerData& src = run.route.doppler[0];
  const int channel = run.sound.route_channel(src.sound);
  run.train.motion.position_cm = src.position - 4000;
  doppler_step(run);
  EXPECT_TRUE(rig.playing(channel));
  EXPECT_EQ(rig.device().volume(channel), static_cast<int>(std::lround(2000 * std::log10(1000.0 / 5000))));
  run.train.motion.position_cm = src.position + 5001;
  doppler_step(run);
  EXPECT_FALSE(rig.playing(channel));
}

TEST(TrackSounds, AOneShotSkippedByAJumpDoesNotPlayAndAContinuousOneLoopsAndStops) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  TrackSoundData one;
  one.sound = 0;
  one.first_frame = 500;
  one.end_frame = 600;
  one.ref_speed = 60;
  run.route.sounds = {one};
  clear_trackside_marks(run);
  const int channel = run.sound.route_channel(0);
  run.film.film_frame = 531;  // the film jumped past the first 30 frames
  track_sounds_step(run);
  EXPECT_EQ(rig.plays(channel), 0);
  run.film.film_frame = 529;
  track_sounds_step(run);
  track_sounds_step(run);
  EXPECT_EQ(rig.plays(channel), 1);  // once

  // The fixture's continuous sound at frames 100..400 fades in over its first 30 frames.
  SoundRig loop;
  velmora::Run& r2 = loop.run;
  const int ch = r2.sound.route_channel(r2.route.sounds[0].sound);
  r2.train.motion.speed = 60;
  r2.film.film_frame = 110;
  track_sounds_step(r2);
  EXPECT_EQ(loop.device().status(ch), SoundDevice::kPlaying | SoundDevice::kLooping);
  EXPECT_NEAR(r2.sound.atten, 0.33, 1e-9);
  r2.train.motion.speed = 0.5L;
  r2.film.film_frame = 200;
  track_sounds_step(r2);
  EXPECT_EQ(loop.device().volume(ch), kSilent);  // below 1 km/h
  r2.film.film_frame = 405;
  track_sounds_step(r2);
  EXPECT_FALSE(loop.playing(ch));
}

TEST(PointsSounds, ASetOfPointsSoundsOnceAsTheTrainComesOverItAndAgainAfterAJump) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.route.switches = {{1000, 1}};
  run.vehicle.switch_sound = {{5, 30, 1}, {6, 999, 1}, {7, 999, 2}};
  clear_trackside_marks(run);
  run.train.motion.speed = 40;  // above the first entry's limit: the second one sounds
  run.film.film_frame = 990;
  points_sounds_step(run);
  EXPECT_EQ(rig.plays(6), 0);
  run.film.film_frame = 991;
  points_sounds_step(run);
  EXPECT_EQ(rig.plays(6), 1);
  run.film.film_frame = 1009;
  points_sounds_step(run);
  EXPECT_EQ(rig.plays(6), 1);
  EXPECT_EQ(rig.plays(5) + rig.plays(7), 0);
  sounds_after_jump(run);
  points_sounds_step(run);
  EXPECT_EQ(rig.plays(6), 2);
}

// Handle sounds, each table entry its own sound so the entry played can be told.
struct HandleRig : SoundRig {
  HandleRig() {
    VehicleData& v = run.vehicle;
    v.brake_type = BrakeType::AutomaticAir;
    v.brake = 5;
    v.sound_bk = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}};
    v.sound_br = {{0, 6}, {0, 7}, {0, 8}, {0, 9}, {0, 10}};
    v.sound_ba = {{0, 11}, {0, 12}, {0, 13}, {0, 14}, {0, 15}, {0, 16}};
    v.sound_pa = {17, 18, 19, 20};
    v.sound_pr = {21, 22, 23, 24};
    v.sound_pk = {25, 26, 27, 28};
  }
  void change(int power_before, int brake_before, int power, int brake) {
    run.train.handles.power_handle = power;
    run.train.handles.brake_handle = -brake;
    handle_sounds(run, power_before, -brake_before);
  }
};

TEST(HandleSounds, AutomaticAirBrakeAndPowerSteps) {
  HandleRig rig;
  rig.change(0, 3, 0, 0);
  EXPECT_EQ(rig.plays(3), 1);  // [Sound_BK] entry 2
  rig.change(0, 0, 0, 2);
  EXPECT_EQ(rig.plays(11), 1);  // [Sound_BA] entry 0
  rig.change(0, 3, 0, 1);
  EXPECT_EQ(rig.plays(8), 1);  // [Sound_BR] entry 2
  rig.change(3, 0, 0, 0);
  EXPECT_EQ(rig.plays(27), 1);  // [Sound_PK] entry 2
  rig.change(0, 0, 1, 0);
  EXPECT_EQ(rig.plays(17), 1);  // [Sound_PA] entry 0
  rig.change(3, 0, 2, 0);
  EXPECT_EQ(rig.plays(23), 1);  // [Sound_PR] entry 2
  int sounded = 0;  // nothing else
  for (const Event& e : rig.log.events) sounded += e.kind == "play" || e.kind == "loop";
  EXPECT_EQ(sounded, 6);
}

TEST(HandleSounds, OnlyTypedCommandsSoundAndTheyCompareWithTheLastTypedPositions) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.sound_pa = {17, 18, 19, 20};
  ASSERT_EQ(run.input.prev_brake_handle, -run.vehicle.brake);  // the start: brake at emergency
  // A controller moves the power handle to 3, which makes no handle sound; the next typed
  // notch-up compares with notch 0, where the last typed command left it.
  run.train.handles.power_handle = 3;
  run.train.handles.brake_handle = 0;
  run.input.prev_brake_handle = 0;
  AsciiDown(run, U'z');
  EXPECT_EQ(rig.plays(17), 1);  // [Sound_PA] entry 0: from notch 0
}

TEST(HornSequence, OpeningThenTheMiddleSoundsInTurnThenTheClosing) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  // S1..S4 and an interval of 30 ticks (1 s). Whether a sound still sounds is set by hand,
  // as a long horn recording would keep sounding.
  run.vehicle.sound_horn1.numbers = {25, 26, 27, 46, 30};
  run.vehicle.sound_horn2.sound = 0;
  const auto at = [&](int ticks) {
    run.train.motion.sim_ticks = ticks;
    horn_step(run);
  };
  run.input.key3_held = true;
  at(100);
  EXPECT_EQ(rig.plays(25), 1);
  rig.device().loop(25);
  at(130);
  EXPECT_EQ(rig.plays(26), 0);  // S1 has sounded for only the interval
  at(131);
  EXPECT_EQ(rig.plays(26), 1);
  rig.device().loop(26);
  at(162);
  EXPECT_EQ(rig.plays(27), 1);  // S2 goes on to S3
  rig.device().stop(25);
  rig.device().stop(26);
  rig.device().loop(27);
  at(192);
  EXPECT_EQ(rig.plays(26), 1);
  at(193);
  EXPECT_EQ(rig.plays(26), 2);  // S3 and S2 take turns while the key is held

  run.input.key3_held = false;
  at(223);
  EXPECT_EQ(rig.plays(46), 0);  // the closing waits for the interval too
  at(224);
  EXPECT_EQ(rig.plays(46), 1);
  at(260);
  EXPECT_EQ(rig.plays(46), 1);  // once, while it sounds
}

TEST(StopAlert, ModeZeroSoundsOnceUntilTheTrainHasStopped) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  const int alert = run.vehicle.stop[0];
  ASSERT_EQ(run.vehicle.stop[1], 0);
  run.train.motion.stop_distance = 10000;  // 100 m: v²/18 > -25 always
  run.train.motion.speed = 40;
  stop_alert_step(run);
  EXPECT_EQ(rig.plays(alert), 1);
  rig.seconds(10);  // the alert is over
  stop_alert_step(run);
  stop_alert_step(run);
  EXPECT_EQ(rig.plays(alert), 1);
  run.train.motion.speed = 0.5L;
  stop_alert_step(run);
  run.train.motion.speed = 30;
  stop_alert_step(run);
  EXPECT_EQ(rig.plays(alert), 2);

  run.vehicle.stop[1] = 1;  // mode 1 sounds each time it has ended
  rig.seconds(10);
  stop_alert_step(run);
  EXPECT_EQ(rig.plays(alert), 3);
}

TEST(BrakeSqueal, SilencedWithinAFewFramesOnceTheTrainStands) {
  SoundRig rig;
  velmora::Run& run = rig.run;
  const int squeak = run.vehicle.sound_squeak;
  run.train.brakes.bc_t = 300;
  run.train.brakes.ebrake_current = 0;
  run.train.motion.speed = 20;
  brake_squeal_step(run);
  ASSERT_TRUE(rig.playing(squeak));
  run.train.motion.speed = 0.5L;
  run.train.brakes.bc_t = 0;
  int frames = 0;
  while (rig.playing(squeak) && frames < 100) {
    brake_squeal_step(run);
    ++frames;
  }
  EXPECT_LE(frames, 6);
}

}  // namespace
}  // namespace velmora
