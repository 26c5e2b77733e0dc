#include <cmath>

#include "dynamics/brakes.h"

namespace velmora {
namespace {

bool any_override(const HandleState& h) { return h.ats_eb || h.eb_device || h.ats_service; }

long double charging_limit(const BrakeState& b) { return b.mr_press < 490 ? b.mr_press.value() : 490.0L; }

void clamp_at_zero(Fixed4& p) {
  if (p.raw() < 0) p = Fixed4();
}

// The automatic air brake, worked through the brake-valve positions.
void automatic_air_brake(Train& train, const TrainInputs& in, long double dt) {
  BrakeState& b = train.brakes;
  const VehicleData& v = in.vehicle;
  const HandleState& h = train.handles;
  const LoadState& load = in.load;
  const long double up = v.brake_up, down = v.brake_down, bp_return = v.bp_return;
  b.bp_max = charging_limit(b);
  const long double reduction = b.bp_max - b.bp_press;
  const long double T = reduction * load.bc_max / 140;
  // Rules for "each cylinder" take the trailer cylinder first.
  Fixed4* const cylinders[] = {&b.bc_t, &b.bc_m};

  if (any_override(h)) {
    for (Fixed4* c : cylinders) {
      if (*c < load.bc_emergency) {
        *c += up / 0.3L * dt;
        if (c == &b.bc_t) b.mr_press -= up / 3.3L * dt;
      }
    }
    b.er_press -= up / 0.6L * dt;
    b.bp_press -= up / 0.6L * dt;
    if (h.brake_handle == 0 || h.brake_handle == -1) b.mr_press -= up / 4.6L * dt;
    return;
  }

  const int position = h.brake_notch;
  if (position == 0 || (position == -1 && v.pull == 1)) {
    for (Fixed4* c : cylinders)
      if (*c < b.bp_press) *c -= down * dt / release_divisor(*c, 1.2L);
    if (b.bc_t < b.bp_press) {
      if (b.bp_press < b.bp_max) {
        const long double step = bp_return * dt / 2.5L;
        b.bp_press += step;
        b.mr_press -= step / 5;
      }
      if (b.er_press < b.bp_max) b.er_press += bp_return * dt / 2.5L;
    } else {
      // The pipe is still below the cylinders after an application: full recharge rate.
      if (b.bp_press < b.bp_max - 1) {
        const long double step = bp_return * dt;
        b.bp_press += step;
        b.mr_press -= step / 5;
      }
      if (b.er_press < b.bp_max - 1) b.er_press += bp_return * dt;
    }
  } else if (position == -3) {
    for (Fixed4* c : cylinders)
      if (*c < load.bc_max && *c < T && reduction > v.elbr) *c += up * dt;
    b.er_press -= up / 4.6L * dt;
    b.bp_press -= up / 4.6L * dt;
  } else if (position == -2) {
    for (Fixed4* c : cylinders)
      if (reduction > v.elbr && *c < load.bc_max && *c < T) *c += up * dt;
  } else if (position == -5) {
    for (Fixed4* c : cylinders) {
      if (*c < load.bc_max && *c < T) *c += up * dt;
      if (*c > T + 10) *c -= down * dt / release_divisor(*c, 1.2L);
    }
  } else if (position == -4) {
    for (Fixed4* c : cylinders)
      if (*c < load.bc_emergency && b.bp_press > 0) *c += up / 0.3L * dt;
    b.er_press -= up / 4.6L * dt;
    b.bp_press -= up / 0.6L * dt;
  } else if (position == -1) {
    // Charging position: the pipe recharges, only the motor cars release.
    if (b.er_press < b.bp_max) b.er_press += down * dt / 2.5L;
    if (b.bp_press < b.bp_max) {
      b.bp_press += down * dt / 2.5L;
      b.mr_press -= up * dt / 20;
    }
    if (b.bc_m < b.bp_press) b.bc_m -= down * dt / release_divisor(b.bc_m, 1.4L);
  }
}

// A cylinder moving toward target T as the air-only notch brake does; `air` charges the
// main reservoir for filling, `may_release` gates the release above T.
void toward_target(Train& train, const TrainInputs& in, Fixed4& c, long double T, long double dt, bool air, bool may_release,
                   long double base) {
  BrakeState& b = train.brakes;
  const VehicleData& v = in.vehicle;
  if (c < T - 10) {
    c += v.brake_up * dt;
    if (air) b.mr_press -= v.brake_up / 15.0L * dt;
  }
  if (c > T && may_release) c -= v.brake_down * dt / release_divisor(c, base);
}

// Notch-controlled brakes: the cylinders follow the notch directly.
void notch_brake(Train& train, const TrainInputs& in, long double dt) {
  BrakeState& b = train.brakes;
  const VehicleData& v = in.vehicle;
  const HandleState& h = train.handles;
  const LoadState& load = in.load;
  const int B = v.brake;
  const bool type1 = v.brake_type == BrakeType::NotchWithPipe;
  const long double up = v.brake_up, down = v.brake_down;
  const long double release_floor = load.bc_emergency - static_cast<long double>(load.bc_emergency) / B;

  if (type1) b.bp_max = charging_limit(b);
  const auto planned = static_cast<std::size_t>(-h.ebrake_notch);
  b.planned_decel = planned < v.planned_brake_rate.size() ? -v.planned_brake_rate[planned].value() : 0;

  if (type1 && -B < h.sap_notch && h.sap_notch < 0) {
    const long double S = static_cast<long double>(load.sap_max) / (B - 1) * (-h.sap_notch);
    if (b.sap_press + 10 < S) b.sap_press += v.sap_up * dt;
    if (b.sap_press > S) b.sap_press -= v.sap_down * dt;
  }

  if (-B < h.brake_notch && h.brake_notch < 0) {
    const long double T = static_cast<long double>(load.bc_max) / (B - 1) * (-h.brake_notch);
    if (v.brake_type2 == 0) {
      toward_target(train, in, b.bc_t, T, dt, true, true, 1.5L);
      toward_target(train, in, b.bc_m, T, dt, false, true, 1.5L);
    } else if (v.brake_type2 == 1) {
      // Electric brake on the motor cars, air on the trailers.
      const bool may_release = !type1 || b.bp_press >= load.bc_max - static_cast<long double>(load.bc_max) / B;
      toward_target(train, in, b.bc_t, T, dt, true, may_release, type1 ? 1.2L : 1.5L);
      if (b.bc_m < T - 10) {
        if (b.ebrake_current < 50 || b.bc_m < v.elbr) b.bc_m += up * dt;
        if (h.suppress_state != 0) b.bc_m += up * dt;
      }
      if (b.bc_m > T)
        b.bc_m -= down * dt / release_divisor(b.bc_m, 1.2L);
      else if (b.ebrake_current >= 40 && b.bc_m >= v.elbr + 5 && h.suppress_state == 0)
        b.bc_m -= down * dt / release_divisor(b.bc_m, 1.5L);
    } else if (b.ebrake_current > 0) {
      // Air fills in where the electric brake falls short of the planned rate.
      const long double TM = b.mr_press / (B - 1) * (-h.brake_notch);
      const bool too_little = train.traction.accel_traction > b.planned_decel;
      if (v.tt.empty.raw() != 0) {
        if (too_little) {
          if (b.bc_t < TM - 10) {
            b.bc_t += up * dt;
            b.mr_press -= up / 15.0L * dt;
          }
        } else {
          b.bc_t -= down * dt / release_divisor(b.bc_t, 1.5L);
        }
      }
      if (too_little) {
        if (b.bc_m < TM - 10 && (b.bc_t > 0.9L * b.mr_press || load.trailer_mass.raw() == 0)) b.bc_m += up * dt;
      } else {
        b.bc_m -= down * dt / release_divisor(b.bc_m, 1.5L);
      }
    } else {
      const bool may_release = !type1 || b.er_press >= release_floor;
      toward_target(train, in, b.bc_t, T, dt, true, may_release, 1.5L);
      toward_target(train, in, b.bc_m, T, dt, false, may_release, 1.5L);
    }
  }

  if (h.brake_notch == -B) {
    for (Fixed4* c : {&b.bc_m, &b.bc_t})
      if (*c < load.bc_emergency) *c += 1.3L * up * dt;
    if (type1) {
      b.er_press -= 3 * up * dt;
      b.sap_press -= 3.0L * v.sap_up * dt;
      b.bp_press -= 3 * up * dt;
    }
  }

  if (b.mr_press < 340) {
    // Too little air in the main reservoir applies the brakes by itself.
    for (Fixed4* c : {&b.bc_m, &b.bc_t})
      if (*c < load.bc_emergency) *c += 1.3L * up * dt;
  } else if (h.brake_notch == 0) {
    const bool er_allows = !type1 || b.er_press >= release_floor;
    if (type1) {
      if (b.bc_t > 0 || b.sap_press > 0) {
        if (er_allows) b.bc_t -= down * dt / release_divisor(b.bc_t, 1.5L);
        b.sap_press -= v.sap_down * dt / release_divisor(b.sap_press, 1.5L);
      }
    } else if (b.bc_t > 0) {
      b.bc_t -= down * dt / release_divisor(b.bc_t, 1.5L);
    }
    if (b.bc_m > 0 && er_allows) b.bc_m -= down * dt / release_divisor(b.bc_m, 1.5L);
  }

  if (type1 && h.brake_notch >= 1 - B) {
    if (b.bp_press < b.bp_max) {
      b.bp_press += v.bp_return * dt / release_divisor(490 - b.bp_press, 1.5L);
      b.mr_press -= v.bp_return * dt / 5;
    }
    if (b.er_press < b.bp_max) b.er_press += v.bp_return * dt;
  }
}

}  // namespace

long double release_divisor(long double pressure, long double base) {
  return std::pow(base, -pressure / 10) * 10 + 1;
}

void reset_brakes(BrakeState& b, const VehicleData& vehicle, const LoadState& load) {
  b = BrakeState{};
  b.mr_press = Fixed4(vehicle.high_air_press);
  b.bc_t = Fixed4(load.bc_emergency);
}

void brake_force_step(Train& train, const TrainInputs& in) {
  BrakeState& b = train.brakes;
  const VehicleData& v = in.vehicle;
  const LoadState& load = in.load;
  const long double speed = std::fabs(train.motion.speed);
  const long double R2 = v.air_brake_speed, k = v.brake_rate2, A1 = v.air_brake_rate;
  if (speed == 0)
    b.air_factor = v.air_brake_rate;
  else if (speed <= R2)
    b.air_factor = ((1 + 0.01L * speed) / (1 + k * speed)) / ((1 + 0.01L * R2) / (1 + k * R2));
  else
    b.air_factor = 1;

  // Without an emergency pressure there is no scale for the cylinders: no air braking.
  long double force = 0;
  if (load.bc_emergency != 0) {
    force = A1 * b.bc_m / load.bc_emergency / 3.6L * load.motor_mass * 1000 * b.air_factor +
            A1 * b.bc_t / load.bc_emergency / 3.6L * load.trailer_mass * 1000 * b.air_factor;
  }
  if (v.brake_type2 >= 1 && b.ebrake_current > 0) force += b.ebrake_current * v.ebrake_force * 9.8L;
  b.brake_force = force;
}

void brake_pressure_step(Train& train, const TrainInputs& in) {
  BrakeState& b = train.brakes;
  const long double dt = 1.0L / in.fps;
  b.mr_press -= 0.2L * dt;  // the main reservoir leaks a little all the time
  if (in.vehicle.brake_type == BrakeType::AutomaticAir)
    automatic_air_brake(train, in, dt);
  else
    notch_brake(train, in, dt);
  for (Fixed4* p : {&b.mr_press, &b.er_press, &b.bc_t, &b.bc_m, &b.sap_press}) clamp_at_zero(*p);
  if (b.bp_press < 0) b.bp_press = 0;
}

void compressor_step(Train& train, const TrainInputs& in, TrainEvents& events) {
  BrakeState& b = train.brakes;
  const VehicleData& v = in.vehicle;
  if (b.mr_press < v.low_air_press && !b.compressor_on) {
    events.compressor_started = true;
    b.compressor_on = true;
  }
  if (b.compressor_on && b.mr_press >= v.high_air_press) {
    events.compressor_stopped = true;
    b.compressor_on = false;
  }
  if (b.compressor_on) {
    // A diesel car's compressor turns with the engine.
    long double gain = in.frame_ms / 300;
    if (v.engine_type == EngineType::Diesel) gain = gain * train.engine.engine_rpm / 100;
    b.mr_press += gain;
  }
}

void horn_air_use(BrakeState& b, const VehicleData& v, bool horn1, bool horn2) {
  if (horn1 && b.mr_press > 1) b.mr_press -= v.sound_horn1.air / 10;
  if (horn2 && b.mr_press > 1) b.mr_press -= v.sound_horn2.air / 10;
}

}  // namespace velmora
