#include "app/trace_fields.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace velmora {
namespace {

template <typename Get>
TraceField scalar(const char* name, Get get) {
  return {name, [get](const Run& run, std::size_t) -> TraceValue { return get(run); }, {}};
}

// An array field over one of the route's tables: name[i] is `value` of entry i.
template <typename Table, typename Value>
TraceField route_table(const char* name, Table table, Value value) {
  return {name,
          [table, value](const Run& r, std::size_t i) -> TraceValue {
            return std::int64_t{value(table(r.route)[i])};
          },
          [table](const Run& r) { return table(r.route).size(); }};
}

// A per-station flag array: name[i] is the flag of station i.
template <typename Flags>
TraceField station_flags(const char* name, Flags flags) {
  return {name, [flags](const Run& r, std::size_t i) -> TraceValue { return bool{flags(r.station)[i]}; },
          [flags](const Run& r) { return flags(r.station).size(); }};
}

constexpr const char* label_names[16] = {"Label0",  "Label1",  "Label2",  "Label3",  "Label4",  "",
                                          "Label6",  "Label7",  "Label8",  "Label9",  "Label10", "Label11",
                                          "Label12", "Label13", "Label14", "Label15"};
constexpr const char* power_shapes[5] = {"KP1", "KP2", "KP3", "KP4", "KP5"};
constexpr const char* brake_shapes[8] = {"KB1", "KB2", "KB3", "KB4", "KB5", "KB6", "KB7", "KB8"};

std::vector<TraceField> make_fields() {
  std::vector<TraceField> f = {
      scalar("app_ready", [](const Run& r) { return r.frame.app_ready; }),
      scalar("film_ready", [](const Run& r) { return r.frame.film_ready; }),
      scalar("input_locked", [](const Run& r) { return r.frame.input_locked; }),
      scalar("clock_now", [](const Run& r) { return r.frame.clock_now; }),
      scalar("clock_prev", [](const Run& r) { return r.frame.clock_prev; }),
      scalar("frame_ms", [](const Run& r) { return r.frame.frame_ms; }),
      scalar("fps", [](const Run& r) { return std::int64_t{r.frame.fps}; }),
      scalar("accel_prev", [](const Run& r) { return r.frame.accel_prev; }),
      scalar("sway_offset", [](const Run& r) { return std::int64_t{r.frame.sway_offset}; }),
      scalar("fade_alpha", [](const Run& r) { return std::int64_t{r.frame.fade_alpha}; }),
      scalar("tenth_count", [](const Run& r) { return r.frame.tenth_count; }),
      scalar("frames_run", [](const Run& r) { return r.frame.frames_run; }),
      scalar("total_mass", [](const Run& r) { return r.load.total_mass; }),
      scalar("motor_mass", [](const Run& r) { return r.load.motor_mass; }),
      scalar("trailer_mass", [](const Run& r) { return r.load.trailer_mass; }),
      scalar("bc_max", [](const Run& r) { return std::int64_t{r.load.bc_max}; }),
      scalar("bc_emergency", [](const Run& r) { return std::int64_t{r.load.bc_emergency}; }),
      scalar("sap_max", [](const Run& r) { return std::int64_t{r.load.sap_max}; }),
      scalar("opt_effects_off", [](const Run& r) { return std::int64_t{r.options.opt_effects_off}; }),
      scalar("speed", [](const Run& r) { return r.train.motion.speed; }),
      scalar("position_cm", [](const Run& r) { return r.train.motion.position_cm; }),
      scalar("sim_ticks", [](const Run& r) { return std::int64_t{r.train.motion.sim_ticks}; }),
      scalar("film_speed", [](const Run& r) { return r.train.motion.film_speed; }),
      scalar("traction_force", [](const Run& r) { return r.train.motion.traction_force; }),
      scalar("resist_force", [](const Run& r) { return r.train.motion.resist_force; }),
      scalar("sway_pos", [](const Run& r) { return r.train.sway.sway_pos; }),
      scalar("sway_vel", [](const Run& r) { return r.train.sway.sway_vel; }),
      scalar("accel_now", [](const Run& r) { return r.train.sway.accel_now; }),
      scalar("accel_change", [](const Run& r) { return r.train.sway.accel_change; }),
      scalar("film_frame", [](const Run& r) { return std::int64_t{r.film.film_frame}; }),
      scalar("film_frame_prev", [](const Run& r) { return std::int64_t{r.film.film_frame_prev}; }),
      scalar("frame_accum", [](const Run& r) { return r.film.frame_accum; }),
      scalar("shown_frame", [](const Run& r) { return std::int64_t{r.film.shown_frame}; }),
      scalar("station_index", [](const Run& r) { return std::int64_t{r.station.station_index}; }),
      scalar("film_fps", [](const Run& r) { return std::int64_t{r.ui.film_fps}; }),
      scalar("movie_state", [](const Run& r) { return static_cast<std::int64_t>(r.film.movie_state); }),
      scalar("doors_open", [](const Run& r) { return r.station.doors_open; }),
      scalar("reverser", [](const Run& r) { return std::int64_t{r.train.handles.reverser}; }),
      scalar("power_handle", [](const Run& r) { return std::int64_t{r.train.handles.power_handle}; }),
      scalar("brake_handle", [](const Run& r) { return std::int64_t{r.train.handles.brake_handle}; }),
      scalar("ctrl_type", [](const Run& r) { return std::int64_t{r.controllers.ctrl_type}; }),
      scalar("ctrl_last_sum", [](const Run& r) { return std::int64_t{r.controllers.ctrl_last_sum}; }),
      scalar("ohc_horn", [](const Run& r) { return std::int64_t{r.controllers.ohc_horn}; }),
      scalar("notch_group_sel", [](const Run& r) { return std::int64_t{r.train.handles.notch_group_sel}; }),
      scalar("hold_active", [](const Run& r) { return r.train.handles.hold_active; }),
      scalar("const_active", [](const Run& r) { return std::int64_t{r.train.handles.const_active}; }),
      scalar("suppress_state", [](const Run& r) { return std::int64_t{r.train.handles.suppress_state}; }),
      scalar("power_notch", [](const Run& r) { return std::int64_t{r.train.handles.power_notch}; }),
      scalar("brake_notch", [](const Run& r) { return std::int64_t{r.train.handles.brake_notch}; }),
      scalar("sap_notch", [](const Run& r) { return std::int64_t{r.train.handles.sap_notch}; }),
      scalar("ebrake_notch", [](const Run& r) { return std::int64_t{r.train.handles.ebrake_notch}; }),
      scalar("power_pending", [](const Run& r) { return r.train.handles.power_pending; }),
      scalar("brake_pending", [](const Run& r) { return r.train.handles.brake_pending; }),
      scalar("sap_pending", [](const Run& r) { return r.train.handles.sap_pending; }),
      scalar("ebrake_pending", [](const Run& r) { return r.train.handles.ebrake_pending; }),
      scalar("power_timer", [](const Run& r) { return std::int64_t{r.train.handles.power_timer}; }),
      scalar("brake_timer", [](const Run& r) { return std::int64_t{r.train.handles.brake_timer}; }),
      scalar("sap_timer", [](const Run& r) { return std::int64_t{r.train.handles.sap_timer}; }),
      scalar("ebrake_timer", [](const Run& r) { return std::int64_t{r.train.handles.ebrake_timer}; }),
      scalar("ats_eb", [](const Run& r) { return r.train.handles.ats_eb; }),
      scalar("eb_device", [](const Run& r) { return r.train.handles.eb_device; }),
      scalar("ats_service", [](const Run& r) { return r.train.handles.ats_service; }),
      scalar("power_text", [](const Run& r) { return r.train.handles.power_text; }),
      scalar("brake_text", [](const Run& r) { return r.train.handles.brake_text; }),
      scalar("reverser_text", [](const Run& r) { return r.train.handles.reverser_text; }),
      scalar("mode_text", [](const Run& r) { return r.train.handles.mode_text; }),
      scalar("bc_m", [](const Run& r) { return r.train.brakes.bc_m; }),
      scalar("bc_t", [](const Run& r) { return r.train.brakes.bc_t; }),
      scalar("gear_pos", [](const Run& r) { return std::int64_t{r.train.engine.gear_pos}; }),
      scalar("eb_timer", [](const Run& r) { return std::int64_t{r.protection.eb_timer}; }),
      scalar("eb_lamp", [](const Run& r) { return r.protection.eb_lamp; }),
      scalar("signal_speed", [](const Run& r) { return std::int64_t{r.protection.signal_speed}; }),
      scalar("ats_alarm", [](const Run& r) { return r.protection.ats_alarm; }),
      scalar("ats_ack", [](const Run& r) { return r.protection.ats_ack; }),
      scalar("ats_timer", [](const Run& r) { return std::int64_t{r.protection.ats_timer}; }),
      scalar("ats_p_state", [](const Run& r) { return std::int64_t{r.protection.ats_p_state}; }),
      scalar("ats_target", [](const Run& r) { return std::int64_t{r.protection.ats_target}; }),
      scalar("ats_target_pos", [](const Run& r) { return r.protection.ats_target_pos; }),
      scalar("ats_event", [](const Run& r) { return std::int64_t{r.protection.ats_event}; }),
      scalar("pattern_speed", [](const Run& r) { return std::int64_t{r.protection.pattern_speed}; }),
      scalar("warning_speed", [](const Run& r) { return std::int64_t{r.protection.warning_speed}; }),
      scalar("atc_brake", [](const Run& r) { return r.protection.atc_brake; }),
      scalar("protect_text", [](const Run& r) { return r.protection.protect_text; }),
      scalar("protect_text2", [](const Run& r) { return r.protection.protect_text2; }),
      scalar("cabsignal_shown", [](const Run& r) { return std::int64_t{r.protection.cabsignal_shown}; }),
      scalar("handle_swap", [](const Run& r) { return r.input.handle_swap; }),
      scalar("hold_lock", [](const Run& r) { return r.input.hold_lock; }),
      scalar("suppress_on", [](const Run& r) { return r.input.suppress_on; }),
      scalar("auto_run", [](const Run& r) { return r.input.auto_run; }),
      scalar("starter_key", [](const Run& r) { return std::int64_t{r.input.starter_key}; }),
      scalar("door_side", [](const Run& r) { return std::int64_t{r.input.door_side}; }),
      scalar("door_side_text", [](const Run& r) { return r.input.door_side_text; }),
      scalar("screen_top", [](const Run& r) { return std::int64_t{r.input.screen_top}; }),
      scalar("key3_held", [](const Run& r) { return r.input.key3_held; }),
      scalar("key4_held", [](const Run& r) { return r.input.key4_held; }),
      scalar("key6_held", [](const Run& r) { return r.input.key6_held; }),
      scalar("stop_distance", [](const Run& r) { return r.train.motion.stop_distance; }),
      scalar("gradient", [](const Run& r) { return r.train.motion.gradient; }),
      scalar("in_tunnel", [](const Run& r) { return r.train.motion.in_tunnel; }),
      scalar("tunnel_level", [](const Run& r) { return std::int64_t{r.train.motion.tunnel_level}; }),
      scalar("speedunit_seg", [](const Run& r) { return std::int64_t{r.train.motion.speedunit_seg}; }),
      scalar("traction_only", [](const Run& r) { return r.train.traction.traction_only; }),
      scalar("traction_delayed", [](const Run& r) { return r.train.traction.traction_delayed; }),
      scalar("adhesion", [](const Run& r) { return r.train.traction.adhesion; }),
      scalar("adh_limit", [](const Run& r) { return r.train.traction.adh_limit; }),
      scalar("speed_next", [](const Run& r) { return r.train.traction.speed_next; }),
      scalar("slip_text", [](const Run& r) { return r.train.traction.slip_text; }),
      scalar("motor_current", [](const Run& r) { return std::int64_t{r.train.traction.motor_current}; }),
      scalar("current_step", [](const Run& r) { return std::int64_t{r.train.traction.current_step}; }),
      scalar("step_pending", [](const Run& r) { return r.train.traction.step_pending; }),
      scalar("step_timer", [](const Run& r) { return std::int64_t{r.train.traction.step_timer}; }),
      scalar("ammeter_value", [](const Run& r) { return std::int64_t{r.train.traction.ammeter_value}; }),
      scalar("ammeter_needle", [](const Run& r) { return r.train.traction.ammeter_needle; }),
      scalar("accel_traction", [](const Run& r) { return r.train.traction.accel_traction; }),
      scalar("accel_net", [](const Run& r) { return r.train.traction.accel_net; }),
      scalar("mr_press", [](const Run& r) { return r.train.brakes.mr_press; }),
      scalar("er_press", [](const Run& r) { return r.train.brakes.er_press; }),
      scalar("bp_press", [](const Run& r) { return r.train.brakes.bp_press; }),
      scalar("bp_max", [](const Run& r) { return r.train.brakes.bp_max; }),
      scalar("sap_press", [](const Run& r) { return r.train.brakes.sap_press; }),
      scalar("ebrake_current", [](const Run& r) { return r.train.brakes.ebrake_current; }),
      scalar("currentb_row", [](const Run& r) { return std::int64_t{r.train.brakes.currentb_row}; }),
      scalar("planned_decel", [](const Run& r) { return r.train.brakes.planned_decel; }),
      scalar("compressor_on", [](const Run& r) { return r.train.brakes.compressor_on; }),
      scalar("air_factor", [](const Run& r) { return r.train.brakes.air_factor; }),
      scalar("brake_force", [](const Run& r) { return r.train.brakes.brake_force; }),
      scalar("engine_run", [](const Run& r) { return std::int64_t{r.train.engine.engine_run}; }),
      scalar("engine_rpm", [](const Run& r) { return r.train.engine.engine_rpm; }),
      scalar("rpm_target", [](const Run& r) { return r.train.engine.rpm_target; }),
      scalar("gear", [](const Run& r) { return std::int64_t{r.train.engine.gear}; }),
      scalar("shift_state", [](const Run& r) { return std::int64_t{r.train.engine.shift_state}; }),
      scalar("shift_timer", [](const Run& r) { return std::int64_t{r.train.engine.shift_timer}; }),
      scalar("starter_count", [](const Run& r) { return std::int64_t{r.train.engine.starter_count}; }),
      scalar("ats_enabled", [](const Run& r) { return r.train.engine.ats_enabled; }),
      scalar("switch_frame", [](const Run& r) { return std::int64_t{r.film.switch_frame}; }),
      scalar("switch_base", [](const Run& r) { return std::int64_t{r.film.switch_base}; }),
      scalar("switch_end", [](const Run& r) { return std::int64_t{r.film.switch_end}; }),
      scalar("film_length", [](const Run& r) { return std::int64_t{r.film.film_length}; }),
      scalar("film_reversed", [](const Run& r) { return std::int64_t{r.film.film_reversed}; }),
      scalar("picture_frame",
             [](const Run& r) { return std::int64_t{r.film.picture ? r.film.picture->frame : -1}; }),
      scalar("stop_position", [](const Run& r) { return r.station.stop_position; }),
      scalar("door_cmd", [](const Run& r) { return r.station.door_cmd; }),
      scalar("door_lamp_lit", [](const Run& r) { return r.station.door_lamp_lit; }),
      scalar("cur_station", [](const Run& r) { return std::int64_t{r.station.cur_station}; }),
      scalar("zone_station", [](const Run& r) { return std::int64_t{r.station.zone_station}; }),
      scalar("line_max_speed", [](const Run& r) { return std::int64_t{r.station.line_max_speed}; }),
      scalar("announce_next", [](const Run& r) { return std::int64_t{r.station.announce_next}; }),
      scalar("arrival_tick", [](const Run& r) { return std::int64_t{r.station.arrival_tick}; }),
      scalar("door_draw", [](const Run& r) { return std::int64_t{r.station.door_draw}; }),
      scalar("door_chance", [](const Run& r) { return std::int64_t{r.station.door_chance}; }),
      scalar("run_ended", [](const Run& r) { return r.station.run_ended; }),
      scalar("departure_call_armed", [](const Run& r) { return r.station.departure_call_armed; }),
      scalar("teimoku_frame", [](const Run& r) { return std::int64_t{r.station.teimoku_frame}; }),
      scalar("monitor_frame", [](const Run& r) { return std::int64_t{r.station.monitor_frame}; }),
      scalar("station_text", [](const Run& r) { return r.station.station_text; }),
      scalar("maxspeed_text", [](const Run& r) { return r.station.maxspeed_text; }),
      scalar("clock_text", [](const Run& r) { return r.station.clock_text; }),
      scalar("door_text", [](const Run& r) { return r.station.door_text; }),
      scalar("this_station_text", [](const Run& r) { return r.station.this_station_text; }),
      scalar("next_stop_text", [](const Run& r) { return r.station.next_stop_text; }),
      scalar("train_info_text", [](const Run& r) { return r.station.train_info_text; }),
  };
  f.push_back(station_flags("st_arrived", [](const StationState& s) -> const auto& { return s.st_arrived; }));
  f.push_back(station_flags("st_doors_done", [](const StationState& s) -> const auto& { return s.st_doors_done; }));
  f.push_back(station_flags("st_departed", [](const StationState& s) -> const auto& { return s.st_departed; }));
  f.push_back(station_flags("st_stop_done", [](const StationState& s) -> const auto& { return s.st_stop_done; }));
  f.push_back(
      station_flags("st_oneman_called", [](const StationState& s) -> const auto& { return s.st_oneman_called; }));
  f.push_back(station_flags("st_announce_pending",
                            [](const StationState& s) -> const auto& { return s.st_announce_pending; }));
  f.push_back(
      station_flags("st_overrun_called", [](const StationState& s) -> const auto& { return s.st_overrun_called; }));
  // The clock face's hands (hour, minute, second), px from its top-left corner.
  f.push_back({"clock_hand_x",
               [](const Run& r, std::size_t i) -> TraceValue { return std::int64_t{r.station.clock_hands[i].x}; },
               [](const Run& r) { return r.station.clock_face_drawn ? r.station.clock_hands.size() : 0; }});
  f.push_back({"clock_hand_y",
               [](const Run& r, std::size_t i) -> TraceValue { return std::int64_t{r.station.clock_hands[i].y}; },
               [](const Run& r) { return r.station.clock_face_drawn ? r.station.clock_hands.size() : 0; }});
  f.push_back({"info_label",
               [](const Run& r, std::size_t i) -> TraceValue { return r.ui.info_label[i]; },
               [](const Run& r) { return r.ui.info_label.size(); }});

  // The calls and announcements, and the overlay values the Enter key reads.
  f.push_back(scalar("call_queue_length", [](const Run& r) { return std::int64_t(r.calls.call_queue.size()); }));
  f.push_back(scalar("call_playing", [](const Run& r) { return r.calls.call_playing; }));
  f.push_back(scalar("call_channel", [](const Run& r) { return std::int64_t{r.sound.call_channel()}; }));
  f.push_back({"cross_pending",
               [](const Run& r, std::size_t i) -> TraceValue { return std::int64_t{r.calls.cross_pending[i]}; },
               [](const Run& r) { return r.calls.cross_pending.size(); }});
  f.push_back(scalar("announce_event", [](const Run& r) { return r.announce.announce_event; }));
  f.push_back(scalar("extra_picture4_shown", [](const Run& r) { return r.announce.extra_picture4_shown; }));
  f.push_back({"announce_played",
               [](const Run& r, std::size_t i) -> TraceValue { return bool{r.announce.announce_played[i]}; },
               [](const Run& r) { return r.announce.announce_played.size(); }});
  f.push_back({"announce_answered",
               [](const Run& r, std::size_t i) -> TraceValue { return bool{r.announce.announce_answered[i]}; },
               [](const Run& r) { return r.announce.announce_answered.size(); }});
  f.push_back(scalar("sign_shown", [](const Run& r) { return std::int64_t{r.overlays.sign_shown}; }));
  f.push_back(scalar("cross_shown", [](const Run& r) { return std::int64_t{r.overlays.cross_shown}; }));
  f.push_back(scalar("last_call_id", [](const Run& r) { return std::int64_t{r.overlays.last_call_id}; }));

  // Signals, the preceding train and the road traffic lights.
  for (const auto& field : std::initializer_list<std::pair<const char*, int (*)(const SignalState&)>>{
           {"signal_image_now", [](const SignalState& s) { return s.signal_image_now; }},
           {"signal_image_shown", [](const SignalState& s) { return s.signal_image_shown; }},
           {"shown_signal", [](const SignalState& s) { return s.shown_signal; }},
           {"signal_call_voice", [](const SignalState& s) { return s.signal_call_voice; }},
           {"pre_train_frame", [](const SignalState& s) { return s.pre_train_frame; }},
           {"pre_train_rate", [](const SignalState& s) { return s.pre_train_rate; }},
           {"pre_train_film_speed", [](const SignalState& s) { return s.pre_train_film_speed; }},
           {"pre_train_accum", [](const SignalState& s) { return s.pre_train_accum; }},
           {"light2_frame_now", [](const SignalState& s) { return s.light2_frame_now; }},
           {"light2_frame_shown", [](const SignalState& s) { return s.light2_frame_shown; }}})
    f.push_back(scalar(field.first, [get = field.second](const Run& r) { return std::int64_t{get(r.signals)}; }));
  f.push_back(scalar("distance_text", [](const Run& r) { return r.signals.distance_text; }));
  f.push_back(scalar("signal_info_text", [](const Run& r) { return r.signals.signal_info_text; }));
  const auto signals = [](const RouteData& r) -> const auto& { return r.signals; };
  const auto lights = [](const RouteData& r) -> const auto& { return r.traffic_signals; };
  f.push_back(route_table("aspect", signals, [](const SignalData& s) { return s.aspect; }));
  f.push_back(route_table("signal_image", signals, [](const SignalData& s) { return s.image; }));
  f.push_back(route_table("light_phase", lights, [](const TrafficSignalData& t) { return t.phase; }));
  f.push_back(route_table("light_count", lights, [](const TrafficSignalData& t) {
    return t.phase_count[static_cast<std::size_t>(t.phase >= 1 && t.phase <= 6 ? t.phase - 1 : 0)];
  }));

  // Positions derived from the route file, in cm along the line.
  const auto stations = [](const RouteData& r) -> const auto& { return r.stations; };
  const auto events = [](const RouteData& r) -> const auto& { return r.events; };
  const auto limits = [](const RouteData& r) -> const auto& { return r.speed_limits; };
  const auto doppler = [](const RouteData& r) -> const auto& { return r.doppler; };
  const auto tunnels = [](const RouteData& r) -> const auto& { return r.tunnels; };
  const auto units = [](const RouteData& r) -> const auto& { return r.speed_units; };
  f.push_back(route_table("station_position", stations, [](const StationData& s) { return s.position; }));
  f.push_back(route_table("station_position_s", stations, [](const StationData& s) { return s.position_s; }));
  f.push_back(route_table("station_position_e", stations, [](const StationData& s) { return s.position_e; }));
  f.push_back(route_table("event_position", events, [](const RouteEvent& e) { return e.position; }));
  f.push_back(route_table("event_kind", events, [](const RouteEvent& e) { return e.kind; }));
  f.push_back(route_table("event_target", events, [](const RouteEvent& e) { return e.target; }));
  f.push_back(route_table("event_signal", events, [](const RouteEvent& e) { return e.signal; }));
  f.push_back(route_table("event_station", events, [](const RouteEvent& e) { return e.station; }));
  f.push_back(route_table("limit_position", limits, [](const SpeedCheckData& c) { return c.position; }));
  f.push_back(route_table("doppler_position", doppler, [](const DopplerData& d) { return d.position; }));
  f.push_back(route_table("tunnel_entrance", tunnels, [](const TunnelData& t) { return t.entrance; }));
  f.push_back(route_table("tunnel_exit", tunnels, [](const TunnelData& t) { return t.exit; }));
  f.push_back(route_table("speed_unit_end", units, [](const SpeedUnitData& u) { return u.distance_end; }));

  // The cab picture as the screen shows it: the texts, the trackside signs, the desk's
  // instruments, the labels and the easy-cab window.
  f.push_back(scalar("speed_text", [](const Run& r) { return r.texts.speed_text; }));
  f.push_back(scalar("stop_distance_text", [](const Run& r) { return r.texts.stop_distance_text; }));
  f.push_back(scalar("hint_text", [](const Run& r) { return r.texts.hint_text; }));
  f.push_back(scalar("gradient_shown", [](const Run& r) { return r.overlays.gradient_shown; }));
  f.push_back(scalar("limit_speed_shown", [](const Run& r) { return std::int64_t{r.overlays.limit_speed_shown}; }));
  f.push_back(scalar("limit_image_shown", [](const Run& r) { return std::int64_t{r.overlays.limit_image_shown}; }));
  f.push_back(scalar("limit_blink", [](const Run& r) { return r.overlays.limit_blink; }));
  f.push_back(scalar("limit_end_shown", [](const Run& r) { return r.overlays.limit_end_shown; }));
  f.push_back(scalar("limit_pattern", [](const Run& r) { return std::int64_t{r.overlays.limit_pattern}; }));
  f.push_back(scalar("ammeter_mode", [](const Run& r) { return std::int64_t{r.cab.ammeter_mode}; }));
  for (const auto& [name, get] :
       std::initializer_list<std::pair<const char*, long double (*)(const CabState::NeedleRotations&)>>{
           {"needle_speed", [](const CabState::NeedleRotations& u) { return u.speed; }},
           {"needle_brake", [](const CabState::NeedleRotations& u) { return u.brake; }},
           {"needle_er", [](const CabState::NeedleRotations& u) { return u.er; }},
           {"needle_bp", [](const CabState::NeedleRotations& u) { return u.bp; }},
           {"needle_mr", [](const CabState::NeedleRotations& u) { return u.mr; }},
           {"needle_sap", [](const CabState::NeedleRotations& u) { return u.sap; }},
           {"needle_bc", [](const CabState::NeedleRotations& u) { return u.bc; }},
           {"needle_v", [](const CabState::NeedleRotations& u) { return u.v; }},
           {"needle_i", [](const CabState::NeedleRotations& u) { return u.i; }}})
    f.push_back(scalar(name, [get = get](const Run& r) { return get(r.cab.needle_units); }));
  f.push_back(scalar("ip_l_y", [](const Run& r) { return std::int64_t{r.cab.linear_ip.top}; }));
  f.push_back(scalar("ib_l_y", [](const Run& r) { return std::int64_t{r.cab.linear_ib.top}; }));
  f.push_back(scalar("bc_l_y", [](const Run& r) { return std::int64_t{r.cab.linear_bc.top}; }));
  f.push_back(scalar("mr_l_y", [](const Run& r) { return std::int64_t{r.cab.linear_mr.top}; }));
  f.push_back(scalar("volt_value", [](const Run& r) { return r.cab.volt_value; }));
  f.push_back(scalar("brake_cmd_value", [](const Run& r) { return r.cab.brake_cmd_value; }));
  for (std::size_t k = 0; k < 16; ++k) {
    if (k == 5) continue;  // the window has no Label5
    f.push_back(scalar(label_names[k], [k](const Run& r) { return r.texts.labels[k]; }));
  }
  f.push_back(scalar("easy_cab_visible", [](const Run& r) { return r.texts.easy_cab.visible; }));
  f.push_back(scalar("KN", [](const Run& r) { return r.texts.easy_cab.neutral; }));
  for (std::size_t n = 0; n < 5; ++n)
    f.push_back(scalar(power_shapes[n], [n](const Run& r) { return bool{r.texts.easy_cab.power[n]}; }));
  for (std::size_t n = 0; n < 8; ++n)
    f.push_back(scalar(brake_shapes[n], [n](const Run& r) { return bool{r.texts.easy_cab.brake[n]}; }));
  f.push_back(scalar("easy_cab_status", [](const Run& r) { return r.texts.easy_cab.status; }));

  // The value display's switches, and why its last SU再読込 or jump changed nothing.
  f.push_back(scalar("value_display_visible", [](const Run& r) { return r.value_display.visible; }));
  f.push_back(scalar("speed_hold", [](const Run& r) { return r.value_display.speed_hold; }));
  f.push_back(scalar("value_display_message", [](const Run& r) { return r.value_display.message; }));
  return f;
}

std::string known_names() {
  std::string names = "frame";
  for (const TraceField& field : trace_fields())
    names += ", " + field.name + (field.size ? "[i]" : "");
  return names;
}

const TraceField* find_field(const std::string& name) {
  for (const TraceField& field : trace_fields())
    if (field.name == name) return &field;
  return nullptr;
}

std::string real_text(long double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.9Lf", v);
  std::string s = buffer;
  // Nine places keep the detail; zeros beyond the sixth say nothing.
  const std::size_t dot = s.find('.');
  if (dot != std::string::npos) {
    std::size_t keep = s.size();
    while (keep > dot + 7 && s[keep - 1] == '0') --keep;
    s.resize(keep);
  }
  return s;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

const std::vector<TraceField>& trace_fields() {
  static const std::vector<TraceField> fields = make_fields();
  return fields;
}

std::vector<TraceColumn> parse_trace_columns(const std::string& list) {
  std::vector<TraceColumn> columns;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    const std::string name = list.substr(start, comma - start);
    start = comma + 1;
    if (name.empty()) {
      if (comma == list.size()) break;
      throw TraceFieldError("an empty field name in \"" + list + "\"");
    }
    if (name == "frame") {
      columns.push_back({name, nullptr, 0});
      continue;
    }
    const std::size_t bracket = name.find('[');
    const std::string base = name.substr(0, bracket);
    const TraceField* field = find_field(base);
    if (field == nullptr)
      throw TraceFieldError("unknown field \"" + name + "\"; known fields: " + known_names());
    TraceColumn column{name, field, 0};
    if (field->size) {
      if (bracket == std::string::npos || name.back() != ']' || bracket + 2 >= name.size())
        throw TraceFieldError("\"" + base + "\" is an array: name an element, " + base + "[0]");
      const std::string digits = name.substr(bracket + 1, name.size() - bracket - 2);
      if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
        throw TraceFieldError("\"" + name + "\": the index must be a number");
      column.index = std::stoul(digits);
    } else if (bracket != std::string::npos) {
      throw TraceFieldError("\"" + base + "\" is not an array");
    }
    columns.push_back(column);
  }
  return columns;
}

std::vector<TraceColumn> every_trace_column(const Run& run) {
  std::vector<TraceColumn> columns = {{"frame", nullptr, 0}};
  for (const TraceField& field : trace_fields()) {
    if (!field.size) {
      columns.push_back({field.name, &field, 0});
      continue;
    }
    const std::size_t n = field.size(run);
    for (std::size_t i = 0; i < n; ++i) columns.push_back({field.name + "[" + std::to_string(i) + "]", &field, i});
  }
  return columns;
}

std::string trace_cell(const TraceColumn& column, const Run& run, long long frame) {
  if (column.field == nullptr) return std::to_string(frame);
  if (column.field->size && column.index >= column.field->size(run)) return "";
  const TraceValue value = column.field->get(run, column.index);
  if (const auto* v = std::get_if<long double>(&value)) return real_text(*v);
  if (const auto* v = std::get_if<std::int64_t>(&value)) return std::to_string(*v);
  if (const auto* v = std::get_if<bool>(&value)) return *v ? "1" : "0";
  if (const auto* v = std::get_if<Fixed4>(&value)) return v->to_string() + "00";
  return quoted(std::get<std::string>(value));
}

}  // namespace velmora
