#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "protection_rig.h"
#include "route/pattern_protection.h"
#include "route/protection.h"

namespace velmora {
namespace {

constexpr int kLineMax = 120, kNone = kLineMax + 10;

// Pattern protection on a line of 120 km/h, the train at 1000 m; signal 1 (head 2) shows
// stop unless a test clears it. Route events are placed by their distance ahead.
struct PatternRig : ProtectionRig {
  static constexpr long double kAt = 100000;
  explicit PatternRig(int variant = 0) {
    RouteData& r = run.route;
    r.events.clear();
    r.signals.assign(2, SignalData{});
    r.signals[1].head = 2;
    r.signals[1].aspect = 0;
    run.vehicle.ats_type = AtsType::Pattern;
    run.vehicle.ats_alert = variant;
    run.train.engine.ats_enabled = true;
    run.station.line_max_speed = kLineMax;
    run.train.motion.position_cm = kAt;
    release_pattern(run);
  }
  void event(int kind, long double ahead_cm, int target, int signal = 1, int station = 0) {
    RouteEvent e;
    e.kind = kind;
    e.position = static_cast<int>(kAt + ahead_cm);
    e.target = target;
    e.signal = signal;
    e.station = station;
    run.route.events.push_back(e);
  }
  // The train at `ahead_cm` before the first event, running at `speed`, for one pass.
  void pass_at(long double ahead_cm, long double speed) {
    run.train.motion.position_cm = run.route.events.front().position - ahead_cm;
    run.train.motion.speed = speed;
    pattern_step(run);
  }
  std::vector<std::string> logs() const {
    std::vector<std::string> out;
    for (const auto& e : log.events)
      if (e.kind == "log") out.push_back(e.detail);
    return out;
  }
  std::string last_log() const {
    const auto all = logs();
    return all.empty() ? std::string() : all.back();
  }
};

TEST(PatternCurves, AStopSignalThreeHundredMetresAhead) {
  const Patterns c = pattern_curves(2, 10, 30000, kNone);
  EXPECT_EQ(c.braking, 86);  // sqrt(290 × 25.2 + 100) = 86.07
  EXPECT_EQ(c.warning, 78);  // sqrt(240 × 25.2 + 100) = 78.41
}

TEST(PatternCurves, FloorsTargetsAndCaps) {
  // A signal: the target inside the last 10 m, never below 10 km/h, the warning curve 10 below.
  EXPECT_EQ(pattern_curves(2, 10, 1000, kNone).braking, 10);
  EXPECT_EQ(pattern_curves(2, 0, 500, kNone).braking, 10);
  EXPECT_EQ(pattern_curves(2, 10, 6000, kNone).warning, 0);
  // A station: the curve runs to the stop point itself and never below 1 km/h.
  EXPECT_EQ(pattern_curves(3, 0, 10000, kNone).braking, 50);  // sqrt(100 × 25.2) = 50.2
  EXPECT_EQ(pattern_curves(3, 0, 1, kNone).braking, 1);
  EXPECT_EQ(pattern_curves(3, 0, 5000, kNone).warning, -10);
  // A speed limit: its target within 10 m and within 60 m for the warning curve.
  EXPECT_EQ(pattern_curves(1, 50, 1000, kNone).braking, 50);
  EXPECT_EQ(pattern_curves(1, 50, 6000, kNone).warning, 50);
  EXPECT_EQ(pattern_curves(1, 50, 6100, kNone).warning, 50);  // sqrt(25.2 + 2500) = 50.25
  // Far away both curves stop at the line's speed + 10.
  const Patterns far = pattern_curves(2, 10, 80000, kNone);
  EXPECT_EQ(far.braking, kNone);
  EXPECT_EQ(far.warning, kNone);
}

TEST(PatternBeacons, OpenWindowsBeforeTheEvent) {
  for (long double d : {59500.5L, 59999.0L, 28400.0L, 18100.0L, 13200.0L, 8600.0L, 5100.0L, 2100.0L})
    EXPECT_TRUE(in_beacon_window(d)) << d;
  for (long double d : {59500.0L, 60000.0L, 28500.0L, 20000.0L, 2000.0L, 2200.0L, 1000.0L, 0.0L})
    EXPECT_FALSE(in_beacon_window(d)) << d;
}

TEST(PatternStep, AStopSignalBeaconSetsThePatternAndTheLogSaysHowFar) {
  PatternRig rig;
  rig.event(2, 0, 10);
  rig.pass_at(40000, 60);  // between beacons: nothing yet
  EXPECT_EQ(rig.run.protection.ats_target, kNone);
  EXPECT_EQ(rig.run.protection.pattern_speed, kNone);
  rig.pass_at(28250, 60);
  const ProtectionState& p = rig.run.protection;
  EXPECT_EQ(p.ats_target, 10);
  EXPECT_EQ(p.ats_event, 0);
  EXPECT_EQ(p.pattern_speed, 83);  // sqrt(272.5 × 25.2 + 100) = 83.47
  EXPECT_EQ(rig.logs().front(), "停止信号0まで282m");
  EXPECT_EQ(p.ats_p_state, 0);
  // The value display's memo keeps the same lines.
  const auto& memo = rig.run.value_display.log;
  EXPECT_EQ(std::vector<std::string>(memo.begin(), memo.end()), rig.logs());
}

TEST(PatternStep, AtsPApproachesAtTheWarningCurveAndBrakesAboveBothToAStop) {
  PatternRig rig;
  rig.event(2, 0, 10);
  rig.pass_at(28250, 60);  // the beacon
  ProtectionState& p = rig.run.protection;
  // 300 m before the target point: w 78, p 86; the approach at 77.5 km/h.
  rig.pass_at(30000, 77.4L);
  EXPECT_EQ(p.ats_p_state, 0);
  rig.pass_at(30000, 77.5L);
  EXPECT_EQ(p.ats_p_state, 1);
  EXPECT_EQ(p.atsp_lamps, (std::array<bool, 2>{true, false}));
  EXPECT_TRUE(rig.playing(rig.run.vehicle.sound_atc));
  EXPECT_EQ(rig.last_log(), "パターン接近78/86");
  EXPECT_FALSE(rig.run.train.handles.ats_service);

  rig.pass_at(30000, 86.0L);  // on the curve, not above it
  EXPECT_EQ(p.ats_p_state, 1);
  rig.pass_at(30000, 86.2L);
  EXPECT_EQ(p.ats_p_state, 3);
  EXPECT_TRUE(rig.run.train.handles.ats_service);
  EXPECT_TRUE(rig.run.train.handles.brake_pending);
  EXPECT_EQ(p.atsp_lamps, (std::array<bool, 2>{true, true}));
  EXPECT_EQ(rig.last_log(), "10km/h照査によって停止ブレーキ 速度86 パターン86");

  // A stop brake holds whatever the speed; only the reset key ends it.
  const std::size_t lines = rig.logs().size();
  rig.pass_at(20000, 5);
  EXPECT_EQ(p.ats_p_state, 3);
  EXPECT_EQ(rig.logs().size(), lines);  // no line while the state stays
  ats_reset(rig.run);
  rig.pass_at(20000, 5);
  EXPECT_EQ(p.ats_p_state, 0);
  EXPECT_FALSE(rig.run.train.handles.ats_service);
  EXPECT_EQ(p.atsp_lamps, (std::array<bool, 2>{false, false}));
}

TEST(PatternStep, TheApproachAtFiveBelowThePatternBeforeTheWarningCurve) {
  PatternRig rig;
  rig.event(1, 0, 45);  // a 45 km/h limit: target 50
  rig.pass_at(5100, 40);
  ASSERT_EQ(rig.run.protection.ats_target, 50);
  ASSERT_EQ(rig.run.protection.ats_p_state, 0);
  // 25 m before the limit: p = sqrt(15 × 25.2 + 2500) = 53.6 → 54, w = 50; p - 5 comes first.
  rig.pass_at(2500, 48.9L);
  EXPECT_EQ(rig.run.protection.pattern_speed, 54);
  EXPECT_EQ(rig.run.protection.ats_p_state, 0);
  rig.pass_at(2500, 49);
  EXPECT_EQ(rig.run.protection.ats_p_state, 1);
  EXPECT_EQ(rig.last_log(), "パターン接近50/54");
}

TEST(PatternStep, ASpeedLimitBrakesAboveTheCurveAndReleasesTenBelowItsTarget) {
  PatternRig rig;
  rig.event(1, 0, 45);
  rig.pass_at(5100, 50);
  EXPECT_EQ(rig.logs().front(), "50km/h照査まで51m");
  EXPECT_EQ(rig.last_log(), "パターン接近50/59");
  ProtectionState& p = rig.run.protection;
  rig.pass_at(3000, 56);
  EXPECT_EQ(p.ats_p_state, 2);
  EXPECT_TRUE(rig.run.train.handles.ats_service);
  EXPECT_EQ(rig.last_log(), "50km/h照査によってブレーキ 速度56 パターン55");
  rig.pass_at(2500, 40);  // 40 is not below 50 - 10
  EXPECT_EQ(p.ats_p_state, 2);
  rig.pass_at(2400, 39.4L);
  EXPECT_EQ(p.ats_p_state, 0);
  EXPECT_FALSE(rig.run.train.handles.ats_service);
  EXPECT_EQ(rig.last_log(), "ブレーキ緩解");
  // Within 5 m of the limit the pattern is released.
  rig.pass_at(600, 39);
  EXPECT_EQ(p.ats_target, 50);
  rig.pass_at(499, 39);
  EXPECT_EQ(p.ats_target, kNone);
  EXPECT_EQ(rig.last_log(), "速度照査パターン消去");
}

TEST(PatternStep, AClearedSignalReleasesAtsPOnlyAtABeaconButDAtsPAtOnce) {
  for (int variant : {0, 2}) {
    PatternRig rig(variant);
    rig.event(2, 0, 10);
    rig.pass_at(59700, 60);
    ASSERT_EQ(rig.run.protection.ats_event, 0) << variant;
    rig.run.route.signals[1].aspect = 3;
    rig.pass_at(40000, 60);
    if (variant == 0) {
      EXPECT_EQ(rig.run.protection.ats_target, 10);
      rig.pass_at(28100, 60);
      EXPECT_EQ(rig.run.protection.ats_target, kNone);
      EXPECT_EQ(rig.run.protection.ats_event, kNoEvent);
      EXPECT_EQ(rig.last_log(), "パターン0消去: 信号まで281m");
    } else {
      EXPECT_EQ(rig.run.protection.ats_target, kNone);
      EXPECT_EQ(rig.run.protection.ats_event, 0);  // kept: the release repeats while in reach
      EXPECT_EQ(rig.last_log(), "パターン消去: 信号まで400m");
    }
  }
}

TEST(PatternStep, AClearSignalNotSettingThePatternLetsTheWalkGoOn) {
  PatternRig rig;
  rig.event(2, 0, 10);      // clear: passed over
  rig.event(1, 5100, 45);   // the limit behind it is seen
  rig.run.route.signals[1].aspect = 4;
  rig.pass_at(0.5L, 60);
  EXPECT_EQ(rig.run.protection.ats_target, 50);
}

TEST(PatternStep, AStationPatternIsReleasedOnceTheStopIsCompleteAndIgnoredWhileStanding) {
  PatternRig rig;
  rig.run.station.st_stop_done.assign(3, false);
  rig.event(3, 0, 0, 0, 2);
  rig.pass_at(13100, 0);  // standing: skipped
  EXPECT_EQ(rig.run.protection.ats_target, kNone);
  rig.pass_at(13100, 40);
  EXPECT_EQ(rig.run.protection.ats_target, 0);
  EXPECT_EQ(rig.last_log(), "停車駅まで131m");
  EXPECT_EQ(rig.run.protection.pattern_speed, 57);  // sqrt(131 × 25.2) = 57.46
  rig.run.station.st_stop_done[2] = true;
  rig.pass_at(100, 3);
  EXPECT_EQ(rig.run.protection.ats_target, kNone);
  EXPECT_EQ(rig.last_log(), "停車駅パターン消去");
}

// A train braked to a stand by the 10 km/h pattern of signal 1, whose stop aspect set it,
// reaches that signal's check point: once it has cleared, the pattern and its brake go.
TEST(PatternStep, AStopPatternEndsAtTheCheckPointOfItsOwnSignalOnceItHasCleared) {
  struct Case {
    int picture;         // signal 1's picture at its check point
    int pattern_signal;  // the signal whose stop event set the pattern
    bool released;
  } cases[] = {{9, 1, true}, {26, 1, true}, {7, 1, false}, {9, 0, false}};
  for (const Case& c : cases) {
    PatternRig rig;
    velmora::Run& run = rig.run;
    rig.event(2, 0, 10, c.pattern_signal);
    run.route.speed_signal = {0, 25, 45, 65, 90};
    run.route.signals[0].head = 2;
    ProtectionState& p = run.protection;
    p.ats_target = 10;
    p.ats_target_pos = run.route.events[0].position;
    p.ats_event = 0;
    p.ats_p_state = p.ats_p_state_prev = 3;
    run.train.handles.ats_service = true;
    run.route.signals[1].aspect = c.picture == 7 ? 0 : 4;
    run.route.signals[1].check_frame = 4000;
    run.film.film_frame = 4005;
    run.signals.signal_image_now = c.picture;
    run.train.motion.position_cm = run.route.events[0].position - 100;  // 1 m short of the signal
    run.train.motion.speed = 0;
    signal_points(run, 1);
    EXPECT_EQ(p.ats_event == kNoEvent, c.released) << c.picture << " " << c.pattern_signal;
    EXPECT_EQ(p.ats_target == kNone, c.released) << c.picture << " " << c.pattern_signal;
    pattern_step(run);
    EXPECT_EQ(run.train.handles.ats_service, !c.released) << c.picture << " " << c.pattern_signal;
    EXPECT_EQ(p.ats_p_state, c.released ? 0 : 3) << c.picture << " " << c.pattern_signal;
  }
}

TEST(PatternStep, ARedSignalsCheckPointStopsTheTrain) {
  PatternRig rig;
  rig.run.protection.signal_speed = 0;
  rig.run.train.motion.speed = 30;
  pattern_step(rig.run);
  EXPECT_TRUE(rig.run.train.handles.ats_eb);
  EXPECT_EQ(rig.run.protection.ats_p_state, 3);
}

TEST(PatternStep, DAtsPBrakesByTargetAndSpeedAndReleasesEightBelowThePattern) {
  {
    PatternRig rig(2);
    rig.event(3, 0, 0, 0, 0);
    rig.run.station.st_stop_done.assign(1, false);
    rig.pass_at(5100, 45);  // p = sqrt(51 × 25.2) = 35.8 → 36
    EXPECT_EQ(rig.run.protection.ats_p_state, 2);
    EXPECT_TRUE(rig.run.train.handles.ats_eb);  // target 0: the emergency brake and the bell
    EXPECT_TRUE(rig.playing(rig.run.vehicle.sound_ats1));
  }
  PatternRig rig(2);
  rig.event(1, 0, 45);
  rig.pass_at(5100, 70);
  EXPECT_EQ(rig.run.protection.ats_p_state, 2);
  EXPECT_TRUE(rig.run.train.handles.ats_service);
  EXPECT_FALSE(rig.run.train.handles.ats_eb);
  const int p = rig.run.protection.pattern_speed;
  rig.pass_at(5000, p - 8);
  EXPECT_EQ(rig.run.protection.ats_p_state, 2);
  rig.pass_at(5000, p - 8.6L);
  EXPECT_EQ(rig.run.protection.ats_p_state, 0);
  EXPECT_FALSE(rig.run.train.handles.ats_service);
}

TEST(PatternStep, AtsPtBrakesWithTheEmergencyBrakeAndWarnsInEveryPass) {
  PatternRig rig(1);
  rig.event(1, 0, 45);
  rig.pass_at(5100, 40);  // p 62 at 51 m: 40 is not within 15 of it
  EXPECT_EQ(rig.run.protection.ats_p_state, 0);
  rig.pass_at(5000, 48);
  rig.pass_at(4990, 48);
  const auto logs = rig.logs();
  EXPECT_EQ(std::count(logs.begin(), logs.end(), "ATS-PTパターン接近"), 2);
  rig.pass_at(3000, 58);
  EXPECT_EQ(rig.run.protection.ats_p_state, 2);
  EXPECT_TRUE(rig.run.train.handles.ats_eb);
}

TEST(CabSignal, BrakesAboveTheShownSpeedAndReleasesBelowIt) {
  ProtectionRig rig;
  velmora::Run& run = rig.run;
  run.vehicle.ats_type = AtsType::CabSignal;
  run.panel.lamp_signal_speeds = {0, 45, 75};
  run.signals.signal_image_now = 36;  // pattern 1: 45 km/h
  run.train.motion.speed = 44.6L;
  cab_signal_check(run);
  EXPECT_FALSE(run.train.handles.ats_service);
  run.train.motion.speed = 44.7L;
  cab_signal_check(run);
  EXPECT_TRUE(run.train.handles.ats_service);
  EXPECT_TRUE(run.protection.atc_brake);
  EXPECT_TRUE(rig.all_latches());
  run.train.motion.speed = 40;
  cab_signal_check(run);
  EXPECT_FALSE(run.train.handles.ats_service);
  EXPECT_FALSE(run.protection.atc_brake);

  // The stop aspect: the emergency brake stays after the speed has gone.
  run.signals.signal_image_now = 35;
  run.train.motion.speed = 5;
  cab_signal_check(run);
  EXPECT_TRUE(run.train.handles.ats_eb);
  run.train.motion.speed = 0;
  cab_signal_check(run);
  EXPECT_TRUE(run.train.handles.ats_eb);

  // A picture without a [Lamp_signal] entry never brakes; the stop's emergency brake stays.
  run.signals.signal_image_now = 40;
  run.train.motion.speed = 300;
  cab_signal_check(run);
  EXPECT_FALSE(run.protection.atc_brake);
  EXPECT_TRUE(run.train.handles.ats_eb);
}

TEST(ProtectText, ThePatternToASignalThenTheDueRestrictions) {
  ProtectionRig rig;
  velmora::Run& run = rig.run;
  run.ui.info_label.assign(10, "");
  run.ui.info_label[3] = "停止信号まで";
  run.ui.info_label[4] = "制限まで";
  run.ui.info_label[5] = "(次 ";
  run.ui.info_label[6] = "照査";
  run.ui.info_label[7] = "制限";
  ProtectionState& p = run.protection;
  run.train.motion.position_cm = 0;
  run.train.motion.speed = 70;
  p.ats_target = 10;
  p.ats_target_pos = 30000;
  p.pattern_speed = 86;
  protect_text_step(run);
  EXPECT_EQ(p.protect_text, "10km/h 停止信号まで290m");
  EXPECT_EQ(p.protect_text2, "");

  p.ats_target = kNone;
  p.limit_preview[0] = {0, 40, 30200, 25050, 0};
  p.limit_preview[1] = {1, 25, 9000, 8000, 0};
  protect_text_step(run);
  EXPECT_EQ(p.protect_text, "40km/h 制限まで250m");  // 250.5 rounds to even
  EXPECT_EQ(p.protect_text2, "(次 25km/h 制限)");

  p.limit_preview[0].kind = 9;
  p.limit_preview[3] = {0, 60, 20000, 10000, 1};
  protect_text_step(run);
  EXPECT_EQ(p.protect_text, "60km/h 照査まで100m");
  EXPECT_EQ(p.protect_text2, "(次 25km/h 照査)");

  p.limit_preview[3].distance = 20000;  // no longer due
  protect_text_step(run);
  EXPECT_EQ(p.protect_text, "");
  EXPECT_EQ(p.protect_text2, "");
}

}  // namespace
}  // namespace velmora
