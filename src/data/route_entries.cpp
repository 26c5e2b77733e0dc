// Route-file lines to records. Fields are cut with get_field, so a field beyond the end
// of a line reads as 0 and an empty field between commas fails its conversion.

#include <string_view>

#include "common/fields.h"
#include "common/numbers.h"
#include "data/route_reader.h"

namespace velmora {

int int_field(const std::string& line, int k) { return to_int(get_field(line, k)); }

std::string over_capacity(const std::string& section, std::size_t capacity) {
  return section + " holds more than " + std::to_string(capacity) + " entries";
}

MovieSwitchData parse_movie_switch(const std::string& line) {
  MovieSwitchData m;
  m.swtype = int_field(line, 1);
  m.Start = int_field(line, 2);
  m.Stop = int_field(line, 3);
  m.name = get_field(line, 4);
  m.endf = int_field(line, 5);
  m.next = int_field(line, 6);
  m.time = int_field(line, 7);
  m.soundf = int_field(line, 8);
  m.sound = int_field(line, 9);
  return m;
}

PreTrainData parse_pre_train(const std::string& line) {
  PreTrainData p;
  p.station = int_field(line, 1);
  p.rate = int_field(line, 2);
  p.departure = int_field(line, 3);
  p.delay_width = int_field(line, 4);
  return p;
}

AnnounceData parse_announce(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3), int_field(line, 4),
          int_field(line, 5)};
}

TrackSoundData parse_track_sound(const std::string& line) {
  TrackSoundData s;
  s.sound = int_field(line, 1);
  s.first_frame = int_field(line, 2);
  s.end_frame = int_field(line, 3);
  s.ref_speed = int_field(line, 4);
  s.mode = int_field(line, 5);
  s.rate_flag = int_field(line, 6);
  s.volume_flag = int_field(line, 7);
  s.pass_flag = int_field(line, 8);
  s.fade_flag = int_field(line, 9);
  return s;
}

StationRangeSoundData parse_station_range_sound(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3)};
}

DopplerData parse_doppler(const std::string& line) {
  DopplerData d;
  d.sound = int_field(line, 1);
  d.frame = int_field(line, 2);
  d.range = int_field(line, 3);
  d.doppler_off = int_field(line, 4);
  d.station = int_field(line, 5);
  return d;
}

TunnelData parse_tunnel(const std::string& line) {
  TunnelData t;
  t.entrance_frame = int_field(line, 1);
  t.exit_frame = int_field(line, 2);
  t.level = int_field(line, 3);
  return t;
}

AttenData parse_atten(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3), int_field(line, 4)};
}

StationData parse_station(const std::string& line) {
  StationData s;
  s.Name = get_field(line, 1);
  s.trntype = static_cast<StopType>(int_field(line, 2));
  s.Start = int_field(line, 3);
  s.genkai = int_field(line, 4);
  s.arrsound = int_field(line, 5);
  s.depsound = int_field(line, 6);
  s.bcksound = int_field(line, 7);
  s.deptime = int_field(line, 8);
  s.maxspeed = int_field(line, 9);
  s.pattern = int_field(line, 10);
  s.door = int_field(line, 11);
  s.prob = int_field(line, 12);
  s.time = int_field(line, 13);
  s.person = int_field(line, 14);
  s.doorprob = int_field(line, 15);
  s.tail = int_field(line, 16);
  s.percent = int_field(line, 17);
  return s;
}

SignalData parse_signal(const std::string& line) {
  SignalData s;
  int k = 1;
  for (int* field : {&s.kind,
                     &s.sub_frame,
                     &s.call_voice,
                     &s.head,
                     &s.show_from,
                     &s.frame,
                     &s.bell_frame,
                     &s.check_frame,
                     &s.fixed_aspect,
                     &s.release_time,
                     &s.set_aspect,
                     &s.station,
                     &s.x,
                     &s.y,
                     &s.left_frame,
                     &s.left_x,
                     &s.left_y,
                     &s.right_frame,
                     &s.right_x,
                     &s.right_y,
                     &s.sub_x,
                     &s.sub_y,
                     &s.extra_frame,
                     &s.left_stop_frame,
                     &s.right_stop_frame})
    *field = int_field(line, k++);
  return s;
}

