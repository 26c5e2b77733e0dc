#include "view/value_display.h"

#include <algorithm>
#include <cstdio>

#include "common/numbers.h"
#include "common/rounding.h"
#include "data/load_failure.h"
#include "data/route_loader.h"
#include "data/route_tables.h"
#include "route/station_table.h"
#include "view/view_run.h"

namespace velmora {
namespace {

using Values = ValueTexts;

// Fixed notation with `decimals` places, no separators. A value that rounds to zero shows
// no sign ("-0.0" would read as a fault).
std::string fixed(long double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*Lf", decimals, value);
  std::string s = text;
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string rounded(long double value) { return std::to_string(round_half_even(value)); }

// A whole or decimal number in its shortest form ("120", "120.5").
std::string shortest(Fixed4 value) {
  std::string s = value.to_string();
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string str(int value) { return std::to_string(value); }

void motion_values(const ViewRun& run, Values& v) {
  const MotionState& m = run.train.motion;
  const TractionState& t = run.train.traction;
  const EngineState& e = run.train.engine;
  v.speed = fixed(m.speed, 1) + " km/h";
  v.accel_net = fixed(t.accel_net, 1) + " km/h/s";
  v.accel_traction = fixed(t.accel_traction, 1) + " km/h/s";
  v.gradient = fixed(m.gradient, 0) + " Permil";
  v.planned_decel = fixed(run.train.brakes.planned_decel, 1) + " km/h/s";
  v.traction_force = fixed(m.traction_force, 0) + " N";
  v.resist_force = fixed(m.resist_force, 0) + " N";
  v.ammeter = rounded(t.ammeter_needle) + " A";
  v.engine_rpm = rounded(e.engine_rpm);
  v.gear = "Gn " + str(e.gear) + " Gp " + str(e.gear_pos);
  v.adhesion = t.slip_text + " " + fixed(t.adhesion, 2) + " " + rounded(t.adh_limit) + "N";
  // The load of the run from the station last left; before the first stop, none.
  const StationData& left = station_at(run.route, run.station.station_index - 1);
  v.load = str(left.percent) + "% " + shortest(run.load.total_mass) + "t";
  v.movie_state = str(static_cast<int>(run.film.movie_state));
}

void brake_values(const ViewRun& run, Values& v) {
  const BrakeState& b = run.train.brakes;
  const HandleState& h = run.train.handles;
  v.bp_press = fixed(b.bp_press, 0) + " kPa";
  v.sap_press = fixed(b.sap_press, 0) + " kPa";
  v.er_press = fixed(b.er_press, 0) + " kPa";
  v.mr_press = fixed(b.mr_press, 0) + " kPa";
  v.fps = str(run.frame.fps);
  v.notches = "P " + str(run.train.traction.current_step) + " " + str(h.power_handle) + " " +
              str(h.power_notch) + " B " + str(b.currentb_row) + " " + str(h.brake_handle) + " " +
              str(h.brake_notch) + " " + str(h.sap_notch) + " " + str(h.ebrake_notch);
  const SoundState& s = run.sound;
  v.sound_counts = "Sound D:" + str(s.vehicle_count) + " L:" + str(s.route_count) +
                   " M:" + str(s.motor_count) + " K:1";
  v.signal_now = "Signal now:" + str(run.signals.signal_image_now) +
                 " now2:" + str(run.signals.signal_image_shown) +
                 " lim_now:" + str(run.protection.signal_speed);
  v.sign_shown = str(run.overlays.sign_shown);
  v.bc_t = fixed(b.bc_t, 0) + "k";
  v.bc_m = fixed(b.bc_m, 0) + "k";
  v.ebrake_current = fixed(b.ebrake_current, 0) + "A";
}

void film_and_stop_values(const ViewRun& run, Values& v) {
  const FilmState& f = run.film;
  const MotionState& m = run.train.motion;
  v.film_frame = str(f.film_frame);
  v.film_speed = fixed(m.film_speed, 1) + "km/h";
  v.switch_frame = str(f.switch_frame);
  v.protection_brake = run.train.handles.ats_eb ? "EB" : run.train.handles.ats_service ? "MAX" : "";
  v.next_stop = fixed(run.station.stop_position / 100, 0) + " m " + str(run.station.zone_station);
  v.stop_distance = fixed(m.stop_distance, 0) + " cm";
  v.position = fixed(m.position_cm / 100, 0) + " m";
}

// A preview record's distance (m) and speed while the driver must brake for it; 999 and 999
// otherwise.
void preview_values(const LimitPreview& p, std::string& distance, std::string& speed) {
  distance = p.due() ? rounded(static_cast<long double>(p.distance) / 100) : "999";
  speed = p.due() ? str(p.speed) : "999";
}

void protection_values(const ViewRun& run, Values& v) {
  const ProtectionState& p = run.protection;
  v.ats_target_distance = rounded((p.ats_target_pos - run.train.motion.position_cm) / 100);
  v.ats_target = str(p.ats_target);
  v.pattern_speed = str(p.pattern_speed);
  preview_values(p.limit_preview[0], v.limit_distance, v.limit_speed);
  preview_values(p.limit_preview[3], v.check_distance, v.check_speed);
  v.pre_train_frame = str(run.signals.pre_train_frame);
}

// Seconds the preceding train's stop at `station` is late by: the delay its [Pre_Train]
// record has accumulated. A station it has no record for shows none.
long long stop_delay_seconds(const RouteData& route, int station) {
  for (const PreTrainData& r : route.pre_train)
    if (r.station == station) return round_half_even(r.delay / 30.0L);
  return 0;
}

void pre_train_place(const ViewRun& run, std::string& place) {
  const RouteData& route = run.route;
  const int frame = run.signals.pre_train_frame;
  const int rate = run.signals.pre_train_rate;
  // Once it has left the line it is nowhere.
  if (frame == 0) {
    place.clear();
    return;
  }
  // Both ends count, so at a station's own frame the later station's range decides; while
  // it runs backwards the place shown last stays.
  for (int i = 0; i < station_count(route); ++i) {
    const StationData& here = station_at(route, i);
    const StationData& next = station_at(route, i + 1);
    if (!(here.tail <= frame && frame <= next.tail)) continue;
    if (rate >= 1)
      place = "(" + here.Name + "～" + next.Name + ")";
    else if (rate == 0)
      place =
          "(" + here.Name + "停車中 " + std::to_string(stop_delay_seconds(route, i)) + "秒遅延)";
  }
}

const char* aspect_name(int aspect) {
  constexpr std::array<const char*, 5> names = {"R", "YY", "Y", "YG", "G"};
  return aspect >= 0 && aspect < 5 ? names[static_cast<std::size_t>(aspect)] : nullptr;
}

// Signal i's section runs from signal i - 1 (exclusive) to signal i (inclusive), as the
// block aspects find the preceding train.
bool in_section(const std::vector<SignalData>& sig, std::size_t i, int frame) {
  return sig[i - 1].frame < frame && frame <= sig[i].frame;
}

void signal_table(const ViewRun& run, std::vector<std::string>& row) {
  const std::vector<SignalData>& sig = run.route.signals;
  row.assign(sig.size(), "-");
  for (std::size_t i = 0; i < sig.size(); ++i) {
    if (sig[i].kind != 0) continue;
    // Aspects past the five named ones have no name: their number stands in.
    const char* name = aspect_name(sig[i].aspect);
    row[i] = name != nullptr ? name : str(sig[i].aspect);
  }
  const int pre = run.signals.pre_train_frame;
  for (std::size_t i = 1; i < sig.size(); ++i) {
    if (pre != 0 && in_section(sig, i, pre)) row[i] = "●" + row[i];
    if (in_section(sig, i, run.film.film_frame)) row[i] = "○" + row[i];
  }
}

void channel_monitor(const ViewRun& run) {
  SoundDevice& device = run.platform.sound;
  for (int channel = 0; channel < kMonitorColumns * kMonitorRows; ++channel) {
    ChannelCell& cell = run.value_display.channels[static_cast<std::size_t>(channel)];
    cell.playing = (device.status(channel) & SoundDevice::kPlaying) != 0;
    cell.volume = cell.playing ? device.volume(channel) : 0;
  }
}

int bar(long double value) {
  return static_cast<int>(std::clamp<std::int64_t>(round_half_even(value), 0, kValueBarMax));
}

// After a new [SpeedUnit] table: the train keeps its film frame, and its place along the
// line and its stop position are measured afresh, so the stop distance stays true.
void remeasure_train(const ViewRun& run) {
  MotionState& m = run.train.motion;
  if (const auto cm = frame_to_distance(run.route, run.film.film_frame, run.ui.film_fps))
    m.position_cm = *cm;
  // The entries may have been renumbered: the next dynamics step finds the train's entry
  // without moving it, as after a station jump.
  m.speedunit_seg = -1;
  const int next = run.station.station_index;
  if (next >= 0 && next < station_count(run.route))
    run.station.stop_position = station_at(run.route, next).position;
  m.stop_distance = run.station.stop_position - m.position_cm;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += (out.empty() ? "" : "\n") + line;
  return out;
}

}  // namespace

void value_display_step(const ViewRun& run) {
  ValueDisplayState& d = run.value_display;
  if (!d.visible) return;
  if (!d.values) d.values.emplace();
  motion_values(run, *d.values);
  brake_values(run, *d.values);
  film_and_stop_values(run, *d.values);
  protection_values(run, *d.values);
  pre_train_place(run, d.values->pre_train_place);
  const BrakeState& b = run.train.brakes;
  d.bars = {bar(b.bc_t), bar(b.bc_m), bar(b.ebrake_current)};
  signal_table(run, d.signal_row);
  channel_monitor(run);
}

void su_reload(const ViewRun& run, RouteData& route) {
  ValueDisplayState& d = run.value_display;
  try {
    RouteData fresh = reread_route(run.route.source.path, run.config.program_dir,
                                   run.config.vehicle_file, run.ui.film_width, run.ui.film_height);
    // Built on a copy, so a table that does not fit leaves the run's tables whole.
    RouteData next = route;
    next.speed_units = std::move(fresh.speed_units);
    next.source = std::move(fresh.source);
    build_route_tables(next, run.ui.film_fps);
    route = std::move(next);
  } catch (const LoadFailure& failure) {
    d.message = joined(failure.messages);
    return;
  }
  d.message.clear();
  remeasure_train(run);
}

void value_jump(const ViewRun& run) {
  ValueDisplayState& d = run.value_display;
  std::string text = d.jump_text;
  text.erase(text.find_last_not_of(" \t") + 1);
  try {
    run.film.film_frame = to_int(text);
  } catch (const ConversionError&) {
    d.message = "jump: \"" + d.jump_text + "\" is not a whole number";
    return;
  }
  d.message.clear();
}

void toggle_speed_hold(const ViewRun& run) {
  run.value_display.speed_hold = !run.value_display.speed_hold;
}

void channel_cell_click(const ViewRun& run, int column, int row) {
  if (column < 0 || column >= kMonitorColumns || row < 0 || row >= kMonitorRows) return;
  run.platform.sound.stop(kMonitorColumns * row + column);
}

void set_value_display_caption(ValueDisplayState& display, std::string_view caption) {
  display.caption = std::string(caption);
}

void value_display_log(ValueDisplayState& display, const std::string& line) {
  display.log.push_back(line);
  while (display.log.size() > kValueLogLines) display.log.pop_front();
}

}  // namespace velmora
