#include <gtest/gtest.h>

#include "app/timer1.h"
#include "input/keyboard.h"
#include "route/signals.h"
#include "protection_rig.h"

namespace velmora {
namespace {

// Runs the vigilance device until its timer has counted `ms` (17 ms a pass).
void run_for(ProtectionRig& rig, int passes) {
  for (int i = 0; i < passes; ++i) vigilance_step(rig.run);
}

TEST(Vigilance, CountsOnlyAboveOneKmhWithTheDeviceFitted) {
  struct Case {
    long double speed;
    int eb;
    int expected;
  } cases[] = {{1.0L, 1, 0}, {1.01L, 1, 17}, {-30, 1, 0}, {50, 0, 0}, {50, 2, 0}};
  for (const Case& c : cases) {
    ProtectionRig rig;
    rig.run.vehicle.eb = c.eb;
    rig.run.train.motion.speed = c.speed;
    vigilance_step(rig.run);
    EXPECT_EQ(rig.run.protection.eb_timer, c.expected) << c.speed << " " << c.eb;
  }
}

TEST(Vigilance, RingsAfterSixtySecondsAndBrakesAfterSixtyFive) {
  ProtectionRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.eb = 1;
  run.train.motion.speed = 40;
  run.protection.eb_timer = 60001 - 17 - 17;
  vigilance_step(run);
  EXPECT_FALSE(rig.playing(run.vehicle.sound_ebring));
  EXPECT_FALSE(run.protection.eb_lamp);
  vigilance_step(run);  // 60001
  EXPECT_TRUE(rig.playing(run.vehicle.sound_ebring));
  EXPECT_TRUE(run.protection.eb_lamp);
  EXPECT_FALSE(run.train.handles.eb_device);

  rig.clear_latches();
  run.protection.eb_timer = 65001 - 17 - 17;
  vigilance_step(run);
  EXPECT_FALSE(run.train.handles.eb_device);
  EXPECT_FALSE(rig.all_latches());
  vigilance_step(run);  // 65001
  EXPECT_TRUE(run.train.handles.eb_device);
  EXPECT_TRUE(rig.all_latches());
  EXPECT_EQ(run.protection.eb_timer, 0);
  EXPECT_EQ(brake_target(run.train.handles, run.vehicle), -run.vehicle.brake);  // the handle state brakes at emergency
  EXPECT_TRUE(rig.playing(run.vehicle.sound_ebring));  // rings on until released

  // Keys do not silence a tripped device; only the brake handle at emergency releases it.
  AsciiDown(run, U'a');
  EXPECT_TRUE(run.train.handles.eb_device);
  EXPECT_TRUE(rig.playing(run.vehicle.sound_ebring));
  run.train.handles.brake_handle = -3;
  vigilance_step(run);
  EXPECT_TRUE(run.train.handles.eb_device);
  rig.emergency_handle();
  run.train.motion.speed = 0;
  vigilance_step(run);
  EXPECT_FALSE(run.train.handles.eb_device);
  EXPECT_FALSE(rig.playing(run.vehicle.sound_ebring));
  EXPECT_FALSE(run.protection.eb_lamp);
}

TEST(Vigilance, AKeyBeforeTheBrakeStartsTheCountAgain) {
  ProtectionRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.eb = 1;
  run.train.motion.speed = 40;
  run.protection.eb_timer = 62000;
  vigilance_step(run);
  ASSERT_TRUE(run.protection.eb_lamp);
  AsciiDown(run, U'a');
  EXPECT_EQ(run.protection.eb_timer, 0);
  EXPECT_FALSE(rig.playing(run.vehicle.sound_ebring));
  EXPECT_FALSE(run.protection.eb_lamp);
  run_for(rig, 10);
  EXPECT_EQ(run.protection.eb_timer, 170);
  EXPECT_FALSE(run.train.handles.eb_device);
}

TEST(Vigilance, AutomaticRunningOrTheResistanceReleaseSwitchesTheDeviceOffForGood) {
  for (const bool by_auto_run : {true, false}) {
    ProtectionRig rig;
    velmora::Run& run = rig.run;
    run.vehicle.eb = 1;
    run.train.motion.speed = 40;
    (by_auto_run ? run.input.auto_run : run.value_display.speed_hold) = true;
    vigilance_step(run);
    run.input.auto_run = run.value_display.speed_hold = false;  // switched back: still off
    run_for(rig, 5);
    EXPECT_EQ(run.protection.eb_timer, 0) << by_auto_run;
  }
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

SpeedCheckData one_point(int position_cm, int speed2, int signal = 0) {
  SpeedCheckData c;
  c.speed = speed2 - 5;
  c.speed2 = speed2;
  c.position = position_cm;
  c.signal = signal;
  return c;
}

SpeedCheckData stretch(int speed, int from_frame, int to_frame) {
  SpeedCheckData c;
  c.speed = speed;
  c.from_frame = from_frame;
  c.to_frame = to_frame;
  return c;
}

// A rig with an empty set of route checks, two signals (0 clear, 1 at stop) and the alarm
// running out after 5 s.
struct CheckRig : ProtectionRig {
  CheckRig() {
    RouteData& r = run.route;
    r.speed_check1.clear();
    r.speed_check2.clear();
    r.speed_check3.clear();
    r.speed_limits.clear();
    r.movie_stop.clear();
    r.max_speed_check = 0;
    r.signals.assign(3, SignalData{});
    r.signals[0].aspect = 2;
    r.signals[1].aspect = 0;
    r.signals[2].aspect = 3;
    run.vehicle.ats_type = AtsType::WarningPoint;
    run.vehicle.ats_time = 5000;
    run.train.engine.ats_enabled = true;
    run.panel.lamp_signal_speeds = {0, 25, 35, 45, 65, 45};
    run.station.line_max_speed = 120;
    run.film.film_frame = 1000;
  }
  void at(long double position_cm, long double speed) {
    run.train.motion.position_cm = position_cm;
    run.train.motion.speed = speed;
  }
  // One route-step pass of the protection: the alarm timer, then the checks.
  void pass() {
    if (run.train.engine.ats_enabled && run.protection.ats_alarm) alarm_timer(run);
    speed_checks(run);
  }
};

TEST(OnePointCheck, TripsOnlyAboveItsSpeedAndIsLookedAtOnce) {
  struct Case {
    long double speed;
    bool alarm;
  } cases[] = {{61, true}, {60.01L, true}, {60, false}, {-70, false}};
  for (const Case& c : cases) {
    CheckRig rig;
    rig.run.route.speed_check1 = {one_point(10000, 60)};
    rig.at(9999, c.speed);
    rig.pass();
    EXPECT_FALSE(rig.run.protection.ats_alarm) << "not yet reached";
    rig.at(10001, c.speed);
    rig.pass();
    EXPECT_EQ(rig.run.protection.ats_alarm, c.alarm) << c.speed;
    EXPECT_TRUE(rig.run.route.speed_check1[0].passed);
    EXPECT_FALSE(rig.run.train.handles.ats_eb);
    rig.pass();  // the alarm's time has already run out
    EXPECT_EQ(rig.run.train.handles.ats_eb, c.alarm) << c.speed;
  }
  CheckRig rig;
  rig.run.route.speed_check1 = {one_point(10000, 60)};
  rig.at(10001, 60);
  rig.pass();
  rig.at(10100, 100);
  rig.pass();
  EXPECT_FALSE(rig.run.protection.ats_alarm);  // passed once, never again
}

TEST(OnePointCheck, ASignalCheckWaitsForItsSignalAtStop) {
  CheckRig rig;
  rig.run.route.speed_check1 = {one_point(10000, 30, 2), one_point(10000, 30, -1), one_point(10000, 30, 9)};
  rig.at(10500, 50);
  rig.pass();
  EXPECT_FALSE(rig.run.protection.ats_alarm);
  for (const auto& c : rig.run.route.speed_check1) EXPECT_FALSE(c.passed);
  rig.run.route.signals[2].aspect = 0;
  rig.pass();
  EXPECT_TRUE(rig.run.protection.ats_alarm);
  EXPECT_TRUE(rig.run.route.speed_check1[0].passed);
  EXPECT_FALSE(rig.run.route.speed_check1[1].passed);  // a negative signal never acts
  EXPECT_FALSE(rig.run.route.speed_check1[2].passed);  // nor one the route does not have
}

TEST(OnePointCheck, NothingWhileProtectionIsOffAndOnlyOnePointChecksInCabSignalling) {
  CheckRig off;
  off.run.train.engine.ats_enabled = false;
  off.run.route.speed_check1 = {one_point(10000, 30)};
  off.run.route.speed_check3 = {stretch(40, 900, 1100)};
  off.at(10500, 80);
  off.pass();
  EXPECT_FALSE(off.run.protection.ats_alarm);
  EXPECT_FALSE(off.run.route.speed_check1[0].passed);
  EXPECT_FALSE(off.run.train.handles.ats_service);

  CheckRig cab;
  cab.run.vehicle.ats_type = AtsType::CabSignal;
  cab.run.route.speed_check1 = {one_point(10000, 30)};
  cab.run.route.speed_check2 = {stretch(40, 900, 1100)};
  cab.run.route.speed_check3 = {stretch(40, 900, 1100)};
  cab.at(10500, 80);
  cab.pass();
  EXPECT_TRUE(cab.run.protection.ats_alarm);
  EXPECT_FALSE(cab.run.train.handles.ats_service);
  EXPECT_EQ(cab.run.protection.cabsignal_shown, 0);
}

TEST(ContinuousCheck, TripsInsideItsStretchBelowTheSignalSpeed) {
  struct Case {
    int film_frame;
    long double speed;
    int signal_speed;
    bool alarm;
  } cases[] = {
      {1000, 45.1L, 999, true},  {1000, 45, 999, false}, {900, 80, 999, false},
      {1100, 80, 999, false},    {901, 80, 999, true},   {1000, 80, 45, false},  // signal is lower
  };
  for (const Case& c : cases) {
    CheckRig rig;
    rig.run.route.speed_check2 = {stretch(45, 900, 1100)};
    rig.run.film.film_frame = c.film_frame;
    rig.run.protection.signal_speed = c.signal_speed;
    rig.at(0, c.speed);
    rig.pass();
    EXPECT_EQ(rig.run.protection.ats_alarm, c.alarm) << c.film_frame << " " << c.speed;
    if (c.alarm) {
      EXPECT_EQ(rig.run.protection.ats_timer, 5000);
    }
  }
}

TEST(ContinuousLimit, ServiceBrakeAboveTheLimitReleasedAtOrBelowIt) {
  CheckRig rig;
  HandleState& h = rig.run.train.handles;
  rig.run.route.speed_check3 = {stretch(65, 900, 1100)};
  rig.at(0, 65.1L);
  rig.pass();
  EXPECT_TRUE(h.ats_service);
  EXPECT_TRUE(h.brake_pending && h.sap_pending && h.ebrake_pending);
  EXPECT_FALSE(rig.run.protection.ats_alarm);  // a limit brakes, it does not ring
  EXPECT_EQ(rig.run.protection.cabsignal_shown, 5);  // the last equal [Lamp_signal] entry
  rig.clear_latches();
  rig.pass();
  EXPECT_FALSE(h.brake_pending);  // set once
  rig.at(0, 65);
  rig.pass();
  EXPECT_FALSE(h.ats_service);
  EXPECT_TRUE(h.brake_pending);

  rig.run.film.film_frame = 1100;  // out of the stretch: no limit, no cab signal
  rig.at(0, 100);
  rig.pass();
  EXPECT_FALSE(h.ats_service);
  EXPECT_EQ(rig.run.protection.cabsignal_shown, 0);
}

TEST(ContinuousLimit, TheCabSignalShowsTheSignalSpeedWhereNoLimitIsLower) {
  struct Case {
    int limit;
    int signal_speed;
    int shown;
  } cases[] = {{65, 999, 5}, {65, 25, 2}, {30, 999, 0}, {30, 25, 2}, {65, 0, 1}};
  for (const Case& c : cases) {
    CheckRig rig;
    rig.run.route.speed_check3 = {stretch(c.limit, 900, 1100)};
    rig.run.protection.signal_speed = c.signal_speed;
    rig.at(0, 10);
    rig.pass();
    EXPECT_EQ(rig.run.protection.cabsignal_shown, c.shown) << c.limit << " " << c.signal_speed;
  }
}

TEST(MaxSpeedCheck, ServiceOrEmergencyAboveTheLineMaximum) {
  CheckRig service;
  service.run.route.max_speed_check = 1;
  service.run.station.line_max_speed = 90;
  service.at(0, 90.1L);
  service.pass();
  EXPECT_TRUE(service.run.train.handles.ats_service);
  service.run.protection.ats_p_state = 2;  // a pattern brake holds it
  service.at(0, 90);
  service.pass();
  EXPECT_TRUE(service.run.train.handles.ats_service);
  service.run.protection.ats_p_state = 0;
  service.pass();
  EXPECT_FALSE(service.run.train.handles.ats_service);

  CheckRig eb;
  eb.run.route.max_speed_check = 2;
  eb.run.station.line_max_speed = 90;
  eb.at(0, 90.1L);
  eb.pass();
  EXPECT_TRUE(eb.run.train.handles.ats_eb);
  EXPECT_TRUE(eb.run.protection.ats_alarm);
  EXPECT_FALSE(eb.run.train.handles.ats_service);

  CheckRig none;
  none.run.route.max_speed_check = 3;
  none.run.station.line_max_speed = 90;
  none.at(0, 150);
  none.pass();
  EXPECT_FALSE(none.run.train.handles.ats_service || none.run.train.handles.ats_eb);
}

TEST(LimitPreview, NeedIsTheBrakingDistancePlusReactionAndDueWithinIt) {
  struct Case {
    long double speed;
    int limit;
    long long need;
  } cases[] = {{80, 40, 30200}, {40, 40, 8000}, {30.25L, 40, 6050}, {0, 40, 0}, {41, 40, 4500}};
  for (const Case& c : cases) {
    CheckRig rig;
    SpeedCheckData lim;
    lim.speed = c.limit;
    lim.position = 100000;
    rig.run.route.speed_limits = {lim};
    rig.at(100000 - 30200, c.speed);
    limit_preview_step(rig.run);
    const LimitPreview& r = rig.run.protection.limit_preview[0];
    EXPECT_EQ(r.kind, 0);
    EXPECT_EQ(r.distance, 30200);
    EXPECT_EQ(r.need, c.need) << c.speed;
    EXPECT_FALSE(r.due());  // 302 m is not within 302 m
    rig.at(100000 - 30199, c.speed);
    limit_preview_step(rig.run);
    EXPECT_EQ(rig.run.protection.limit_preview[0].due(), c.need == 30200) << c.speed;
  }
}

TEST(LimitPreview, TheNextThreeAheadBeforeTheNextFilmStop) {
  CheckRig rig;
  RouteData& r = rig.run.route;
  for (int i = 0; i < 5; ++i) {
    SpeedCheckData lim;
    lim.speed = 40 + i;
    lim.position = 10000 * (i + 1);
    lim.from_frame = 1000 + 100 * i;
    r.speed_limits.push_back(lim);
  }
  r.movie_stop = {900, 1250};
  r.speed_check1 = {one_point(5000, 30), one_point(15000, 35, 1), one_point(25000, 40, 2),
                    one_point(35000, 45)};
  rig.run.film.film_frame = 950;
  rig.at(15000, 50);
  limit_preview_step(rig.run);
  const auto& p = rig.run.protection.limit_preview;
  EXPECT_EQ(p[0].index, 1);
  EXPECT_EQ(p[0].speed, 41);
  EXPECT_EQ(p[0].distance, 5000);
  EXPECT_EQ(p[1].index, 2);
  EXPECT_EQ(p[2].kind, 9);  // starts beyond the film stop at 1250
  EXPECT_EQ(p[3].kind, 9);  // signal 2 is clear
  EXPECT_EQ(p[4].kind, 1);
  EXPECT_EQ(p[4].index, 3);
  EXPECT_EQ(p[4].speed, 40);
  EXPECT_EQ(p[5].kind, 9);  // there is no fifth check

  rig.run.film.film_frame = 1300;  // no film stop ahead
  limit_preview_step(rig.run);
  EXPECT_EQ(p[2].kind, 0);
  EXPECT_EQ(p[2].index, 3);
}

TEST(ProtectionStart, OnePointChecksBehindTheTrainCountAsPassed) {
  CheckRig rig;
  rig.run.route.speed_check1 = {one_point(5000, 30), one_point(15000, 30)};
  rig.run.protection.signal_speed = 0;
  rig.run.protection.cabsignal_shown = 3;
  rig.run.protection.ats_alarm = true;
  rig.at(10000, 0);
  protection_after_jump(rig.run);
  EXPECT_TRUE(rig.run.route.speed_check1[0].passed);
  EXPECT_FALSE(rig.run.route.speed_check1[1].passed);
  EXPECT_EQ(rig.run.protection.signal_speed, 999);
  EXPECT_EQ(rig.run.protection.cabsignal_shown, 0);
  EXPECT_TRUE(rig.run.protection.ats_alarm);  // carries over a jump
  start_protection(rig.run);
  EXPECT_FALSE(rig.run.protection.ats_alarm);
  EXPECT_TRUE(rig.run.route.speed_check1[0].passed);
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

// Warning-point protection on a red signal 1 (head 2): warning point at frame 1000, check
// point at 1100; the alarm runs out after 5 s, 17 ms a pass.
struct WarningRig : ProtectionRig {
  WarningRig() {
    RouteData& r = run.route;
    r.speed_check1.clear();
    r.speed_check2.clear();
    r.speed_check3.clear();
    r.max_speed_check = 0;
    r.speed_signal = {0, 25, 45, 65, 90};
    r.signals.assign(2, SignalData{});
    r.signals[0].aspect = 4;
    r.signals[1].head = 2;
    r.signals[1].aspect = 0;
    r.signals[1].bell_frame = 1000;
    r.signals[1].check_frame = 1100;
    VehicleData& v = run.vehicle;
    v.ats_type = AtsType::WarningPoint;
    v.ats_alert = 0;
    v.ats_time = 5000;
    v.ats_cnt = 0;
    v.brake_type = BrakeType::NotchWithPipe;
    run.train.engine.ats_enabled = true;
    run.station.line_max_speed = 120;
    run.train.motion.speed = 60;
    run.signals.signal_image_now = kNoSignal;
  }
  // One pass: the signal points, then the protection rules, as the route step runs them.
  void pass(int film_frame) {
    run.film.film_frame = film_frame;
    for (std::size_t i = 0; i < run.route.signals.size(); ++i) signal_points(run, i);
    protection_rules(run);
  }
  int passes_until_eb(int film_frame, int limit) {
    for (int n = 1; n <= limit; ++n) {
      pass(film_frame);
      if (run.train.handles.ats_eb) return n;
    }
    return -1;
  }
  int bell() const { return run.vehicle.sound_ats1; }
  int chime() const { return run.vehicle.sound_ats2; }
};

TEST(WarningPoint, TheBellRingsAtARedSignalAndTheBrakeFollowsAfterTheTime) {
  WarningRig rig;
  rig.pass(985);
  EXPECT_FALSE(rig.run.protection.ats_alarm);  // 15 frames away is outside the point
  rig.pass(986);
  EXPECT_EQ(rig.run.protection.signal_speed, 998);
  EXPECT_TRUE(rig.run.protection.ats_alarm);
  EXPECT_TRUE(rig.playing(rig.bell()));
  EXPECT_EQ(rig.run.protection.ats_lamps, (std::array<bool, 3>{true, true, false}));
  rig.run.train.handles.power_notch = 3;
  rig.clear_latches();
  // 5000 ms at 17 ms a pass: the timer counted 17 in the first pass already.
  const int n = rig.passes_until_eb(1010, 400);
  EXPECT_EQ(n, 294);  // 295 passes in all: 294 * 17 = 4998 < 5000 <= 295 * 17
  EXPECT_EQ(rig.run.train.handles.power_notch, 0);
  EXPECT_TRUE(rig.run.train.handles.brake_pending && rig.run.train.handles.sap_pending && rig.run.train.handles.ebrake_pending);
  EXPECT_EQ(rig.run.protection.ats_timer, 0);
}

TEST(WarningPoint, NoAlarmForAClearSignalARepeaterTheSpeedVariantOrTheEmergencyHandle) {
  struct Case {
    const char* what;
    int aspect, head, alert;
    bool emergency;
  } cases[] = {{"clear", 1, 2, 0, false},
               {"repeater", 0, 0, 0, false},
               {"speed variant", 0, 2, 1, false},
               {"emergency handle", 0, 2, 0, true}};
  for (const Case& c : cases) {
    WarningRig rig;
    rig.run.route.signals[1].aspect = c.aspect;
    rig.run.route.signals[1].head = c.head;
    rig.run.vehicle.ats_alert = c.alert;
    if (c.emergency) rig.emergency_handle();
    rig.pass(1000);
    EXPECT_FALSE(rig.run.protection.ats_alarm) << c.what;
    EXPECT_FALSE(rig.playing(rig.bell())) << c.what;
  }
}

TEST(WarningPoint, AConfirmationWithTheBrakeAppliedStopsTheCountAndStartsTheChime) {
  WarningRig rig;
  rig.pass(1000);
  ASSERT_TRUE(rig.run.protection.ats_alarm);
  ats_confirm(rig.run);  // refused: the brake handle is at 0
  EXPECT_TRUE(rig.run.protection.ats_alarm);
  EXPECT_FALSE(rig.run.protection.ats_ack);

  rig.run.train.handles.brake_handle = -3;
  for (int i = 0; i < 100; ++i) rig.pass(1010);
  ats_confirm(rig.run);
  EXPECT_FALSE(rig.run.protection.ats_alarm);
  EXPECT_TRUE(rig.run.protection.ats_ack);
  EXPECT_EQ(rig.run.protection.ats_timer, 0);
  EXPECT_EQ(rig.run.protection.signal_speed, 999);
  rig.pass(1020);
  EXPECT_FALSE(rig.playing(rig.bell()));
  EXPECT_TRUE(rig.playing(rig.chime()));
  EXPECT_FALSE(rig.run.protection.ats_ack);
  EXPECT_EQ(rig.run.protection.ats_lamps, (std::array<bool, 3>{true, false, true}));
  rig.clock.advance_ns(30'000'000'000);
  EXPECT_TRUE(rig.playing(rig.chime()));  // [ATS_Cnt] 0 loops it
  EXPECT_EQ(rig.passes_until_eb(1020, 400), -1);
  AsciiDown(rig.run, U' ');  // the confirmation key silences the chime
  EXPECT_FALSE(rig.playing(rig.chime()));
  EXPECT_FALSE(rig.run.protection.ats_lamps[2]);
  EXPECT_FALSE(rig.run.protection.ats_alarm);
}

TEST(WarningPoint, AnAutomaticAirBrakeAtItsFirstPositionDoesNotConfirm) {
  struct Case {
    int brake_type, handle;
    bool accepted;
  } cases[] = {{0, -1, false}, {0, -2, true}, {1, -1, true}, {1, 0, false}};
  for (const Case& c : cases) {
    WarningRig rig;
    rig.run.vehicle.brake_type = static_cast<BrakeType>(c.brake_type);
    rig.pass(1000);
    rig.run.train.handles.brake_handle = c.handle;
    ats_confirm(rig.run);
    EXPECT_EQ(rig.run.protection.ats_ack, c.accepted) << c.brake_type << " " << c.handle;
  }
  WarningRig tripped;
  tripped.pass(1000);
  tripped.run.train.handles.ats_eb = true;
  tripped.run.train.handles.brake_handle = -3;
  ats_confirm(tripped.run);
  EXPECT_TRUE(tripped.run.protection.ats_alarm);  // too late once the brake is on
}

TEST(WarningPoint, AChimePlayedOnceWithCountOne) {
  WarningRig rig;
  rig.run.vehicle.ats_cnt = 1;
  rig.pass(1000);
  rig.run.train.handles.brake_handle = -3;
  ats_confirm(rig.run);
  rig.pass(1020);  // beyond the warning point, which would raise the alarm again
  EXPECT_TRUE(rig.playing(rig.chime()));
  rig.clock.advance_ns(30'000'000'000);
  EXPECT_FALSE(rig.playing(rig.chime()));
  ats_confirm(rig.run);  // the second press: nothing is pending any more
  EXPECT_FALSE(rig.run.protection.ats_alarm);
  EXPECT_FALSE(rig.run.protection.ats_ack);
}

TEST(CheckPoint, TheSignalPictureGivesTheAllowedSpeed) {
  struct Case {
    int picture, speed;
  } cases[] = {{7, 0},  {35, 0},  {18, 25}, {22, 25}, {8, 45},  {31, 45},  {15, 65},
               {24, 65}, {9, 90}, {34, 90}, {26, 999}, {32, 999}, {5, 123}, {kNoSignal, 123}};
  for (const Case& c : cases) {
    WarningRig rig;
    rig.run.vehicle.ats_type = AtsType::Pattern;  // no warning point
    rig.run.route.signals[1].aspect = 2;
    rig.run.protection.signal_speed = 123;
    rig.run.signals.signal_image_now = c.picture;
    rig.run.signals.signal_call_voice = 3;
    rig.run.film.film_frame = 1119;
    signal_points(rig.run, 1);
    EXPECT_EQ(rig.run.protection.signal_speed, c.speed) << c.picture;
    EXPECT_EQ(rig.run.signals.signal_image_now, kNoSignal);
    EXPECT_EQ(rig.run.signals.signal_call_voice, kNoSignal);
  }
  WarningRig short_table;  // a route of three aspects has no entry 4
  short_table.run.route.speed_signal = {0, 25, 45};
  short_table.run.protection.signal_speed = 123;
  short_table.run.signals.signal_image_now = 9;
  short_table.run.film.film_frame = 1100;
  signal_points(short_table.run, 1);
  EXPECT_EQ(short_table.run.protection.signal_speed, 123);
}

TEST(CheckPoint, ARedSignalsCheckPointBrakesAtOnceEvenWithTheBellRinging) {
  WarningRig rig;
  rig.pass(1000);
  ASSERT_TRUE(rig.playing(rig.bell()));
  rig.run.signals.signal_image_now = 7;
  rig.pass(1100);
  EXPECT_EQ(rig.run.protection.signal_speed, 0);
  EXPECT_TRUE(rig.run.train.handles.ats_eb);

  WarningRig quiet;  // without a warning point before it
  quiet.run.route.signals[1].bell_frame = 0;
  quiet.run.signals.signal_image_now = 7;
  quiet.pass(1100);
  EXPECT_TRUE(quiet.run.train.handles.ats_eb);
  EXPECT_TRUE(quiet.run.protection.ats_alarm);
}

TEST(CheckPoint, TheSpeedVariantRingsAboveTheSignalSpeed) {
  struct Case {
    long double speed;
    bool alarm;
  } cases[] = {{45.5L, true}, {45, false}};
  for (const Case& c : cases) {
    WarningRig rig;
    rig.run.vehicle.ats_alert = 1;
    rig.run.route.signals[1].aspect = 2;
    rig.run.train.motion.speed = c.speed;
    rig.run.signals.signal_image_now = 8;
    rig.pass(1100);
    EXPECT_EQ(rig.run.protection.ats_alarm, c.alarm) << c.speed;
    EXPECT_FALSE(rig.run.train.handles.ats_eb);
  }
}

TEST(CheckPoint, NothingWhileProtectionIsOff) {
  WarningRig rig;
  rig.run.train.engine.ats_enabled = false;
  rig.run.signals.signal_image_now = 7;
  rig.run.film.film_frame = 1100;
  signal_step(rig.run);
  protection_rules(rig.run);
  EXPECT_EQ(rig.run.protection.signal_speed, 999);
  EXPECT_FALSE(rig.run.train.handles.ats_eb);
}

TEST(ProtectionReset, ClearsTheBrakesAndTheAlarmAndPutsTheLampsBack) {
  WarningRig rig;
  rig.pass(1000);
  rig.run.signals.signal_image_now = 7;
  rig.pass(1100);
  ASSERT_TRUE(rig.run.train.handles.ats_eb);
  rig.run.train.handles.ats_service = true;
  rig.run.protection.ats_p_state = 3;
  rig.clear_latches();
  ats_reset(rig.run);
  const ProtectionState& p = rig.run.protection;
  EXPECT_FALSE(rig.run.train.handles.ats_eb || rig.run.train.handles.ats_service);
  EXPECT_TRUE(rig.run.train.handles.brake_pending);
  EXPECT_EQ(p.ats_p_state, 0);
  EXPECT_FALSE(p.ats_alarm);
  EXPECT_TRUE(p.ats_ack);
  EXPECT_EQ(p.ats_timer, 0);
  EXPECT_EQ(p.signal_speed, 999);
  EXPECT_FALSE(rig.playing(rig.bell()));
  EXPECT_TRUE(p.ats_lamps[0]);
  EXPECT_FALSE(p.ats_lamps[1]);
}

TEST(ProtectionReset, TheResetKeyAfterAnEmergencyStop) {
  WarningRig rig;
  rig.run.signals.signal_image_now = 7;
  rig.pass(1100);
  ASSERT_TRUE(rig.run.train.handles.ats_eb);
  rig.run.train.motion.speed = 0;
  AsciiDown(rig.run, U'r');  // refused: the handle is not at emergency
  EXPECT_TRUE(rig.run.train.handles.ats_eb);
  rig.emergency_handle();
  AsciiDown(rig.run, U'r');
  EXPECT_FALSE(rig.run.train.handles.ats_eb);
  EXPECT_FALSE(rig.run.protection.ats_alarm);
  EXPECT_FALSE(rig.playing(rig.bell()));
}

}  // namespace
}  // namespace velmora
