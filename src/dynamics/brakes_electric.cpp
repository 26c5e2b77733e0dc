#include <cmath>

#include "common/rounding.h"
#include "dynamics/brakes.h"
#include "dynamics/traction.h"

namespace velmora {
namespace {

// The current of [CurrentB] entry `row` at speed v; entries without a divisor leave it.
void current_from_table(Train& train, const TrainInputs& in, long double v) {
  BrakeState& b = train.brakes;
  const auto& table = in.vehicle.current_b;
  const auto row = static_cast<std::size_t>(b.currentb_row);
  if (row < table.size() && table[row].divisor != 0)
    b.ebrake_current = (v - table[row].offset) / table[row].divisor;
}

// Current ramped toward the planned rate of the notch.
void ramped_current(Train& train, const TrainInputs& in, long double dt) {
  BrakeState& b = train.brakes;
  const VehicleData& v = in.vehicle;
  const int notch = train.handles.ebrake_notch;
  if (v.brake_type2 <= 0) return;
  const auto planned = static_cast<std::size_t>(-notch);
  const long double planned_rate = planned < v.planned_brake_rate.size() ? v.planned_brake_rate[planned].value() : 0;
  if (-v.brake < notch && train.motion.speed >= v.lose_elec[1] && b.ebrake_current < v.max_brake_curr &&
      b.ebrake_current < v.ammeter_scale * planned_rate)
    b.ebrake_current += v.ebrake_up * dt;
  else
    b.ebrake_current -= v.ebrake_down * dt;
  if (b.ebrake_current < 0) b.ebrake_current = 0;
  if (b.ebrake_current > 0 && (notch == 0 || notch == -v.brake)) {
    b.ebrake_current -= v.ebrake_down * dt;
    if (b.ebrake_current < 0) b.ebrake_current = 0;
  }
}

// Current from the [CurrentB] table, stepping through its entries like a cam controller.
void table_current(Train& train, const TrainInputs& in) {
  BrakeState& b = train.brakes;
  const VehicleData& v = in.vehicle;
  const HandleState& h = train.handles;
  const long double speed = std::fabs(train.motion.speed);
  const auto entries = static_cast<int>(v.current_b.size());

  if (h.suppress_state >= 1) {
    const auto hold_back = static_cast<std::size_t>(h.suppress_state - 1);
    const int hold_back_limit = hold_back < v.suppress.size() ? v.suppress[hold_back] : 0;
    for (int i = 0; i < entries; ++i) {
      current_from_table(train, in, speed);
      if (b.currentb_row < i && b.ebrake_current < 125 && hold_back_limit > b.currentb_row) ++b.currentb_row;
    }
    if (b.ebrake_current < 0) b.ebrake_current = 0;
    return;
  }

  if (doors_allow_traction(in.vehicle, in.doors_open) && h.ebrake_notch < 0) {
    if (speed < v.lose_elec[1]) {
      b.ebrake_current = 0;
    } else {
      const auto notch = static_cast<std::size_t>(-h.ebrake_notch);
      const int limit = notch < v.brake_current_limit.size() ? v.brake_current_limit[notch] : 0;
      for (int i = 0; i < entries; ++i) {
        current_from_table(train, in, speed);
        if (limit == 0) {
          b.currentb_row = 0;
          b.ebrake_current = 0;
        } else if (b.currentb_row < i && b.ebrake_current < limit) {
          ++b.currentb_row;
        }
      }
    }
  }
  if (h.ebrake_notch == 0) {
    b.currentb_row = 0;
    b.ebrake_current = 0;
  }
  // Braking electrically puts the traction controller back to its first step.
  if (b.currentb_row > 0) train.traction.current_step = 0;
}

}  // namespace

void electric_brake_step(Train& train, const TrainInputs& in) {
  const long double dt = 1.0L / in.fps;
  if (in.vehicle.ebrake_model == 1)
    ramped_current(train, in, dt);
  else
    table_current(train, in);
  if (train.brakes.ebrake_current > 0)
    train.traction.ammeter_value = -static_cast<int>(round_half_away(train.brakes.ebrake_current));
}

}  // namespace velmora
