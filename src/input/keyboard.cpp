#include "input/keyboard.h"

#include <cmath>

#include "dynamics/handles.h"
#include "input/input_run.h"
#include "route/doors.h"
#include "route/driver_commands.h"
#include "sound/announcements.h"
#include "sound/enter_call.h"
#include "sound/vehicle_sounds.h"
#include "view/film.h"

namespace velmora {
namespace {

int first_row_of_selected_group(const InputRun& run) {
  const auto group = static_cast<std::size_t>(run.train.handles.notch_group_sel);
  return group < run.vehicle.notch_first_row.size() ? run.vehicle.notch_first_row[group] : 0;
}

void power_up(const InputRun& run, bool with_brake_and_hold_conditions) {
  HandleState& h = run.train.handles;
  const bool free = !with_brake_and_hold_conditions || (h.brake_handle == 0 && !h.hold_active);
  if (free && h.power_handle < run.vehicle.power &&
      notch_row_group(run.vehicle, h.power_handle) == h.notch_group_sel) {
    h.power_handle += 1;
  } else if (free && h.power_handle == 0 && h.notch_group_sel > 0) {
    h.power_handle = first_row_of_selected_group(run) + 1;
  }
}

void power_down(const InputRun& run, bool only_with_brake_released) {
  HandleState& h = run.train.handles;
  const bool free = !only_with_brake_released || h.brake_handle == 0;
  if (h.power_handle > 1 && free &&
      notch_row_group(run.vehicle, h.power_handle) == h.notch_group_sel) {
    h.power_handle -= 1;
  } else if (h.power_handle > 0 && h.notch_group_sel >= 0 &&
             h.power_handle == first_row_of_selected_group(run) + 1) {
    h.power_handle = 0;
  }
}

// One brake step applied: leaves hold-back straight to B1, enters it from release when
// [Hold] is 1, and never reaches emergency.
void brake_apply(const InputRun& run, bool with_power_condition) {
  HandleState& h = run.train.handles;
  InputState& in = run.input;
  const VehicleData& v = run.vehicle;
  if (h.hold_active) {
    h.hold_active = false;
    h.brake_handle = -1;
    in.hold_lock = true;
  }
  if ((!with_power_condition || h.power_handle == 0) && h.brake_handle > 1 - v.brake &&
      !h.hold_active) {
    if (v.hold == 1 && h.brake_handle == 0) h.hold_active = true;
    if (v.hold == 1 && h.brake_handle < 0 && !in.hold_lock) h.brake_handle -= 1;
    if (v.hold != 1) h.brake_handle -= 1;
    if (v.hold == 1) in.hold_lock = false;
  }
}

void brake_release(const InputRun& run) {
  HandleState& h = run.train.handles;
  if (h.brake_handle < 0) {
    h.brake_handle += 1;
    if (run.vehicle.hold == 1 && h.brake_handle == 0) h.hold_active = true;
  }
}

void combined_up(const InputRun& run) {
  HandleState& h = run.train.handles;
  power_up(run, true);
  h.hold_active = false;
  if (h.power_handle == 0 && h.brake_handle < 0) brake_release(run);
  run.suppression_reset();
  set_handle_latches(run.train.handles);
}

void combined_down(const InputRun& run, bool power_only_with_brake_released) {
  brake_apply(run, true);
  power_down(run, power_only_with_brake_released);
  set_handle_latches(run.train.handles);
}

void emergency(const InputRun& run) {
  HandleState& h = run.train.handles;
  h.hold_active = false;
  h.brake_handle = -run.vehicle.brake;
  h.power_handle = 0;
  set_handle_latches(run.train.handles);
}

void neutral(const InputRun& run) {
  HandleState& h = run.train.handles;
  h.hold_active = false;
  h.brake_handle = 0;
  h.power_handle = 0;
  set_handle_latches(run.train.handles);
}

void move_reverser(const InputRun& run, int to, int sound) {
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  const bool at_rest = std::fabs(run.train.motion.speed) <= 1;
  const bool unlocked = v.interlock == 0 || (v.interlock == 1 && h.brake_handle == -v.brake);
  if (!at_rest || !unlocked) return;
  if (h.reverser != to) vehicle_sound_play(run.sounds, sound);
  h.reverser = to;
}

// The handle rows of the character table (f to 0).
void handle_commands(const InputRun& run, char32_t ch) {
  const VehicleData& v = run.vehicle;
  HandleState& h = run.train.handles;
  const bool one_lever = v.handle == HandleType::OneLever;
  const bool two_handles = v.handle == HandleType::TwoHandles;
  switch (ch) {
    case U'f':
      move_reverser(run, 1, v.sound_rev[0]);
      break;
    case U'b':
      move_reverser(run, -1, v.sound_rev[1]);
      break;
    case U'n':
      move_reverser(run, 0, v.sound_rev[2]);
      break;
    case U'z':
      if (one_lever) {
        combined_up(run);
      } else if (two_handles) {
        power_up(run, false);
        run.suppression_reset();
        h.power_pending = true;
      }
      break;
    case U'a':
      if (one_lever) {
        combined_down(run, false);
      } else if (two_handles) {
        power_down(run, false);
        h.power_pending = true;
      }
      break;
    case U'q':
      if (one_lever) emergency(run);
      break;
    case U',':
      if (two_handles) {
        h.hold_active = false;
        brake_release(run);
        set_brake_latches(run.train.handles);
      }
      break;
    case U'.':
      if (two_handles) {
        brake_apply(run, false);
        set_brake_latches(run.train.handles);
      }
      break;
    case U'/':
      if (two_handles) {
        h.hold_active = false;
        h.brake_handle = -v.brake;
        set_brake_latches(run.train.handles);
      }
      break;
    case U'8':
      combined_up(run);
      break;
    case U'2':
      combined_down(run, true);
      break;
    case U'5':
      neutral(run);
      break;
    case U'0':
      emergency(run);
      break;
    default:
      break;
  }
}

void ats_reset(const InputRun& run) {
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  const bool standing = std::fabs(run.train.motion.speed) < 0.1L;
  const bool allowed = standing && ((h.ats_eb && h.brake_handle == -v.brake) ||
                                    (!h.ats_eb && h.ats_service && h.brake_handle < 0));
  if (!allowed) return;
  h.ats_eb = false;
  h.ats_service = false;
  if (vehicle_sound_playing(run.sounds, v.sound_ats1)) vehicle_sound_play(run.sounds, v.sound_ats3);
  vehicle_sound_stop(run.sounds, v.sound_ats1);
  ats_reset_indication(run.rules);
}

void ats_confirmation(const InputRun& run) {
  const VehicleData& v = run.vehicle;
  if (vehicle_sound_playing(run.sounds, v.sound_ats2)) {
    vehicle_sound_stop(run.sounds, v.sound_ats2);
    vehicle_sound_play(run.sounds, v.sound_ats3);
    run.rules.protection.ats_lamps[2] = false;
  }
  if (v.brake_type == BrakeType::AutomaticAir && run.train.handles.brake_handle == -1) return;
  ats_confirm(run.rules);
}

// The rows after the handles: horns, doors, protection buttons, announcements, constant
// speed, gears and hold-back notches.
void other_commands(const InputRun& run, char32_t ch) {
  HandleState& h = run.train.handles;
  const VehicleData& v = run.vehicle;
  const bool diesel_manual = v.engine_type == EngineType::Diesel && v.gear_type == 1;
  const bool electric_suppress = v.engine_type == EngineType::Electric && !v.suppress.empty();
  const OneManMode one_man = run.route.one_man;
  switch (ch) {
    case U'3':
    case U'6':
      if (!vehicle_sound_playing(run.sounds, v.sound_horn))
        vehicle_sound_play(run.sounds, v.sound_horn);
      break;
    case U'9':
      if (vehicle_sound_playing(run.sounds, v.sound_horn3))
        vehicle_sound_stop(run.sounds, v.sound_horn3);
      else
        vehicle_sound_loop(run.sounds, v.sound_horn3);
      break;
    case U'd':
    case U'7':
      if (one_man > OneManMode::Conductor) Door_operate(run.rules);
      break;
    case U'r':
      ats_reset(run);
      break;
    case U' ':
      if (v.ats_type == AtsType::WarningPoint) ats_confirmation(run);
      break;
    case U'c':
    case U'1':
      if (one_man == OneManMode::OneMan) announce_next(run.sounds);
      break;
    case U'-':
      if (one_man == OneManMode::OneMan) announce_previous(run.sounds);
      break;
    case U't':
      if (h.power_handle == v.power && run.train.motion.speed >= v.const_speed &&
          h.const_active == 0 && v.const_notch == 1) {
        h.const_active = 1;
        h.power_text = run.ui.const_speed;
      }
      break;
    case U'w':
      if (diesel_manual) run.train.engine.gear_pos = 2;
      break;
    case U's':
      if (diesel_manual)
        run.train.engine.gear_pos = 0;
      else if (electric_suppress && h.suppress_state > 0)
        h.suppress_state -= 1;
      break;
    case U'x':
      if (diesel_manual) {
        run.train.engine.gear_pos = 1;
      } else if (electric_suppress && h.suppress_state < static_cast<int>(v.suppress.size())) {
        h.suppress_state += 1;
        if (h.power_handle > 0) {
          h.power_handle = 0;
          h.power_pending = true;
          run.masconupdate();
        }
      }
      break;
    default:
      break;
  }
}

}  // namespace

void AsciiDown(const InputRun& run, char32_t ch) {
  HandleState& h = run.train.handles;
  InputState& in = run.input;
  if (!h.eb_device && ch != U'\r') {
    run.rules.protection.eb_timer = 0;
    vehicle_sound_stop(run.sounds, run.vehicle.sound_ebring);
    run.rules.protection.eb_lamp = false;
  }
  if (in.handle_swap) {
    if (ch == U'2')
      ch = U'8';
    else if (ch == U'8')
      ch = U'2';
  }
  if (run.frame.input_locked) return;

  handle_commands(run, ch);
  run.masconupdate();
  other_commands(run, ch);

  run.update_gear_label();
  handle_sounds(run.sounds, in.prev_power_handle, in.prev_brake_handle);
  in.prev_power_handle = h.power_handle;
  in.prev_brake_handle = h.brake_handle;
}

void keydowns(const InputRun& run, Key key, bool shift) {
  InputState& in = run.input;
  MotionState& m = run.train.motion;
  FilmState& film = run.view.film;
  const auto clock_and_film = [&](int ticks, int frames) {
    m.sim_ticks += ticks;
    film.film_frame += frames;
  };
  switch (key) {
    case Key::Backspace:
      reverse_at_film_stop(run.view);
      break;
    case Key::ScrollLock:
      in.handle_swap = !in.handle_swap;
      break;
    case Key::Escape: {
      in.suppress_on = !in.suppress_on;
      // Its lamp follows the switch (cab picture).
      const SignalSuppressData& s = run.vehicle.signal_suppress;
      vehicle_sound_stop(run.sounds, s.sound_on);
      vehicle_sound_stop(run.sounds, s.sound_off);
      vehicle_sound_play(run.sounds, in.suppress_on ? s.sound_on : s.sound_off);
      break;
    }
    case Key::Up:
    case Key::Down:
      if (!shift) break;
      if (key == Key::Up && in.screen_top >= -149) in.screen_top -= 50;
      if (key == Key::Down && in.screen_top < 0) in.screen_top += 50;
      run.platform.screen.set_screen_top(in.screen_top);
      break;
    case Key::Enter:
      enter_call(run.sounds);
      break;
    case Key::F1:
      in.auto_run = shift;
      break;
    case Key::F2:
      in.starter_key = shift ? 2 : 1;
      break;
    case Key::F3:
      if (shift) back_to_block_start(run.rules);
      toggle_value_display(run.rules);
      break;
    case Key::F5:
      if (shift) clock_and_film(-90, -100);
      break;
    case Key::F6:
      if (shift) clock_and_film(90, 100);
      break;
    case Key::F7:
      if (shift) clock_and_film(-900, -1000);
      break;
    case Key::F8:
      if (shift) clock_and_film(900, 1000);
      break;
    case Key::F9:
      if (shift) m.sim_ticks -= 900;
      break;
    case Key::F10:
      if (shift) m.sim_ticks += 900;
      break;
    case Key::F11:
      if (shift && m.speed > 10) m.speed -= 10;
      break;
    case Key::F12:
      if (shift && m.speed < 1000) m.speed += 10;
      break;
    case Key::PageUp:
    case Key::PageDown:
      if (!run.station.doors_open) {
        const int side = key == Key::PageUp ? 0 : 1;
        in.door_side = side;
        if (run.route.one_man_display == 1)
          in.door_side_text = run.ui.doors[static_cast<std::size_t>(side)];
        // The door-side picture shows for side 1 (cab picture).
      }
      break;
    case Key::F4:
      break;
  }
}

void keyups(const InputRun& run, Key key, bool) {
  if (key == Key::F2) run.input.starter_key = 0;
}

void key_pressed(const InputRun& run, Key key, bool shift) {
  keydowns(run, key, shift);
  switch (key) {
    case Key::Enter:
      AsciiDown(run, U'\r');
      break;
    case Key::Escape:
      AsciiDown(run, U'\x1b');
      break;
    case Key::Backspace:
      AsciiDown(run, U'\b');
      break;
    default:
      break;
  }
}

void WheelD(const InputRun& run) { AsciiDown(run, U'8'); }

void WheelU(const InputRun& run) {
  const bool last_service = run.train.handles.brake_handle == 1 - run.vehicle.brake;
  AsciiDown(run, last_service ? U'0' : U'2');
}

void read_held_keys(const InputRun& run) {
  KeyboardState& keys = run.platform.keyboard;
  InputState& in = run.input;
  in.key3_held = keys.held(HeldKey::Key3);
  in.key4_held = keys.held(HeldKey::Key4);
  in.key6_held = keys.held(HeldKey::Key6);
}

}  // namespace velmora
