#include "dynamics/handles.h"

#include "common/rounding.h"

namespace velmora {
namespace {

int frame_ms_whole(const TrainInputs& in) { return static_cast<int>(round_half_even(in.frame_ms)); }

std::string brake_text_of(const Train& train, const TrainInputs& in) {
  const HandleState& h = train.handles;
  const VehicleData& v = in.vehicle;
  const UiTexts& ui = in.ui;
  if (h.brake_handle == -v.brake) return ui.eb;
  if (h.hold_active) return ui.hold2;
  if (h.brake_handle == 0) return ui.neut;
  const int n = -h.brake_handle;
  if (v.brake_type >= BrakeType::NotchWithPipe) return "B" + std::to_string(n);
  // The automatic air brake names its brake-valve positions.
  switch (n) {
    case 1: return ui.maintain;
    case 2: return ui.hold;
    case 3: return ui.apply;
    case 5: return ui.remove;
    default: return {};
  }
}

std::string power_text_of(const Train& train, const TrainInputs& in) {
  const HandleState& h = train.handles;
  const VehicleData& v = in.vehicle;
  if (h.const_active != 0) return in.ui.const_speed;
  if (h.power_handle == 0) return in.ui.neut2;
  if (h.power_handle < 0 || h.power_handle > v.power) return {};
  const auto group = static_cast<std::size_t>(h.notch_group_sel);
  const std::string name = group < v.power_mode.size() ? v.power_mode[group].name : std::string();
  const int first = group < v.notch_first_row.size() ? v.notch_first_row[group] : 0;
  return name + std::to_string(h.power_handle - first);
}

std::string reverser_text_of(const Train& train, const TrainInputs& in) {
  switch (train.handles.reverser) {
    case 1: return in.ui.forward;
    case -1: return in.ui.reverse;
    default: return in.ui.neutral;
  }
}

// The diesel gear lever's text, from the three [Gears] texts.
std::string lever_text(const Train& train, const TrainInputs& in) {
  const auto& gears = in.ui.gears;
  const int gear_pos = train.engine.gear_pos;
  const auto positions = in.vehicle.engine.size();
  if (gear_pos == 0) return gears[0];
  if (gear_pos == 1) return gears[1];
  if (gear_pos == 2 && positions == 3) return gears[2];
  if (gear_pos >= 2 && gear_pos <= 5) return gears[2] + std::to_string(gear_pos - 1);
  return {};
}

}  // namespace

void reset_handles(Train& train, const TrainInputs& in, TrainEvents& events) {
  HandleState& h = train.handles;
  h = HandleState{};
  h.brake_handle = -in.vehicle.brake;
  h.brake_notch = -in.vehicle.brake;
  h.sap_notch = -in.vehicle.brake;
  masconupdate(train, in, events);
}

int brake_target(const HandleState& h, const VehicleData& vehicle) {
  const int emergency = -vehicle.brake;
  if (h.ats_eb || h.eb_device) return emergency;
  if (h.ats_service && h.brake_handle != emergency) return 1 - vehicle.brake;
  return h.brake_handle;
}

void masconupdate(Train& train, const TrainInputs& in, TrainEvents& events) {
  HandleState& h = train.handles;
  const VehicleData& v = in.vehicle;
  if (h.const_active == 1 && (h.brake_handle != h.brake_notch || h.power_handle != h.power_notch)) {
    h.const_active = 0;
    h.power_notch = h.power_handle;
  }
  // The handle has just come back one notch from above the constant-speed notch and the
  // delay has not passed yet: hold the speed from here.
  if (train.motion.speed >= v.const_speed && h.const_active == 0 && v.const_notch >= 2 &&
      h.power_handle == v.const_notch && h.power_notch == v.const_notch + 1) {
    h.const_active = 1;
  }
  if (v.hold >= 2 && h.brake_handle == 1 - v.hold && h.brake_notch == -v.hold) h.hold_active = true;
  if (h.const_active == 1 && (h.ats_eb || h.eb_device || h.ats_service)) {
    h.const_active = 0;
    h.power_notch = h.power_handle;
  }

  h.brake_text = brake_text_of(train, in);
  h.power_text = power_text_of(train, in);
  h.reverser_text = reverser_text_of(train, in);
  if (v.engine_type == EngineType::Diesel) {
    h.mode_text = lever_text(train, in);
  } else if (v.suppress.empty()) {
    const auto group = static_cast<std::size_t>(h.notch_group_sel);
    h.mode_text = group < v.power_mode.size() ? v.power_mode[group].mode : std::string();
  } else {
    h.mode_text.clear();
  }
  events.handles_changed = true;
}

void power_delay_step(Train& train, const TrainInputs& in) {
  HandleState& h = train.handles;
  if (!h.power_pending) return;
  h.power_timer += frame_ms_whole(in);
  if (h.power_timer < in.vehicle.power_delay) return;
  h.power_timer = 0;
  h.power_pending = false;
  // While a stop film plays (or the film is being switched) the change is dropped.
  const MovieState movie_state = in.movie_state;
  if (movie_state != MovieState::RouteFilm && movie_state != MovieState::RunningFilm) return;
  if (h.power_handle >= h.power_notch)
    h.power_notch = h.power_handle;
  else if (h.power_handle >= in.vehicle.notch_back)
    h.power_notch = h.power_handle;
  else if (h.power_handle == 0)
    h.power_notch = 0;
  // Otherwise a partial notching-down below [NotchBack] waits for the handle to reach off.
}

void brake_delay_step(Train& train, const TrainInputs& in) {
  HandleState& h = train.handles;
  const VehicleData& v = in.vehicle;
  const int dt = frame_ms_whole(in);

  if (h.brake_pending) {
    h.brake_timer += dt;
    // A brake that already acts reacts in 70 % of the delay.
    const bool filled = train.brakes.bc_t.raw() > 0;
    if ((!filled && h.brake_timer >= v.brake_delay) || (filled && h.brake_timer >= 0.7L * v.brake_delay)) {
      h.brake_timer = 0;
      h.brake_pending = false;
      h.brake_notch = brake_target(h, v);
    }
  }
  if (h.sap_pending) {
    h.sap_timer += dt;
    if (h.sap_timer >= v.sap_delay) {
      h.sap_timer = 0;
      h.sap_pending = false;
      h.sap_notch = brake_target(h, v);
    }
  }
  if (h.ebrake_pending) {
    if (h.ebrake_notch == 0 && train.motion.speed < v.lose_elec[0]) {
      // Too slow to start the electric brake: the change never reaches it.
      h.ebrake_pending = false;
    } else {
      // A change while the electric brake acts takes effect at once.
      if (h.ebrake_notch == 0)
        h.ebrake_timer += dt;
      else
        h.ebrake_timer = v.ebrake_delay;
      if (h.ebrake_timer >= v.ebrake_delay) {
        h.ebrake_timer = 0;
        h.ebrake_pending = false;
        h.ebrake_notch = brake_target(h, v);
      }
    }
  }
}

void rollback_protection(Train& train, const TrainInputs& in, TrainEvents& events) {
  HandleState& h = train.handles;
  if (in.vehicle.back != 1 || h.ats_eb) return;
  if (h.reverser * train.motion.speed >= -7) return;
  events.rollback_emergency = true;
  h.ats_eb = true;
  masconupdate(train, in, events);
  h.brake_pending = true;
  h.sap_pending = true;
  h.ebrake_pending = true;
}

void set_handle_latches(HandleState& h) {
  h.power_pending = h.brake_pending = h.sap_pending = h.ebrake_pending = true;
}

void set_brake_latches(HandleState& h) {
  h.brake_pending = h.sap_pending = h.ebrake_pending = true;
}

void suppression_reset(Train& train, const TrainInputs& in, TrainEvents& events) {
  HandleState& h = train.handles;
  if (h.suppress_state > 0 && h.power_handle > 0) {
    h.suppress_state = 0;
    masconupdate(train, in, events);
  }
}

int notch_row_group(const VehicleData& vehicle, int position) {
  const auto& rows = vehicle.notch;
  if (position < 1 || static_cast<std::size_t>(position) > rows.size()) return 0;
  return rows[static_cast<std::size_t>(position - 1)].group;
}

void update_gear_label(Train& train, const TrainInputs& in) {
  HandleState& h = train.handles;
  if (in.vehicle.engine_type == EngineType::Diesel)
    h.mode_text = lever_text(train, in);
  else if (!in.vehicle.suppress.empty())
    h.mode_text = h.suppress_state > 0 ? "抑速" + std::to_string(h.suppress_state) : std::string();
}

}  // namespace velmora
