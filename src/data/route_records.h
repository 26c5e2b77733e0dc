#pragma once
// The records of the route file, one per kind of entry. Field names and orders are the
// documented ones where the documents name them. Places are route-film frames; the
// `position` fields are derived from them (centimetres along the line) by
// build_route_tables.

#include <array>
#include <cstdint>
#include <string>

#include "common/fixed4.h"
#include "data/modes.h"

namespace velmora {

// [Station]: one station. Line fields: Name, trntype, Start, genkai, arrsound, depsound,
// bcksound, deptime, maxspeed, pattern, door, prob, time, person, doorprob, tail, percent.
struct StationData {
  StopType trntype = StopType::DoorStop;
  std::string Name;  // station name
  int Start = 0;     // film frame of the stop position
  int genkai = 0;    // cm, stop tolerance
  int arrsound = 0, depsound = 0, bcksound = 0;  // sound numbers
  int deptime = 0;                               // clock ticks (0: none)
  int position = 0;                              // cm, derived stop position
  int position_s = 0, position_e = 0;            // cm, position ∓ genkai
  int maxspeed = 0;                              // km/h to the next station
  int pattern = 0;  // m beyond the stop position where the stop pattern ends
  int door = 0, prob = 0, time = 0, person = 0, doorprob = 0;
  int tail = 0;     // film frame of the preceding train stopped here
  int percent = 0;  // passenger load, percent, for the run to the next station
};

// [MovieSwitch]: a film spliced into the route film or played at a station.
struct MovieSwitchData {
  int swtype = 0;     // 2 stop type (at a station); up to 1 running type
  int Start = 0;      // running type: first route-film frame replaced
  int Stop = 0;       // running type: last route-film frame replaced
  std::string name;   // film base name
  int endf = 0;       // usable frames of the switched film
  int next = 0;       // running type: frame where the route film resumes; stop type: station
  int time = 0;       // stop type: clock ticks after which it may start
  int soundf = 0;     // stop type: switched-film frame at which `sound` starts
  int sound = 0;      // stop type: sound number
};

// [Pre_Train] entries: the preceding train's stops.
struct PreTrainData {
  int station = 0;      // station index where it stops
  int rate = 0;         // km/h, signed: positive forward, negative backward, 0 standing
  int departure = 0;    // clock ticks: the file's time plus `delay`
  int delay_width = 0;  // clock ticks, width of this stop's random delay
  int delay = 0;        // clock ticks, accumulated over the entries so far
};

// [Announce]: index 0 holds only the header's first sound, entries start at 1.
struct AnnounceData {
  int sound = 0;     // sound number
  int kind = 0;      // 0 after departing from `station`, 1 before arriving at it
  int station = 0;   // station index
  int distance = 0;  // m from the station's stop position
  int answer = 0;    // call slot of the conductor's answer (key 4); 0 none
};

// A call voice: [KankoSound1] fills slots 0..21, [KankoSound2] the slots from 22.
struct Kanko {
  int name = 0;          // number the route uses: the [KankoSound2] position, or the slot
  std::string filename;  // relative to the data folder; empty: no voice
};

// [Sound]: a trackside sound tied to a stretch of film.
struct TrackSoundData {
  int sound = 0;        // sound number
  int first_frame = 0;  // film frame
  int end_frame = 0;    // film frame
  int ref_speed = 0;    // km/h, reference speed
  int mode = 0;         // 0 one-shot, >= 1 continuous
  int rate_flag = 0, volume_flag = 0, pass_flag = 0, fade_flag = 0;
};

// [Sound2]: a sound looped from departing one station until the doors open at another.
struct StationRangeSoundData {
  int sound = 0;          // sound number
  int first_station = 0;  // station index
  int end_station = 0;    // station index (exclusive)
};

// [Doppler]: a passing-sound source beside the track.
struct DopplerData {
  int sound = 0;        // sound number
  int frame = 0;        // film frame of the source
  int range = 0;        // cm, heard within this distance
  int doppler_off = 0;  // nonzero: no pitch change
  int station = 0;      // station whose departure enables it (0: always)
  int position = 0;     // cm, derived from `frame`
};

// [Tunnel]
struct TunnelData {
  int entrance_frame = 0, exit_frame = 0;  // film frames
  int level = 0;                           // tunnel sound parameter
  int entrance = 0, exit = 0;              // cm, derived
};

// [Atten]: a stretch where trackside sounds are quieter.
struct AttenData {
  int first_frame = 0, end_frame = 0;  // film frames
  int param = 0;                       // third field
  int factor = 0;                      // hundredths: 50 is half volume
};

// [Signal]: line fields 1..23, then the run-time `aspect` and `image`, then fields 24, 25.
struct SignalData {
  int kind = 0;         // 0 block, 1 held until release_time, 2 fixed, >= 3 departure signal
  int sub_frame = 0;    // picture frame of the small sub-head
  int call_voice = 0;   // [KankoSound2] voice naming this signal
  int head = 0;         // head type 0..9; 0 and -1 are repeaters
  int show_from = 0;    // film frame from which it is drawn
  int frame = 0;        // film frame of the signal (the block boundary)
  int bell_frame = 0;   // film frame of the warning point
  int check_frame = 0;  // film frame of the speed check point
  int fixed_aspect = 0;
  int release_time = 0;  // clock ticks
  int set_aspect = 0;    // nonzero replaces the block aspect
  int station = 0;       // station index (kind >= 3)
  int x = 0, y = 0;      // px, main head, plus the [SignalImageList] offsets
  int left_frame = 0;    // 0: none
  int left_x = 0, left_y = 0;
  int right_frame = 0;  // 0: none
  int right_x = 0, right_y = 0;
  int sub_x = 0, sub_y = 0;
  int extra_frame = 0;       // read, no effect
  int aspect = 0;            // run-time: 0 stop
  int image = 0;             // run-time: picture frame of the main head
  int left_stop_frame = 0;   // left sub-head frame while the main head shows stop (0: same)
  int right_stop_frame = 0;  // likewise for the right sub-head
};

// [Signal2]: the aspect a signal shows for each aspect 0..4 of the signal ahead.
struct SignalChainData {
  std::array<int, 5> step_a{};  // normally
  std::array<int, 5> step_b{};  // while the suppress switch is on
};

// [TrafficSignal]: one phase of a road traffic light.
struct TrafficPhase {
  int image = 0;   // picture frame (kept; the lights are not drawn)
  int length = 0;  // route-step passes
  int permit = 0;  // 1 the train may pass, 0 it must stop
};

struct TrafficSignalData {
  int stop_frame = 0;                    // field 1: film frame of the stop line
  int first_frame = 0;                   // field 2
  int end_frame = 0;                     // field 3
  std::array<TrafficPhase, 6> phases{};  // fields 4..21
  int second_frame = 0;                  // field 22: film frame of the distance-text point
  int warn_until_frame = 0;              // field 23
  int state_stop = 0;                    // field 24: stop-line state while passing is forbidden
  int state_go = 0;                      // field 25: ... while it is permitted
  int no_distance_text = 0;              // field 26: nonzero suppresses the distance text
  std::array<int, 6> phase_count{};      // run-time: passes left in each phase
  int phase = 1;                         // run-time: current phase 1..6
  int stop_position = 0;                 // cm, derived from field 1
  int second_position = 0;               // cm, derived from field 22
};

// [Slope]
struct SlopeData {
  Fixed4 gradient;     // ‰, uphill positive
  int from_frame = 0;  // film frame where it starts
  int end_frame = 0;   // film frame where it ends
};

// [Sign]: a trackside sign over the film.
struct SignData {
  int image = 0;        // pattern of the "img_unten_other" strip
  int first_frame = 0;  // film frames of its stretch
  int end_frame = 0;
  int change_rule = 0;  // 0 never; passes before it changes; >= 1000 also a clock time
};

// [Anim]
struct AnimData {
  int first_frame = 0, end_frame = 0;  // film frames
  int passes_per_step = 0;             // route-step passes per animation step
  int first_image = 0;                 // index into the animation image list
};

// [SignalKanko]: a signal call point.
struct SignalKankoData {
  int signal = 0;    // signal index
  int type = 0;      // 0, 1 or 2
  int value = 0;     // <= 998 call slot, 999 as Enter, >= 1000 a clock time
  int suppress = 0;  // suppress-switch condition
};

// [StationKanko]: a station call.
struct StationKankoData {
  int station = 0;  // station index
  int event = 0;    // moment of the stop, 0..5
  int value = 0;    // as SignalKankoData::value
};

// One record type for [SpeedLimit] and [SpeedCheck1..3]; each table uses some fields.
struct SpeedCheckData {
  int speed = 0;        // km/h
  int speed2 = 0;       // km/h ([SpeedCheck1]: the trip speed)
  int sign_image = 0;   // [SpeedLimit]: limit-sign pattern
  int kind = 0;         // [SpeedLimit]: 1 a pattern check point
  int from_frame = 0;   // film frame
  int to_frame = 0;     // film frame
  int position = 0;     // cm, derived from from_frame
  bool passed = false;  // run-time
  int signal = 0;       // [SpeedCheck1]: applies only while this signal shows stop (>= 1)
  int end_image = 0;    // [SpeedLimit]: pattern shown after to_frame (0 none)
};

// [SpeedUnit]: the filming train's speed, linear in the frame number within an entry.
struct SpeedUnitData {
  int first_frame = 0;
  int last_frame = 0;
  long double speed_first = 0;  // km/h at first_frame
  long double speed_last = 0;   // km/h at last_frame
  int distance_end = 0;         // cm from the start of the line to last_frame, derived
};

// [Cross]: a level crossing.
struct CrossData {
  int image = 0;           // picture frame of the crossing light
  int call = 0;            // call slot
  int announce_frame = 0;  // film frame where it joins the crossing list
  int passed_frame = 0;    // film frame where it leaves it
  int option = 0;          // station condition of the second light
};

// [Time]: a time check.
struct TimeCheckData {
  int first_frame = 0, end_frame = 0;  // film frames
  int scheduled = 0;                   // clock ticks
};

// [Switch]: points the train runs over.
struct SwitchData {
  int frame = 0;        // film frame
  int points_type = 0;  // matched against the vehicle's points sounds
};

// The route event list: places where the protection looks ahead, sorted by position.
struct RouteEvent {
  int position = 0;  // cm
  int target = 0;    // km/h
  int signal = 0;    // signal index
  int station = 0;   // station index
  int kind = 0;      // 2 stop signal, 3 station stop pattern, else the [SpeedLimit] kind
};

// One line of [SignImageList] or [SignalImageList] as read.
struct OverlayPictureLine {
  std::string file;  // relative to the data folder
  int width = 0;     // px ([SignImageList]: the frame size N)
  int height = 0;    // px ([SignalImageList] only)
};

// [Monitor], when it names the vehicle being driven.
struct MonitorData {
  bool present = false;       // the section named this vehicle
  int x = 0, y = 0;           // px
  int width = 0, height = 0;  // px, one pattern
  std::string file;           // empty: no picture
};

}  // namespace velmora
