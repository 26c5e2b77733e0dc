#include "report/run_log.h"

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

// Standing, as the conductor's arrival rule takes it: below 0.05 km/h.
constexpr long double kStandingKmh = 0.05L;
// A standstill within 100 m of a stop belongs to that stop (stopped short, or overrun).
constexpr long double kStationReachCm = 10000;
// Over the speed in force once the speedometer shows more than it.
constexpr long double kOverKmh = 0.5L;
constexpr int kNoLimit = 999;
// The comfort figures are taken over half-second steps: per-pass differences are noise.
constexpr long double kComfortStepMs = 500;
// A move this much longer than twice the speed allows is a jump, not a run.
constexpr long double kJumpSlackCm = 50;
// Curve points are kept every 5 m, and wherever the speed in force changes.
constexpr long double kCurveStepCm = 500;

long double cm_per_pass(long double kmh, long double ms) { return std::fabs(kmh) * ms / 36; }

std::optional<std::size_t> stop_within_reach(const RunLog& log, long double position_cm) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < log.stations.size(); ++i) {
    const StationRecord& s = log.stations[i];
    const long double d = std::fabs(position_cm - s.position_cm);
    if (!s.stops || d > kStationReachCm) continue;
    if (!best || d < std::fabs(position_cm - log.stations[*best].position_cm)) best = i;
  }
  return best;
}

void start_log(RunLog& log, const RunLogPass& p) {
  log.started = true;
  for (std::size_t i = 0; i < p.route.stations.size(); ++i) {
    const StationData& d = p.route.stations[i];
    StationRecord r;
    r.index = static_cast<int>(i);
    r.name = d.Name;
    r.stops = d.trntype != StopType::Pass;
    r.position_cm = d.position;
    r.zone_from_cm = d.position_s;
    r.zone_to_cm = d.position_e;
    r.deptime = d.deptime;
    log.stations.push_back(r);
  }
  const int first = p.station.cur_station;
  if (first >= 0 && first < static_cast<int>(log.stations.size())) {
    log.stations[first].start = true;
    log.prev.standing_at = first;
  }
  log.totals.start_ticks = log.totals.end_ticks = p.motion.sim_ticks;
}

void mark(RunLog& log, const RunLogPass& p, const std::string& kind, std::string detail = {}) {
  log.protection.push_back(
      {kind, p.motion.sim_ticks, p.motion.position_cm, p.motion.speed, std::move(detail)});
}

void protection_marks(RunLog& log, const RunLogPass& p, bool moving) {
  const RunLog::Previous& was = log.prev;
  const ProtectionState& pr = p.protection;
  const HandleState& h = p.handles;
  if (pr.ats_alarm && !was.ats_alarm) mark(log, p, "ats_bell");
  // The confirmation clears the alarm; a reset after the emergency brake clears it too.
  if (!pr.ats_alarm && was.ats_alarm && !was.ats_eb) mark(log, p, "ats_confirm");
  if (pr.ats_p_state == 1 && was.ats_p_state != 1) mark(log, p, "pattern_approach");
  if (pr.ats_p_state >= 2 && was.ats_p_state < 2) mark(log, p, "pattern_brake");
  if (h.ats_service && !was.ats_service && pr.ats_p_state < 2) mark(log, p, "service_brake");
  if (h.ats_eb && !was.ats_eb) mark(log, p, "emergency");
  if (pr.eb_lamp && !was.eb_lamp) mark(log, p, "vigilance_bell");
  if (h.eb_device && !was.eb_device) mark(log, p, "vigilance_brake");

  const int emergency = -p.brake_positions;
  const bool at_emergency = h.brake_notch == emergency,
             was_at_emergency = was.brake_notch == emergency;
  const bool at_full = h.brake_notch == emergency + 1,
             was_at_full = was.brake_notch == emergency + 1;
  if (moving && at_emergency && !was_at_emergency) {
    ++log.comfort.emergency_applications;
    if (!h.ats_eb && !h.eb_device) mark(log, p, "driver_emergency");
  }
  if (moving && at_full && !was_at_full && !was_at_emergency)
    ++log.comfort.full_service_applications;
}

void signals_passed(RunLog& log, const RunLogPass& p) {
  const int from = log.prev.film_frame, to = p.film_frame;
  if (to <= from) return;
  for (std::size_t i = 0; i < p.route.signals.size(); ++i) {
    const SignalData& s = p.route.signals[i];
    if (s.frame <= from || s.frame > to) continue;
    log.signals.push_back(
        {static_cast<int>(i), p.motion.position_cm, s.aspect, p.motion.sim_ticks});
    // A repeater shows the aspect of the signal ahead; it protects nothing of its own.
    if (s.aspect == 0 && s.head >= 1) mark(log, p, "signal_at_stop", std::to_string(i));
  }
}