SignalChainData parse_signal_chain(const std::string& line) {
  // Ten single digits read one by one; the line is not cut at commas. A short line runs
  // out of characters, and the empty text fails like any other non-number.
  SignalChainData c;
  const std::string_view text(line);
  auto digit = [&](std::size_t i) { return to_int(i < text.size() ? text.substr(i, 1) : ""); };
  for (std::size_t k = 0; k < 5; ++k) c.step_a[k] = digit(k);
  for (std::size_t k = 0; k < 5; ++k) c.step_b[k] = digit(5 + k);
  return c;
}

TrafficSignalData parse_traffic_signal(const std::string& line) {
  TrafficSignalData t;
  t.stop_frame = int_field(line, 1);
  t.first_frame = int_field(line, 2);
  t.end_frame = int_field(line, 3);
  int k = 4;
  for (TrafficPhase& p : t.phases) {
    p.image = int_field(line, k++);
    p.length = int_field(line, k++);
    p.permit = int_field(line, k++);
  }
  t.second_frame = int_field(line, 22);
  t.warn_until_frame = int_field(line, 23);
  t.state_stop = int_field(line, 24);
  t.state_go = int_field(line, 25);
  t.no_distance_text = int_field(line, 26);
  // Every light starts in phase 1 with that phase's full length.
  t.phase = 1;
  t.phase_count[0] = t.phases[0].length;
  return t;
}

SlopeData parse_slope(const std::string& line) {
  SlopeData s;
  s.gradient = to_fixed(get_field(line, 1));
  s.from_frame = int_field(line, 2);
  s.end_frame = int_field(line, 3);
  return s;
}

SignData parse_sign(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3), int_field(line, 4)};
}

AnimData parse_anim(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3), int_field(line, 4)};
}

SignalKankoData parse_signal_kanko(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3), int_field(line, 4)};
}

StationKankoData parse_station_kanko(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3)};
}

SpeedCheckData parse_speed_limit(const std::string& line) {
  SpeedCheckData c;
  c.speed = int_field(line, 1);
  c.sign_image = int_field(line, 2);
  c.kind = int_field(line, 3);
  c.from_frame = int_field(line, 4);
  c.to_frame = int_field(line, 5);
  c.end_image = int_field(line, 6);
  return c;
}

SpeedCheckData parse_speed_check1(const std::string& line) {
  SpeedCheckData c;
  c.speed = int_field(line, 1);
  c.speed2 = int_field(line, 2);
  c.from_frame = int_field(line, 3);
  c.signal = int_field(line, 4);
  return c;
}

SpeedCheckData parse_speed_check_range(const std::string& line) {
  SpeedCheckData c;
  c.speed = int_field(line, 1);
  c.speed2 = int_field(line, 2);
  c.from_frame = int_field(line, 3);
  c.to_frame = int_field(line, 4);
  return c;
}

SpeedUnitData parse_speed_unit(const std::string& line) {
  SpeedUnitData u;
  u.first_frame = int_field(line, 1);
  u.last_frame = int_field(line, 2);
  u.speed_first = to_real(get_field(line, 3));
  u.speed_last = to_real(get_field(line, 4));
  // The conversion inside an entry divides by its frame span.
  if (u.first_frame == u.last_frame)
    throw DataError("the entry starts and ends at frame " + std::to_string(u.first_frame) +
                    ": it must span at least one frame");
  return u;
}

CrossData parse_cross(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3), int_field(line, 4),
          int_field(line, 5)};
}

TimeCheckData parse_time_check(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2), int_field(line, 3)};
}

SwitchData parse_switch(const std::string& line) {
  return {int_field(line, 1), int_field(line, 2)};
}

}  // namespace velmora
