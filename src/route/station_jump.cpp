#include "route/station_jump.h"

#include <algorithm>

#include "dynamics/handles.h"
#include "route/protection.h"
#include "route/route_run.h"
#include "route/signals.h"
#include "route/station_table.h"
#include "route/timetable.h"
#include "sound/announcements.h"
#include "sound/call_queue.h"
#include "sound/crossing_list.h"
#include "sound/sound_step.h"
#include "view/film.h"
#include "view/overlays.h"

namespace velmora {

bool station_in_menu(const RouteData& route, const RunConfig& config, int i) {
  const StationData& s = station_at(route, i);
  return i >= 0 && i <= station_count(route) - 2 &&
         (s.trntype == StopType::DoorStop || s.trntype == StopType::NoDoorStop) &&
         config.first_station <= i && i < config.last_station;
}

void StationClick(const RouteRun& run, int t) {
  const RouteData& r = run.route;
  const int count = station_count(r);
  if (t < 0 || t >= count) return;
  const StationData& s = station_at(r, t);
  StationState& st = run.station;
  FilmState& film = run.view.film;
  MotionState& m = run.train.motion;

  // 1. The next announcement is the first one after leaving a station from here on.
  for (std::size_t k = 1; k < r.announce.size(); ++k) {
    if (r.announce[k].station >= t && r.announce[k].kind == 0) {
      st.announce_next = static_cast<int>(k);
      break;
    }
  }
  // 2. Back to the route film at the station's frame, decoded on the next pass; a film
  // that could not be read is opened afresh (its file may be back).
  if (film.movie_state != MovieState::RouteFilm || film.film_failed) {
    reopen_route_film(run.view);
    film.movie_state = MovieState::RouteFilm;
    film.switch_frame = 0;
    film.shown_frame = -1;
  }
  film.film_frame = s.Start;
  film.shown_frame = film.film_frame - 1;
  // 3.
  run.platform.events.event("window_caption", r.line_name);
  m.speed = 0;
  // 4. Every stop starts afresh, and the points and trackside sounds sound again.
  clear_station_flags(st, count);
  sounds_after_jump(run.sounds);
  film_switches_after_jump(run.view);
  for (int channel = 1; channel < SoundDevice::kChannels; ++channel)
    run.sounds.platform.sound.stop(channel);
  // Calls waiting for the old place would be said at the new one.
  clear_call_queue(run.sounds);
  clear_announce_latches(run.sounds);
  st.departure_call_armed = false;
  // 5., 6.
  st.doors_open = false;
  st.door_cmd = false;
  st.door_lamp_lit = true;
  st.station_text = "ただいま " + s.Name;
  if (run.route.one_man >= OneManMode::OneMan) st.train_info_text.clear();
  // 7. The clock text is rebuilt on the next pass even when the seconds happen to match.
  jump_clock(run, t);
  st.clock_sec_prev = -1;
  // 8. A conductor train is released by the departure rule, not by the start-station one.
  if (r.one_man == OneManMode::Conductor) flag(st.st_doors_done, t) = true;
  // 9.
  place_pre_train(run);
  // 10.
  st.cur_station = t;
  m.gradient = Fixed4();
  std::fill(m.car_gradients.begin(), m.car_gradients.end(), 0);
  HandleState& h = run.train.handles;
  h.power_handle = 0;
  h.power_notch = 0;
  h.brake_handle = 1 - run.vehicle.brake;  // the highest service notch
  h.brake_notch = h.brake_handle;
  h.sap_notch = h.brake_handle;
  m.position_cm = s.position;
  m.stop_distance = 0;
  st.stop_position = s.position;
  st.station_index = t;
  st.run_ended = false;
  // The position is set here, not carried over from the segment the train left: without
  // this the next step would move it to the boundary of the film's speed segment.
  m.speedunit_seg = -1;
  // 11.
  protection_after_jump(run);
  rebuild_crossing_list(run.sounds);
  film.movie_state = MovieState::RouteFilm;
  film.film_reversed = 0;  // the film stop points stop a forward run again
  // 10., 12. The signal and traffic-light displays, for the new place; the sign and the
  // crossing lights are drawn anew on the next pass.
  refresh_views(run);
  overlays_after_jump(run.view);
  // 13.
  run.masconupdate();
}

void BackClick(const RouteRun& run) { run.start_fade(); }

void kotai_stop_click(const RouteRun& run) { StationClick(run, run.station.zone_station); }

}  // namespace velmora