void stations_step(RunLog& log, const RunLogPass& p, bool moving, bool jumped) {
  const long double pos = p.motion.position_cm;
  const int ticks = p.motion.sim_ticks;
  RunLog::Previous& was = log.prev;
  if (jumped) {
    was.standing_at.reset();
    was.after_jump = true;
  } else if (moving) {
    was.after_jump = false;
  }
  if (!moving) {
    if (const std::optional<std::size_t> at = stop_within_reach(log, pos)) {
      StationRecord& s = log.stations[*at];
      const bool came_to_stand = was.moving || jumped;
      if (s.stop_back) {
        // The overrun correction put the train on the stop: the driver's own stop stays.
        if (!s.arrival_ticks) s.arrival_ticks = ticks;
      } else if (was.after_jump) {
        // Any other jump starts the drive afresh from this station.
        if (!s.arrival_ticks) s.start = true;
      } else {
        // The arrival is the standstill the doors opened at; stops short of it before
        // (a signal, a creep) only move it on.
        if (!s.start && came_to_stand && s.doors_open_ms == 0) s.arrival_ticks = ticks;
        s.missed = false;
        s.stop_error_cm = pos - s.position_cm;
        s.in_zone = s.zone_from_cm <= pos && pos <= s.zone_to_cm;
        if (pos > s.zone_to_cm) s.overrun = true;
      }
      was.standing_at = static_cast<int>(*at);
    }
  }
  if (was.standing_at) {
    StationRecord& s = log.stations[*was.standing_at];
    if (p.station.doors_open) s.doors_open_ms += p.frame_ms;
    if (moving && !was.moving) s.departure_ticks = ticks;
    if (std::fabs(pos - s.position_cm) > kStationReachCm) was.standing_at.reset();
  }
  if (jumped) return;
  for (StationRecord& s : log.stations) {
    const long double beyond = s.position_cm + kStationReachCm;
    if (s.stops && !s.start && !s.arrival_ticks && was.position_cm <= beyond && pos > beyond)
      s.missed = true;
  }
}

void over_speed_step(RunLog& log, const RunLogPass& p, const SpeedInForce& limit, bool jumped) {
  const long double over = std::fabs(p.motion.speed) - limit.kmh;
  std::optional<std::size_t>& running = log.prev.over;
  if (jumped || limit.kmh >= kNoLimit || over < kOverKmh) {
    running.reset();
    return;
  }
  if (!running) {
    OverSpeed o;
    o.from_cm = log.prev.position_cm;
    o.start_ticks = p.motion.sim_ticks;
    log.over_speeds.push_back(o);
    running = log.over_speeds.size() - 1;
  }
  OverSpeed& o = log.over_speeds[*running];
  o.ms += p.frame_ms;
  o.distance_cm += std::fabs(p.motion.position_cm - log.prev.position_cm);
  o.to_cm = p.motion.position_cm;
  if (over > o.max_over_kmh) {
    o.max_over_kmh = over;
    o.limit_kmh = limit.kmh;
    o.limit_kind = limit.kind;
  }
}

void comfort_step(RunLog& log, const RunLogPass& p, bool jumped) {
  RunLog::Previous& was = log.prev;
  if (jumped) {
    was.window_ms = 0;
    was.window_speed = p.motion.speed;
    was.window_accel.reset();
    return;
  }
  was.window_ms += p.frame_ms;
  if (was.window_ms < kComfortStepMs) return;
  const long double seconds = was.window_ms / 1000;
  const long double accel = (std::fabs(p.motion.speed) - std::fabs(was.window_speed)) / seconds;
  RunComfort& c = log.comfort;
  c.max_decel_kmhs = std::max(c.max_decel_kmhs, -accel);
  if (was.window_accel)
    c.max_jerk_kmhs2 = std::max(c.max_jerk_kmhs2, std::fabs(accel - *was.window_accel) / seconds);
  was.window_accel = accel;
  was.window_speed = p.motion.speed;
  was.window_ms = 0;
}

void curve_step(RunLog& log, const RunLogPass& p, int limit, bool moving, bool jumped) {
  const CurvePoint point{p.motion.position_cm, p.motion.speed, limit, jumped};
  if (log.curve.empty() || jumped || limit != log.prev.limit_kmh || moving != log.prev.moving ||
      std::fabs(point.position_cm - log.curve.back().position_cm) >= kCurveStepCm)
    log.curve.push_back(point);
  else if (!moving)
    log.curve.back().speed_kmh = point.speed_kmh;
}

