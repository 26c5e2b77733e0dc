#include "route/protection.h"

#include <cstdlib>

#include "common/rounding.h"
#include "dynamics/handles.h"
#include "route/pattern_protection.h"
#include "route/route_run.h"
#include "sound/vehicle_sounds.h"

namespace velmora {

namespace {

constexpr int kVigilanceBellMs = 60001;
constexpr int kVigilanceBrakeMs = 65001;

bool brake_at_emergency(const RouteRun& run) {
  return run.train.handles.brake_handle == -run.vehicle.brake;
}

void raise_alarm(ProtectionState& p) {
  p.ats_alarm = true;
  p.ats_ack = false;
}

// A speed check that trips: the alarm with its time already run out, so the emergency brake
// follows in the next pass.
void trip(const RouteRun& run) {
  raise_alarm(run.protection);
  run.protection.ats_timer = run.vehicle.ats_time;
}

bool shows_stop(const RouteRun& run, int signal) {
  const auto& sig = run.route.signals;
  return signal >= 0 && static_cast<std::size_t>(signal) < sig.size() &&
         sig[static_cast<std::size_t>(signal)].aspect == 0;
}

// A [SpeedCheck1] entry with a signal acts only while that signal shows stop; a negative
// signal never acts.
bool check_applies(const RouteRun& run, const SpeedCheckData& c) {
  return c.signal == 0 || (c.signal >= 1 && shows_stop(run, c.signal));
}

// The cab signal shows the pattern of every [Lamp_signal] entry equal to the offered speed
// (the last one wins); true when some entry matched.
bool offer_cab_signal(const RouteRun& run, int speed) {
  const auto& lamps = run.panel.lamp_signal_speeds;
  bool matched = false;
  for (std::size_t i = 0; i < lamps.size(); ++i) {
    if (lamps[i] == speed) {
      run.protection.cabsignal_shown = static_cast<int>(i) + 1;
      matched = true;
    }
  }
  return matched;
}

// One continuous table: offers its speeds to the cab signal and hides it when none matched;
// on_check sees every entry in force that is below the signal's speed.
template <typename OnCheck>
void continuous_table(const RouteRun& run, const std::vector<SpeedCheckData>& table,
                      OnCheck on_check) {
  const ProtectionState& p = run.protection;
  const int ff = run.film.film_frame;
  bool matched = false;
  for (const SpeedCheckData& c : table) {
    if (c.from_frame < ff && ff < c.to_frame && c.speed < p.signal_speed) {
      matched = offer_cab_signal(run, c.speed) || matched;
      on_check(c);
    } else if (p.signal_speed < kNoSpeedCheck) {
      matched = offer_cab_signal(run, p.signal_speed) || matched;
    }
  }
  if (!matched) run.protection.cabsignal_shown = 0;
}

LimitPreview preview_record(int index, int limit, int kind, long double to_cm, long double v) {
  LimitPreview r;
  r.index = index;
  r.speed = limit;
  r.kind = kind;
  r.distance = round_half_even(to_cm);
  const long double L = limit;
  // Braking distance from v to L at 3 km/h/s, plus v metres of reaction, in cm.
  r.need = v > L ? 100 * round_half_even((L + v) * (v - L) / 21.6L + v) : round_half_away(200 * v);
  return r;
}

// The first entry of a table whose position lies ahead of the train.
std::size_t first_ahead(const std::vector<SpeedCheckData>& table, long double position_cm) {
  std::size_t j = 0;
  while (j < table.size() && !(table[j].position > position_cm)) ++j;
  return j;
}

// The speed a signal allows by the picture it shows; kNoSpeedCheck for a picture that allows
// any speed, -1 for one that leaves the check as it was.
int speed_of_picture(const RouteRun& run, int picture) {
  auto entry = [&](std::size_t k) {
    const auto& table = run.route.speed_signal;
    return k < table.size() ? table[k] : -1;  // a route with fewer aspects has no such speed
  };
  switch (picture) {
    case 7:
    case 10:
    case 13:
    case 17:
    case 21:
    case 30:
    case 35:
      return 0;
    case 18:
    case 22:
      return entry(1);
    case 8:
    case 11:
    case 14:
    case 19:
    case 23:
    case 27:
    case 31:
      return entry(2);
    case 15:
    case 24:
      return entry(3);
    case 9:
    case 12:
    case 16:
    case 20:
    case 25:
    case 28:
    case 29:
    case 33:
    case 34:
      return entry(4);
    case 26:
    case 32:
      return kNoSpeedCheck;
    default:
      return -1;
  }
}

void light_lamps(ProtectionState& p, bool alarm, bool confirmed) {
  p.ats_lamps = {true, alarm, confirmed};
}

void mark_passed_checks(const RouteRun& run) {
  for (SpeedCheckData& c : run.route.speed_check1)
    c.passed = c.position < run.train.motion.position_cm;
}

}  // namespace

void start_protection(const RouteRun& run) {
  run.protection = ProtectionState{};
  release_pattern(run);
  mark_passed_checks(run);
}

void protection_after_jump(const RouteRun& run) {
  run.protection.signal_speed = kNoSpeedCheck;
  run.protection.cabsignal_shown = 0;
  mark_passed_checks(run);
}

void signal_points(const RouteRun& run, std::size_t i) {
  const SignalData& s = run.route.signals[i];
  ProtectionState& p = run.protection;
  const VehicleData& v = run.vehicle;
  const int ff = run.film.film_frame;
  if (std::abs(ff - s.bell_frame) < 15 && v.ats_type == AtsType::WarningPoint && v.ats_alert == 0 &&
      s.head >= 1 && s.aspect == 0)
    p.signal_speed = kWarningPoint;
  if (s.check_frame <= ff && ff < s.check_frame + 20) {
    const int allowed = speed_of_picture(run, run.signals.signal_image_now);
    if (allowed >= 0) p.signal_speed = allowed;
    if (v.ats_type == AtsType::WarningPoint && v.ats_alert == 1 &&
        run.train.motion.speed > p.signal_speed)
      raise_alarm(p);
    SignalState& st = run.signals;
    st.signal_image_now = st.signal_image_shown = st.signal_call_voice = kNoSignal;
    // The signal that set the stop pattern has cleared by the time the train reaches it: a
    // train that stopped short of it after its last beacon is not held at the green signal.
    const auto& events = run.route.events;
    const bool set_by_this_signal =
        p.ats_event >= 0 && static_cast<std::size_t>(p.ats_event) < events.size() &&
        events[static_cast<std::size_t>(p.ats_event)].kind == 2 &&
        events[static_cast<std::size_t>(p.ats_event)].signal == static_cast<int>(i);
    if (p.signal_speed != 0 && set_by_this_signal) {
      p.ats_p_state = 0;
      release_pattern(run);
    }
  }
}

void cab_signal_check(const RouteRun& run) {
  ProtectionState& p = run.protection;
  HandleState& h = run.train.handles;
  const int image = run.signals.signal_image_now;
  const auto& lamps = run.panel.lamp_signal_speeds;
  const int m = image - 35;
  const bool over = m >= 0 && m <= 7 && static_cast<std::size_t>(m) < lamps.size() &&
                    run.train.motion.speed > lamps[static_cast<std::size_t>(m)] - 0.4L;
  if (over) {
    if (p.atc_brake) return;
    // A stop aspect brakes to a stand and stays until the reset key.
    (image == 35 ? h.ats_eb : h.ats_service) = true;
    p.atc_brake = true;
  } else {
    if (!p.atc_brake) return;
    h.ats_service = false;
    p.atc_brake = false;
  }
  set_handle_latches(run.train.handles);
  run.masconupdate();
}

void warning_alarm(const RouteRun& run) {
  ProtectionState& p = run.protection;
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  if (!brake_at_emergency(run) && v.ats_alert == 0 &&
      (p.signal_speed == kWarningPoint || p.signal_speed == 0))
    raise_alarm(p);
  if (p.ats_alarm) {
    if (!vehicle_sound_playing(run.sounds, v.sound_ats1)) {
      vehicle_sound_stop(run.sounds, v.sound_ats2);
      vehicle_sound_loop(run.sounds, v.sound_ats1);
      light_lamps(p, true, false);
    }
    // Checked in every pass, not only when the bell starts: a train that rang at the warning
    // point still meets the red signal's check point with the bell ringing.
    if (p.signal_speed == 0 && !h.ats_eb) {
      h.ats_eb = true;
      set_brake_latches(h);
      run.masconupdate();
    }
  }
  if (p.ats_ack) {
    if (!vehicle_sound_playing(run.sounds, v.sound_ats2)) {
      vehicle_sound_stop(run.sounds, v.sound_ats1);
      if (v.ats_cnt == 0)
        vehicle_sound_loop(run.sounds, v.sound_ats2);
      else
        vehicle_sound_restart(run.sounds, v.sound_ats2);
    }
    p.ats_ack = false;
    light_lamps(p, false, true);
  }
}

void ats_confirm(const RouteRun& run) {
  ProtectionState& p = run.protection;
  const HandleState& h = run.train.handles;
  if (p.ats_ack) {
    p.ats_ack = false;
    p.ats_alarm = false;
    return;
  }
  // An automatic air brake at its first position has not yet applied any brake.
  const int applied_below = run.vehicle.brake_type == BrakeType::AutomaticAir ? -1 : 0;
  if (p.ats_alarm && h.brake_handle < applied_below && !h.ats_eb) {
    p.ats_alarm = false;
    p.ats_ack = true;
    p.ats_timer = 0;
    p.signal_speed = kNoSpeedCheck;
  }
}

void ats_reset(const RouteRun& run) {
  ProtectionState& p = run.protection;
  HandleState& h = run.train.handles;
  h.ats_eb = false;
  h.ats_service = false;
  // The brakes follow the released flags at once, not at the driver's next handle move.
  set_brake_latches(h);
  p.ats_p_state = 0;
  vehicle_sound_stop(run.sounds, run.vehicle.sound_ats1);
  p.ats_ack = true;
  p.ats_alarm = false;
  p.ats_timer = 0;
  p.signal_speed = kNoSpeedCheck;
  p.ats_lamps[0] = true;
  p.ats_lamps[1] = false;
}

void alarm_timer(const RouteRun& run) {
  ProtectionState& p = run.protection;
  HandleState& h = run.train.handles;
  p.ats_timer += static_cast<int>(round_half_away(run.frame.frame_ms));
  if (p.ats_timer >= run.vehicle.ats_time && !h.ats_eb) {
    h.ats_eb = true;
    h.power_notch = 0;
    set_brake_latches(h);
    run.masconupdate();
    p.ats_timer = 0;
  }
}

void limit_preview_step(const RouteRun& run) {
  ProtectionState& p = run.protection;
  const RouteData& r = run.route;
  const long double pos = run.train.motion.position_cm;
  const long double v = run.train.motion.speed;
  int next_film_stop = 999999;
  for (int f : r.movie_stop) {
    if (f > run.film.film_frame) {
      next_film_stop = f;
      break;
    }
  }
  const std::size_t lim = first_ahead(r.speed_limits, pos);
  const std::size_t chk = first_ahead(r.speed_check1, pos);
  for (std::size_t k = 0; k < 3; ++k) {
    p.limit_preview[k] = LimitPreview{};
    if (lim + k < r.speed_limits.size()) {
      const SpeedCheckData& e = r.speed_limits[lim + k];
      if (e.from_frame < next_film_stop)
        p.limit_preview[k] =
            preview_record(static_cast<int>(lim + k), e.speed, 0, e.position - pos, v);
    }
    p.limit_preview[3 + k] = LimitPreview{};
    if (chk + k < r.speed_check1.size()) {
      const SpeedCheckData& e = r.speed_check1[chk + k];
      if (check_applies(run, e))
        p.limit_preview[3 + k] =
            preview_record(static_cast<int>(chk + k), e.speed, 1, e.position - pos, v);
    }
  }
}

void speed_checks(const RouteRun& run) {
  if (!run.train.engine.ats_enabled) return;
  ProtectionState& p = run.protection;
  HandleState& h = run.train.handles;
  const long double v = run.train.motion.speed;
  for (SpeedCheckData& c : run.route.speed_check1) {
    if (!(c.position < run.train.motion.position_cm) || c.passed) continue;
    if (!check_applies(run, c)) continue;  // looked at again in a later pass
    if (c.speed2 < v) trip(run);
    c.passed = true;
  }
  if (run.vehicle.ats_type >= AtsType::CabSignal) return;

  continuous_table(run, run.route.speed_check2, [&](const SpeedCheckData& c) {
    if (c.speed < v) trip(run);
  });
  int limit = kNoSpeedCheck;
  continuous_table(run, run.route.speed_check3, [&](const SpeedCheckData& c) { limit = c.speed; });

  const int line_max = run.station.line_max_speed;
  const int max_check = run.route.max_speed_check;
  if (v > limit || (max_check == 1 && v > line_max)) {
    if (!h.ats_service) {
      h.ats_service = true;
      set_brake_latches(h);
    }
  } else if (max_check == 2 && v > line_max) {
    if (!h.ats_eb) {
      p.ats_alarm = true;
      h.ats_eb = true;
      set_brake_latches(h);
    }
  } else if (h.ats_service && p.ats_p_state < 2) {
    h.ats_service = false;
    set_brake_latches(h);
  }
}

void vigilance_step(const RouteRun& run) {
  ProtectionState& p = run.protection;
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  // Automatic running and the value display's "抵抗解除" are for trying a route out, not for
  // driving it, so the device would only get in the way; it stays off for the rest of the run.
  if (run.input.auto_run || run.value_display.speed_hold) p.vigilance_off = true;
  if (run.train.motion.speed > 1 && v.eb == 1 && !p.vigilance_off)
    p.eb_timer += static_cast<int>(round_half_away(run.frame.frame_ms));
  if (p.eb_timer >= kVigilanceBellMs) {
    if (!vehicle_sound_playing(run.sounds, v.sound_ebring))
      vehicle_sound_loop(run.sounds, v.sound_ebring);
    p.eb_lamp = true;
    if (p.eb_timer >= kVigilanceBrakeMs) {
      p.eb_timer = 0;
      h.eb_device = true;
      run.masconupdate();
      set_handle_latches(run.train.handles);
    }
  }
  if (h.eb_device && brake_at_emergency(run)) {
    h.eb_device = false;
    vehicle_sound_stop(run.sounds, v.sound_ebring);
    p.eb_lamp = false;
  }
}

}  // namespace velmora
