#include "app/train_steps.h"

#include "app/run.h"
#include "dynamics/brakes.h"
#include "dynamics/engine.h"
#include "dynamics/handles.h"
#include "dynamics/keisan.h"
#include "dynamics/line_under_train.h"
#include "dynamics/traction.h"
#include "route/signals.h"
#include "sound/calls.h"
#include "sound/vehicle_sounds.h"
#include "view/instruments.h"

namespace velmora {

TrainInputs train_inputs(const Run& run) {
  return TrainInputs{.vehicle = run.vehicle,
                     .route = run.route,
                     .ui = run.ui,
                     .load = run.load,
                     .vehicle_file = run.config.vehicle_file,
                     .frame_ms = run.frame.frame_ms,
                     .fps = run.frame.fps,
                     .accel_prev = run.frame.accel_prev,
                     .movie_state = run.film.movie_state,
                     .film_frame = run.film.film_frame,
                     .stop_position = run.station.stop_position,
                     .doors_open = run.station.doors_open,
                     .auto_run = run.input.auto_run,
                     .starter_key = run.input.starter_key};
}

void apply_train_events(Run& run, const TrainEvents& events) {
  const VehicleData& v = run.vehicle;
  if (events.compressor_started) {
    vehicle_sound_play(run, v.cp_start);
    vehicle_sound_loop(run, v.cp_cnt);
  }
  if (events.compressor_stopped) {
    vehicle_sound_play(run, v.cp_end);
    vehicle_sound_stop(run, v.cp_cnt);
  }
  for (const EngineSound sound : events.engine_sounds)
    vehicle_sound_restart(run,
                          sound == EngineSound::Start ? v.engine_sound2[2] : v.engine_sound2[3]);
  if (events.rollback_emergency) vehicle_sound_restart(run, v.sound_atc);
  if (events.handles_changed) {
    // The call of a stop's departure: the first time power is taken with the doors shut.
    StationState& st = run.station;
    if (!st.doors_open && run.train.handles.power_handle > 0 && st.departure_call_armed) {
      st.departure_call_armed = false;
      station_call(run, 4, st.departure_call_station);
    }
    indicators_update(run);
  }
  FilmState& film = run.film;
  if (events.clock_ticked && film.movie_state == MovieState::StopFilm &&
      film.switch_frame < film.switch_end)
    film.switch_frame += 1;
}

void keisan(Run& run) {
  TrainEvents events;
  keisan(run.train, train_inputs(run), events);
  pre_train_step(run);
  keisan_advance(run.train, train_inputs(run), events);
  apply_train_events(run, events);
}

void reset_handles(Run& run) {
  TrainEvents events;
  reset_handles(run.train, train_inputs(run), events);
  apply_train_events(run, events);
}

void reset_brakes(Run& run) { reset_brakes(run.train.brakes, run.vehicle, run.load); }

void masconupdate(Run& run) {
  TrainEvents events;
  masconupdate(run.train, train_inputs(run), events);
  apply_train_events(run, events);
}

void set_handle_latches(Run& run) { set_handle_latches(run.train.handles); }

void set_brake_latches(Run& run) { set_brake_latches(run.train.handles); }

void suppression_reset(Run& run) {
  TrainEvents events;
  suppression_reset(run.train, train_inputs(run), events);
  apply_train_events(run, events);
}

void update_gear_label(Run& run) { update_gear_label(run.train, train_inputs(run)); }

bool doors_allow_traction(const Run& run) {
  return doors_allow_traction(run.vehicle, run.station.doors_open);
}

void tunnel_step(Run& run) { tunnel_step(run.train.motion, run.route); }

void sample_gradient(Run& run) { sample_gradient(run.train.motion, train_inputs(run)); }

void compressor_step(Run& run) {
  TrainEvents events;
  compressor_step(run.train, train_inputs(run), events);
  apply_train_events(run, events);
  // The first horn blows while any of its three sounds S1 to S3 plays.
  const VehicleData& v = run.vehicle;
  const auto& s = v.sound_horn1.numbers;
  const bool horn1 = vehicle_sound_playing(run, s[0]) || vehicle_sound_playing(run, s[1]) ||
                     vehicle_sound_playing(run, s[2]);
  const bool horn2 = vehicle_sound_playing(run, v.sound_horn2.sound);
  horn_air_use(run.train.brakes, v, horn1, horn2);
}

void transmission_step(Run& run) {
  TrainEvents events;
  transmission_step(run.train, train_inputs(run), events);
  apply_train_events(run, events);
}

void engine_state_step(Run& run) {
  TrainEvents events;
  engine_state_step(run.train, train_inputs(run), events);
  apply_train_events(run, events);
}

void rollback_protection(Run& run) {
  TrainEvents events;
  rollback_protection(run.train, train_inputs(run), events);
  apply_train_events(run, events);
}

void jump_ats(Run& run, bool on) {
  run.train.engine.ats_enabled = on;
  // Switching protection on in the dialog also clears the saved "protection off" option.
  if (on) run.options.opt_ats_reg = 0;
  run.protection.ats_lamps[0] = on;
}

void jump_engine_start(Run& run) {
  TrainEvents events;
  jump_engine_start(run.train.engine, events);
  apply_train_events(run, events);
  run.platform.clock.sleep_ms(700);  // the dialog holds the whole program for the start
}

void jump_engine_stop(Run& run) {
  TrainEvents events;
  jump_engine_stop(run.train.engine, events);
  apply_train_events(run, events);
}

}  // namespace velmora