void remember(RunLog& log, const RunLogPass& p, int limit, bool moving) {
  RunLog::Previous& was = log.prev;
  was.speed = p.motion.speed;
  was.position_cm = p.motion.position_cm;
  was.film_frame = p.film_frame;
  was.moving = moving;
  was.ats_alarm = p.protection.ats_alarm;
  was.ats_eb = p.handles.ats_eb;
  was.ats_service = p.handles.ats_service;
  was.eb_device = p.handles.eb_device;
  was.eb_lamp = p.protection.eb_lamp;
  was.ats_p_state = p.protection.ats_p_state;
  was.brake_notch = p.handles.brake_notch;
  was.limit_kmh = limit;
}

}  // namespace

std::string protection_kind_text(const std::string& kind) {
  if (kind == "signal_at_stop") return "停止信号冒進";
  if (kind == "ats_bell") return "ATS警報";
  if (kind == "ats_confirm") return "ATS確認";
  if (kind == "pattern_approach") return "パターン接近";
  if (kind == "pattern_brake") return "パターンブレーキ";
  if (kind == "service_brake") return "速度照査ブレーキ";
  if (kind == "emergency") return "ATS非常ブレーキ";
  if (kind == "vigilance_bell") return "EB警報";
  if (kind == "vigilance_brake") return "EB非常ブレーキ";
  if (kind == "driver_emergency") return "非常ブレーキ（運転士）";
  return kind;
}

std::string limit_kind_text(const std::string& kind) {
  if (kind == "line") return "線区最高速度";
  if (kind == "limit") return "速度制限";
  if (kind == "signal") return "信号";
  if (kind == "pattern") return "ATSパターン";
  if (kind == "cab") return "車内信号";
  return kind;
}

SpeedInForce speed_in_force(const RunLogPass& p) {
  SpeedInForce in_force{p.station.line_max_speed > 0 ? p.station.line_max_speed : kNoLimit, "line"};
  const auto lower = [&](int kmh, const char* kind) {
    if (kmh >= 0 && kmh < in_force.kmh) in_force = {kmh, kind};
  };
  const int frame = p.film_frame;
  for (const SpeedCheckData& e : p.route.speed_limits)
    if (e.from_frame <= frame && frame < e.to_frame) lower(e.speed, "limit");
  for (const SpeedCheckData& e : p.route.speed_check3)
    if (e.from_frame < frame && frame < e.to_frame) lower(e.speed, "limit");
  if (p.protection.signal_speed < kWarningPoint) lower(p.protection.signal_speed, "signal");
  // The braking curve counts while a pattern is set towards a target below the line's speed.
  const ProtectionState& pr = p.protection;
  if (p.pattern_protection && pr.ats_target < p.station.line_max_speed &&
      pr.ats_target_pos > p.motion.position_cm)
    lower(pr.pattern_speed, "pattern");
  const int cab = p.signals.signal_image_now - 35;
  if (cab >= 0 && cab < static_cast<int>(p.lamp_signal_speeds.size()) &&
      p.signals.signal_image_now <= 42)
    lower(p.lamp_signal_speeds[cab], "cab");
  return in_force;
}

void run_log_step(RunLog& log, const RunLogPass& p) {
  const SpeedInForce limit = speed_in_force(p);
  const bool moving = std::fabs(p.motion.speed) >= kStandingKmh;
  if (!log.started) {
    start_log(log, p);
    remember(log, p, limit.kmh, moving);
    curve_step(log, p, limit.kmh, moving, false);
    log.prev.window_speed = p.motion.speed;
    return;
  }
  const long double moved = std::fabs(p.motion.position_cm - log.prev.position_cm);
  const bool jumped = moved > kJumpSlackCm + 2 * cm_per_pass(std::max(std::fabs(p.motion.speed),
                                                                      std::fabs(log.prev.speed)),
                                                             p.frame_ms);

  RunTotals& t = log.totals;
  t.run_ms += p.frame_ms;
  t.end_ticks = p.motion.sim_ticks;
  if (!jumped) {
    t.distance_cm += moved;
    const long double force = p.motion.traction_force;
    if (force > 0) t.energy_j += force * moved / 100;
  }
  t.peak_current_a = std::max(t.peak_current_a, std::abs(p.traction.motor_current));

  if (!jumped) signals_passed(log, p);
  protection_marks(log, p, moving || log.prev.moving);
  stations_step(log, p, moving, jumped);
  over_speed_step(log, p, limit, jumped);
  comfort_step(log, p, jumped);
  curve_step(log, p, limit.kmh, moving, jumped);
  remember(log, p, limit.kmh, moving);
}

bool reached_a_station(const RunLog& log) {
  for (const StationRecord& s : log.stations)
    if (!s.start && (s.arrival_ticks || s.missed)) return true;
  return false;
}

void note_stop_back(RunLog& log, int station) {
  if (station >= 0 && station < static_cast<int>(log.stations.size()))
    log.stations[station].stop_back = true;
}

}  // namespace velmora
