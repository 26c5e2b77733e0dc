#include "dynamics/traction.h"

#include <algorithm>
#include <cmath>

#include "common/rounding.h"

namespace velmora {
namespace {

constexpr long double kG = 9.8L;

// Acceleration of a [Notch] row at speed v. Rows whose speeds would divide by zero give
// no force rather than an infinite one.
long double table_acceleration(const NotchRow& r, long double v) {
  if (r.acc0 > 0) {
    if (v < r.speed1) return (r.acc1 - r.acc0) / r.speed1 * v + r.acc0;
    if (v < r.speed2) return v > 0 ? r.speed1 * r.acc1 / v : 0;
    const long double n = static_cast<long double>(round_half_away(v));
    if (r.speed2 == 0 || n == 0) return 0;
    return (r.acc1 * r.speed1 / r.speed2) * std::pow(static_cast<long double>(r.speed2), r.exponent) /
           std::pow(n, r.exponent);
  }
  return (r.speed1 <= v && v < r.speed2) ? r.acc0 : 0;
}

// Diesel tractive effort of one [Engine] gear, in N.
long double engine_effort(const Train& train, const TrainInputs& in, const EngineGear& e, long double v) {
  const VehicleData& veh = in.vehicle;
  const int N = veh.power;
  const int notch = train.handles.power_notch;
  if (N == 0) return 0;
  if (v < e.speed1) {
    if (e.speed1 == e.speed0) return 0;
    const long double base =
        ((e.effort1 - e.effort0) / (e.speed1 - e.speed0) * std::fabs(v - e.speed0) + e.effort0) * kG / N;
    // A diesel car starts gently: below [PowerJerk] at most two notches pull.
    const int pulling = train.motion.speed < veh.power_jerk ? std::min(notch, 2) : notch;
    return base * pulling * 10000;
  }
  if (v < e.speed2) {
    return ((e.effort2 - e.effort1) / (e.speed2 - e.speed1) * std::fabs(v - e.speed1) + e.effort1) * kG / N *
           notch * 10000;
  }
  return 0;  // the engine cannot drive faster in this gear
}

}  // namespace

bool doors_allow_traction(const VehicleData& vehicle, bool doors_open) {
  return vehicle.door_lock == 0 || (vehicle.door_lock == 1 && !doors_open);
}

void tractive_effort(Train& train, const TrainInputs& in) {
  const VehicleData& v = in.vehicle;
  const HandleState& h = train.handles;
  MotionState& m = train.motion;
  if (!(m.speed < v.max_speed) || !doors_allow_traction(v, in.doors_open) || train.engine.engine_run != 1 || h.ats_eb ||
      h.eb_device || h.ats_service)
    return;
  const long double speed = std::fabs(m.speed);
  const long double M = in.load.total_mass;

  if (v.engine_type == EngineType::Electric && v.power_type == 1) {
    if (h.power_notch > 0 && h.brake_handle == 0 && static_cast<std::size_t>(h.power_notch) <= v.notch.size()) {
      const long double a = table_acceleration(v.notch[static_cast<std::size_t>(h.power_notch - 1)], speed);
      m.traction_force += a / 3.6L * M * 1000;
    }
  } else if (v.engine_type == EngineType::Electric && v.power_type == 0) {
    const long double I0 = v.current_p_reference, a0 = v.current_p_accel, vc = v.current_p_falloff_speed;
    if (h.power_notch > 0 && I0 != 0) {
      const int current = train.traction.motor_current;
      if (speed < vc || speed == 0)
        m.traction_force += M * 1000 * (a0 / 3.6L) / I0 * current;
      else
        m.traction_force += M * 1000 * (a0 / 3.6L * vc / speed) / I0 * current;
    }
  } else if (v.engine_type == EngineType::Diesel) {
    const auto gear = static_cast<std::size_t>(train.engine.gear);
    if (train.engine.shift_state == 0 && h.power_notch > 0 && gear < v.engine.size())
      m.traction_force += engine_effort(train, in, v.engine[gear], speed);
  }

  if (h.reverser == 0)
    m.traction_force = Fixed4();
  else if (h.reverser == -1)
    m.traction_force = Fixed4::from_raw(-m.traction_force.raw());
}

void current_step_timer(TractionState& t, const TrainInputs& in) {
  if (!t.step_pending) return;
  t.step_timer += static_cast<int>(round_half_even(in.frame_ms));
  const auto& steps = in.vehicle.current_p;
  const auto step = static_cast<std::size_t>(t.current_step);
  if (step >= steps.size()) {
    t.step_pending = false;  // past the last step there is nothing to advance to
    return;
  }
  if (steps[step].time_ms <= t.step_timer) {
    t.step_timer = 0;
    t.step_pending = false;
    t.current_step += 1;
  }
}

void ammeter_step(Train& train, const TrainInputs& in) {
  TractionState& t = train.traction;
  const VehicleData& v = in.vehicle;
  const HandleState& h = train.handles;
  const long double speed = train.motion.speed;
  const long double M = in.load.total_mass;

  const long double gap = std::fabs(t.ammeter_needle - t.ammeter_value) / (in.fps / 5.0L);
  if (t.ammeter_needle < t.ammeter_value)
    t.ammeter_needle += gap;
  else if (t.ammeter_needle > t.ammeter_value)
    t.ammeter_needle -= gap;

  const long double per_kmhs = M > 0 ? t.traction_delayed * 3.6L / (M * 1000) * v.ammeter_scale : 0;
  if (v.power_type == 1) {
    const auto top = static_cast<std::size_t>(v.power);
    if (v.ammeter_mode == 1 && top >= 1 && top <= v.notch.size()) {
      const long double speed1 = v.notch[top - 1].speed1;
      long double value = 0;
      if (h.power_notch > 0 && speed < speed1)
        value = speed1 != 0 ? per_kmhs / speed1 * speed : 0;
      else if (h.power_notch > 0)
        value = per_kmhs;
      else if (h.brake_notch < 0 && t.traction_delayed < 0)
        value = per_kmhs;
      t.ammeter_value = static_cast<int>(round_half_even(value));
    } else {
      t.ammeter_value = (h.brake_notch < 0 || h.power_notch > 0) ? static_cast<int>(round_half_away(per_kmhs)) : 0;
    }
  } else {
    const auto& steps = v.current_p;
    if (doors_allow_traction(v, in.doors_open) && !in.doors_open && h.power_notch > 0) {
      for (std::size_t j = 0; j < steps.size(); ++j) {
        if (t.current_step < static_cast<int>(j) && steps[j].notch <= h.power_handle &&
            t.motor_current < v.current_p_reference)
          t.step_pending = true;
        const auto step = static_cast<std::size_t>(t.current_step);
        if (step < steps.size()) {
          const long double divisor = h.reverser * speed - steps[step].speed_offset;
          if (divisor != 0) t.motor_current = static_cast<int>(round_half_away(steps[step].numerator / divisor));
        }
      }
    } else if (h.power_notch == 0) {
      t.current_step = 0;
      t.motor_current = 0;
    }
    t.ammeter_value = t.motor_current;
  }
  const std::string_view name = in.vehicle_file;
  if (name.size() >= 9 && name[8] == '3' && t.current_step >= 6) t.ammeter_value *= 2;
}

}  // namespace velmora
