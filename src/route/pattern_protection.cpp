#include "route/pattern_protection.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "common/rounding.h"
#include "dynamics/handles.h"
#include "route/route_run.h"
#include "sound/vehicle_sounds.h"
#include "view/value_display.h"

namespace velmora {

namespace {

constexpr long double kReach = 60000;        // cm: beacons look this far ahead
constexpr long double kPatternDecel = 3.5L;  // km/h/s
constexpr long double kBrakeMargin = 1000;   // cm before the target point
constexpr long double kWarnMargin = 6000;    // cm: the warning curve's extra 5000 cm
constexpr long double kStationWarn = 5000;   // cm
constexpr int kSignalFloor = 10, kStationFloor = 1;

enum Variant { kAtsP = 0, kAtsPT = 1, kDAtsP = 2 };

void log(const RouteRun& run, const std::string& line) {
  run.platform.events.event("log", line);
  value_display_log(run.view.value_display, line);
}

std::string metres(long double d) { return std::to_string(round_half_even(d / 100)); }

void set_pattern(ProtectionState& p, int target, int position) {
  p.ats_target = target;
  p.ats_target_pos = position;
  p.limit_entry = -1;
}

// The speed v reached after `cm` of braking down to `target` on the pattern's deceleration.
int curve(long double cm, int target) {
  const long double t = target;
  return static_cast<int>(round_half_away(std::sqrt(cm / 100 * kPatternDecel * 7.2L + t * t)));
}

// Stage 1: the beacon walk over the route events; the kind of the event it ended at.
std::optional<int> beacon_walk(const RouteRun& run) {
  ProtectionState& p = run.protection;
  const RouteData& r = run.route;
  const int variant = run.vehicle.ats_alert;
  const long double pos = run.train.motion.position_cm;
  for (std::size_t k = 0; k < r.events.size(); ++k) {
    const RouteEvent& ev = r.events[k];
    const int e = static_cast<int>(k);
    const long double d = ev.position - pos;
    if (d <= 0 || d >= kReach) continue;
    if (ev.kind == 2) {
      // An event naming a signal the route does not have cannot set a pattern.
      if (ev.signal < 0 || static_cast<std::size_t>(ev.signal) >= r.signals.size()) continue;
      const SignalData& s = r.signals[static_cast<std::size_t>(ev.signal)];
      if (s.head == 0) continue;
      if (s.aspect == 0) {
        if (in_beacon_window(d)) {
          set_pattern(p, ev.target, ev.position);
          p.ats_event = e;
          log(run, "停止信号" + std::to_string(e) + "まで" + metres(d) + "m");
        }
        return ev.kind;
      }
      if (variant == kDAtsP) {
        // D-ATS-P knows the signal has cleared without a beacon; the event stays its own,
        // so the release repeats while the signal is in reach.
        if (p.ats_event != e) continue;
        release_pattern(run);
        p.ats_event = e;
        log(run, "パターン消去: 信号まで" + metres(d) + "m");
        return ev.kind;
      }
      if (in_beacon_window(d) && p.ats_event == e) {
        release_pattern(run);
        log(run, "パターン" + std::to_string(e) + "消去: 信号まで" + metres(d) + "m");
      }
      if (p.ats_event == e) return ev.kind;
      continue;
    }
    if (ev.kind == 3) {
      if (!(run.train.motion.speed > 0)) continue;
      const auto& done = run.station.st_stop_done;
      const bool stop_done = ev.station >= 0 &&
                             static_cast<std::size_t>(ev.station) < done.size() &&
                             done[static_cast<std::size_t>(ev.station)];
      if (stop_done) {
        release_pattern(run);
        log(run, "停車駅パターン消去");
      } else if (in_beacon_window(d)) {
        set_pattern(p, ev.target, ev.position);
        log(run, "停車駅まで" + metres(d) + "m");
      }
      return ev.kind;
    }
    if (ev.kind == 1) {
      if (in_beacon_window(d)) {
        set_pattern(p, ev.target + 5, ev.position);
        // The limit sign shows the limit the pattern protects.
        const auto& limits = r.speed_limits;
        for (std::size_t k = 0; k < limits.size(); ++k)
          if (limits[k].position == ev.position && limits[k].speed == ev.target)
            p.limit_entry = static_cast<int>(k);
        log(run, std::to_string(p.ats_target) + "km/h照査まで" + metres(d) + "m");
      }
      // Within the last 5 m the limit itself takes over.
      if (d < 500) {
        release_pattern(run);
        log(run, "速度照査パターン消去");
      }
      return ev.kind;
    }
  }
  return std::nullopt;
}

bool protection_braking(const HandleState& h) { return h.ats_service || h.ats_eb; }

// Stage 3: the new state by the first rule that applies, with its log line.
void next_state(const RouteRun& run, const Patterns& c, int no_pattern) {
  ProtectionState& p = run.protection;
  const int variant = run.vehicle.ats_alert;
  const long double v = run.train.motion.speed;
  const int T = p.ats_target, P = c.braking, W = c.warning;
  const auto rv = round_half_away(v);
  const bool quiet = !protection_braking(run.train.handles);
  auto go = [&](int state, const std::string& line, bool every_pass = false) {
    if (state != p.ats_p_state || every_pass) log(run, line);
    p.ats_p_state = state;
  };
  const std::string braking = std::to_string(T) + "km/h照査によって";
  const std::string figures = " 速度" + std::to_string(rv) + " パターン" + std::to_string(P);
  if (variant != kDAtsP && T <= 10 && v > T && v > P)
    return go(3, braking + "停止ブレーキ" + figures);
  if (variant != kDAtsP && T > 10 && v > T && v > P) return go(2, braking + "ブレーキ" + figures);
  if (variant == kDAtsP && v > T && v > P) return go(2, braking + "ブレーキ" + figures);
  if (variant == kAtsP && quiet && (v >= W - 0.5L || v >= P - 5))
    return go(1, "パターン接近" + std::to_string(W) + "/" + std::to_string(P));
  if (variant == kAtsPT && quiet && P < no_pattern && v >= P - 15)
    return go(1, "ATS-PTパターン接近", true);
  if (variant == kAtsPT && quiet && P == no_pattern && v >= P - 5)
    return go(1, "ATS-PT最高速パターン接近", true);
  if (variant == kDAtsP && quiet && v >= P - 8) return go(1, "D-ATS-Pパターン接近");
  if (variant == kDAtsP && p.ats_p_state == 2 && (rv < P - 8 || rv < 10))
    return go(0, "ブレーキ緩解");
  if (p.ats_p_state == 2 && T >= 10 && rv < T - 10) return go(0, "ブレーキ緩解");
  if (quiet) return go(0, "パターンなし");
}

// The effects of entering or leaving a state, then the stop brake at a red signal's check point.
void state_effects(const RouteRun& run) {
  ProtectionState& p = run.protection;
  HandleState& h = run.train.handles;
  const VehicleData& veh = run.vehicle;
  const int variant = veh.ats_alert;
  const int state = p.ats_p_state, prev = p.ats_p_state_prev;
  if (state == 1 && prev != 1) {
    p.atsp_lamps = {true, false};
    vehicle_sound_play(run.sounds, veh.sound_atc);
  }
  if (state >= 2 && prev <= 1) {
    if (variant != kDAtsP) vehicle_sound_restart(run.sounds, veh.sound_atc);
    if (variant == kAtsP) {
      h.ats_service = true;
    } else if (variant == kAtsPT) {
      h.ats_eb = true;
    } else if (p.ats_target == 0 || run.train.motion.speed <= 25) {
      h.ats_eb = true;
      vehicle_sound_loop(run.sounds, veh.sound_ats1);
    } else {
      h.ats_service = true;
    }
    set_brake_latches(h);
    p.atsp_lamps = {true, true};
  }
  if (state == 0 && prev != 0) {
    if (variant == kAtsP) vehicle_sound_restart(run.sounds, veh.sound_atc);
    if (h.ats_service && run.train.brakes.bc_t > Fixed4{}) {
      // The release step of the brake notch in effect, as a driver's release would sound.
      const auto notch = static_cast<std::size_t>(std::max(0, -h.brake_notch));
      if (notch < veh.sound_bk.size()) vehicle_sound_restart(run.sounds, veh.sound_bk[notch][1]);
    }
    h.ats_service = false;
    set_brake_latches(h);
    p.atsp_lamps = {false, false};
  }
  if (state != prev) {
    p.ats_p_state_prev = state;
    run.masconupdate();
  }
  if (p.signal_speed == 0 && !h.ats_eb) {
    vehicle_sound_restart(run.sounds, veh.sound_atc);
    p.ats_p_state = 3;
    h.ats_eb = true;
    set_brake_latches(h);
    run.masconupdate();
  }
}

}  // namespace

bool in_beacon_window(long double d) {
  static constexpr long double kWindows[][2] = {{59500, 60000}, {28000, 28500}, {18000, 18300},
                                                {13000, 13300}, {8500, 8700},   {5000, 5200},
                                                {2000, 2200}};
  return std::any_of(std::begin(kWindows), std::end(kWindows),
                     [d](const auto& w) { return w[0] < d && d < w[1]; });
}

Patterns pattern_curves(int kind, int target, long double D, int no_pattern) {
  Patterns c;
  c.braking = D <= kBrakeMargin ? target : curve(D - kBrakeMargin, target);
  c.warning = D <= kWarnMargin ? target : curve(D - kWarnMargin, target);
  if (kind == 2) {
    if (D <= kWarnMargin) c.warning = target - 10;
    c.braking = std::max(c.braking, kSignalFloor);
  } else if (kind == 3) {
    c.braking = std::max(curve(D, target), kStationFloor);
    c.warning = D <= kStationWarn ? target - 10 : curve(D - kStationWarn, target);
  }
  c.braking = std::min(c.braking, no_pattern);
  c.warning = std::min(c.warning, no_pattern);
  return c;
}

void release_pattern(const RouteRun& run) {
  ProtectionState& p = run.protection;
  p.ats_target = run.station.line_max_speed + 10;
  p.ats_target_pos = 0;
  p.ats_event = kNoEvent;
  p.limit_entry = -1;
}

void pattern_step(const RouteRun& run) {
  ProtectionState& p = run.protection;
  const std::optional<int> kind = beacon_walk(run);
  const int no_pattern = run.station.line_max_speed + 10;
  const long double D = p.ats_target_pos - run.train.motion.position_cm;
  // A pass that computes no curve (the target point behind the train, the walk ended at no
  // event, or the line's speed changed since the release) counts as no pattern.
  Patterns c{no_pattern, no_pattern};
  if (p.ats_target != no_pattern && p.ats_target < run.station.line_max_speed && D > 0 && kind &&
      *kind >= 1 && *kind <= 3)
    c = pattern_curves(*kind, p.ats_target, D, no_pattern);
  p.pattern_speed = c.braking;
  p.warning_speed = c.warning;
  next_state(run, c, no_pattern);
  state_effects(run);
}

}  // namespace velmora
