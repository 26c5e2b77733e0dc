#include "view/drive_texts.h"

#include <cmath>
#include <cstdio>

#include "common/rounding.h"
#include "sound/route_sounds.h"
#include "sound/vehicle_sounds.h"
#include "view/view_run.h"

namespace velmora {

namespace {

constexpr std::size_t kHintChars = 998;
constexpr const char* kStallHint =
    "0エンストしました。変速レバーを変速段に入れてエンジンを再始動してください。";

std::string formatted(const char* pattern, long double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, static_cast<double>(value));
  return text;
}

bool flag(const std::vector<bool>& flags, std::size_t i) { return i < flags.size() && flags[i]; }

// At most `n` characters of a UTF-8 text.
std::string first_chars(const std::string& s, std::size_t n) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && chars++ == n) return s.substr(0, i);
  }
  return s;
}

bool caution(int g) {
  for (int p : {8, 11, 14, 19, 23, 27, 31})
    if (g == p) return true;
  return false;
}

int at(long double fraction, int size) {
  return static_cast<int>(round_half_even(fraction * size));
}

}  // namespace

std::string stop_distance_text(long double d) {
  const long double m = d / 100;
  if (std::fabs(d) > 1000) return formatted("%5.0f", m) + " m";
  if (std::fabs(d) <= 500) return formatted("%5.2f", m) + " m";
  return formatted("%5.1f", m) + " m";
}

void start_texts(const ViewRun& run) {
  run.texts = TextState{};
  // The labels' captions until the first route step writes them.
  auto& l = run.texts.labels;
  l[kLabelReverser] = "前進";
  l[kLabelPower] = "P1";
  l[kLabelBrake] = "B1";
  l[kLabelMode] = "変速";
  l[kLabelDoorSide] = "自車ドア";
  l[kLabelClock] = "00:00:00";
  l[kLabelInfo] = "乗降完了";
  l[kLabelSpeed] = "0.0 km/h";
  l[kLabelStopDistance] = "0 m";
  l[kLabelMaxSpeed] = "最高 110 km/h";
  if (run.route.one_man == OneManMode::Conductor)
    run.station.train_info_text = std::to_string(run.vehicle.cars) + run.ui.cars;
}

void drive_texts_step(const ViewRun& run) {
  run.texts.speed_text = formatted("%5.1f", run.train.motion.speed) + " km/h";
  run.texts.stop_distance_text = stop_distance_text(run.train.motion.stop_distance);
}

void easy_cab_step(const ViewRun& run) {
  EasyCab& e = run.texts.easy_cab;
  const HandleState& h = run.train.handles;
  e.neutral = h.power_handle == 0 && h.brake_handle == 0;
  for (std::size_t n = 0; n < e.power.size(); ++n)
    e.power[n] = h.power_handle >= static_cast<int>(n) + 1;
  for (std::size_t n = 0; n < e.brake.size(); ++n)
    e.brake[n] = h.brake_handle <= -(static_cast<int>(n) + 1);
  const StationState& st = run.station;
  e.status = st.door_cmd ? "ドアが開いています" : st.doors_open ? "ドアを閉めています" : "";
}

void caption_step(const ViewRun& run) {
  if (run.texts.caption_set) return;
  run.platform.events.event("window_caption", run.route.line_name);
  run.texts.caption_set = true;
}

std::string compose_hint(const ViewRun& run) {
  const StationState& st = run.station;
  const HandleState& h = run.train.handles;
  const ProtectionState& p = run.protection;
  const auto v = static_cast<int>(round_half_even(run.train.motion.speed));
  std::string result;
  const auto set = [&](int k) { result = "0" + run.ui.info(static_cast<std::size_t>(k)); };

  // 1. At the stations: the end of the run, and the doors of a one-man train.
  const auto& stations = run.route.stations;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const StationData& s = stations[i];
    const bool arrived = flag(st.st_arrived, i);
    if (arrived && !flag(st.st_stop_done, i) && v == 0 &&
        (s.trntype == StopType::NoDoorStop || (s.trntype == StopType::DoorStop && st.doors_open))) {
      const bool last = i + 1 == stations.size() || static_cast<int>(i) == run.config.last_station;
      if (last && !st.run_ended && route_sound_playing(run.sounds, s.arrsound)) set(26);
    }
    if (s.trntype == StopType::DoorStop && arrived && !st.doors_open && v <= 0 &&
        run.route.one_man >= OneManMode::OneMan) {
      const int side = run.input.door_side;
      if (s.person == 0 && side == 1)
        set(8);
      else if (s.person == 1 && side == 0)
        set(9);
      else if (flag(st.st_doors_done, i))
        result = "0";
      else
        set(27);
    }
  }
  // 2.-4. A stop film, protection cut out, the first film stop point.
  if (run.film.movie_state == MovieState::StopFilm && h.power_handle > 0) set(10);
  if (!run.train.engine.ats_enabled && run.options.opt_ats_reg == 0 && h.power_handle > 1) set(22);
  const auto& stops = run.route.movie_stop;
  if (v == 0 && !stops.empty() && stops[0] - 200 < run.film.film_frame &&
      run.film.film_frame <= stops[0])
    set(23);

  // 5. The protection, the vigilance device, the signals and the stop ahead.
  const int av = std::abs(v);
  if (h.ats_eb) {
    if (p.ats_alarm && av > 0) {
      set(12);
    } else if (p.ats_p_state < 2) {
      set(av == 0 ? 13 : 12);
    }
  } else if (h.ats_service) {
    if (p.ats_p_state >= 2) set(av > 0 ? 11 : 14);
  } else if (vehicle_sound_playing(run.sounds, run.vehicle.sound_ats2) && v == 0) {
    set(25);
  } else if (p.ats_alarm && run.train.engine.ats_enabled && run.vehicle.ats_time > 0) {
    set(15);
  } else if (p.eb_timer >= 60001) {
    set(16);
  } else {
    const int g = run.signals.signal_image_now;
    if (caution(g) && v > 55) set(17);
    if ((g == 15 || g == 24) && v > 75) set(18);
    if ((g == 18 || g == 22) && v > 25) set(19);
    const long double d = run.train.motion.stop_distance, speed = run.train.motion.speed;
    if (d > 25000 && d / 100 - 125 < speed / 5 * speed / 3.6L) {
      if (result.empty())
        set(20);
      else
        result += run.ui.info(20);
    }
  }
  // 6. A stalled engine overrides everything.
  if (h.power_handle > 0 && run.train.engine.engine_run == 0 && av == 0) result = kStallHint;
  return result;
}

