#pragma once
// Station stops, doors and the timetable clock: where the train is in the station table,
// the per-station progress of each stop and the texts the displays show. Written only by
// the station rules, the door command and the station jump.

#include <array>
#include <string>
#include <vector>

namespace velmora {

// One hand of the 50 × 50 clock picture, drawn from its centre (25, 25).
struct ClockHand {
  int x = 25, y = 25;  // px, the end of the hand
};

struct StationState {
  int station_index = 0;          // station the train runs to (its next stop)
  long double stop_position = 0;  // cm, where the train is to stop next
  bool doors_open = false;        // open, or still closing
  bool door_cmd = false;          // commanded open; false while closing and when shut
  bool door_lamp_lit = true;      // the door-closed pilot lamp; dark while the doors are open
  int cur_station = 0;     // where the train stands or last departed; +1 whenever the doors close
  int zone_station = 0;    // station whose stop zone the train was last in
  int line_max_speed = 0;  // km/h, maxspeed of the interval the train is in
  int announce_next = 0;   // next [Announce] entry of a one-man train
  int arrival_tick = 0;    // sim_ticks when the arrival (later the departure) sound started
  int door_draw = 0;       // 0..99, drawn on entering a stop zone
  int door_chance = 0;     // doorprob of that station
  bool run_ended = false;  // the end-of-run rule has fired
  // The call made when power is next taken with the doors closed after a stop.
  bool departure_call_armed = false;
  int departure_call_station = 0;

  int teimoku_frame = 0;  // stop-position marker pattern: 0 none, 1..5 distance boards, 10 + i zone
  int monitor_frame = 0;  // [Monitor] picture pattern

  // Per station, sized to the route's table; st_arrived has one more element so that the
  // station after the last can be cleared.
  std::vector<bool> st_arrived;           // inside the stop zone
  std::vector<bool> st_doors_done;        // arrival handled
  std::vector<bool> st_departed;          // departure sound started
  std::vector<bool> st_stop_done;         // stop completed: the doors were closed
  std::vector<bool> st_oneman_called;     // the one-man stop call has been made
  std::vector<bool> st_announce_pending;  // an announcement waits for the doors to open
  std::vector<bool> st_overrun_called;    // the overrun announcement has played

  std::string station_text;       // "ただいま " + name, or the next-station text
  std::string maxspeed_text;      // "最高" + line_max_speed
  std::string clock_text;         // hh:mm:ss
  std::string door_text;          // the status line's door message
  std::string this_station_text;  // station last departed from
  std::string next_stop_text;     // the next stop
  std::string train_info_text;    // the one-man hint while the station rules set it

  int clock_sec_prev = -1;        // seconds digit of the last timecalc; the text changes with it
  bool clock_face_drawn = false;  // the clock picture has been drawn at least once
  std::array<ClockHand, 3> clock_hands{};  // hour, minute, second
};

}  // namespace velmora