void hint_step(const ViewRun& run) {
  TextState& t = run.texts;
  t.hint_prev = t.hint_now;
  t.hint_now = compose_hint(run);
  if (t.hint_now == t.hint_prev) return;
  if (t.hint_now.empty()) {
    t.hint_text.clear();
  } else if (t.hint_now[0] == '0') {
    t.hint_text = first_chars(t.hint_now.substr(1), kHintChars);
    // The film picture is drawn again at once, with the new line over it.
    run.film.shown_frame = run.film.film_frame - 1;
  }
}

void label_step(const ViewRun& run) {
  if (run.options.opt_moji != 1) return;
  const HandleState& h = run.train.handles;
  const StationState& st = run.station;
  auto& l = run.texts.labels;
  l[kLabelReverser] = h.reverser_text;
  l[kLabelPower] = h.power_text;
  l[kLabelBrake] = h.brake_text;
  l[kLabelMode] = h.mode_text;
  l[kLabelStation] = st.station_text;
  l[kLabelDoorSide] = run.route.one_man >= OneManMode::OneMan && run.route.one_man_display == 1
                          ? run.input.door_side_text
                          : "";
  l[kLabelClock] = st.clock_text;
  l[kLabelDistance] = run.signals.distance_text;
  l[kLabelInfo] = run.route.one_man == OneManMode::Conductor || !st.train_info_text.empty()
                      ? st.train_info_text
                      : run.signals.signal_info_text;
  l[kLabelProtect] = run.protection.protect_text;
  l[kLabelSpeed] = run.texts.speed_text;
  l[kLabelStopDistance] = run.texts.stop_distance_text;
  l[kLabelThisStation] = st.this_station_text;
  l[kLabelNextStop] = st.next_stop_text;
  l[kLabelMaxSpeed] = st.maxspeed_text + " km/h";
}

void draw_film_texts(const ViewRun& run) {
  CabScreen& screen = run.platform.screen;
  TextState& t = run.texts;
  const int W = run.ui.film_width, H = run.ui.film_height;
  const int shadow = at(0.002L, W);
  const bool film_mode = run.options.opt_moji == 0;
  if (run.options.opt_info_off == 0 && !t.hint_text.empty()) {
    // Centred by the width it had when last drawn, so from its second frame on.
    const int size = at(0.015L, W);
    const int x =
        static_cast<int>(round_half_even(W / 2.0L) - round_half_even(t.hint_width / 2.0L));
    screen.draw_text(x, film_mode ? at(0.05L, H) : at(0.9L, H), t.hint_text, size, shadow);
    t.hint_width = screen.text_width(t.hint_text, size);
  }
  if (!film_mode) return;
  const StationState& st = run.station;
  const HandleState& h = run.train.handles;
  // The speed has its shadow and its letters to itself; the texts after it draw all their
  // shadows first, so no shadow of one covers a letter of another where they overlap.
  screen.end_text_group();
  screen.draw_text(at(0.8L, W), at(0.84L, H), t.speed_text, at(0.02L, W), shadow);
  screen.end_text_group();
  const int size = at(0.017L, W);
  const auto text = [&](long double x, long double y, const std::string& s) {
    if (!s.empty()) screen.draw_text(at(x, W), at(y, H), s, size, shadow);
  };
  text(0.7L, 0.92L, st.maxspeed_text);
  text(0.8L, 0.92L, h.reverser_text);
  text(0.87L, 0.92L, h.power_text);
  text(0.92L, 0.92L, h.brake_text);
  text(0.7L, 0.85L, h.mode_text);
  text(0.7L, 0.78L, run.protection.protect_text);
  text(0.7L, 0.72L, run.protection.protect_text2);
  text(0.01L, 0.8L, st.train_info_text);
  text(0.01L, 0.86L, st.station_text);
  text(0.01L, 0.92L, st.clock_text);
  if (run.route.one_man >= OneManMode::OneMan) text(0.15L, 0.92L, run.input.door_side_text);
  // The optional lines stack upwards from the train information line.
  int y0 = at(0.8L, H);
  for (const std::string* line : {&run.signals.distance_text, &run.signals.signal_info_text}) {
    if (line->empty()) continue;
    y0 -= at(0.06L, H);
    screen.draw_text(at(0.01L, W), y0, *line, size, shadow);
  }
}

}  // namespace velmora
