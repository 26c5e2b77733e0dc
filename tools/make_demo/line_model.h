#pragma once
// The procedural line behind one demo route: what the route designer asked for (stations,
// speeds, limits, gradients, curves, tunnels, crossings, signals, signs), the filming
// train's speed profile built from it, and the film frame of every place. The film, the
// route file's [SpeedUnit] table and every frame written in the route file come from this
// one model, so the picture, the distances and the overlays agree.

#include <cstdint>
#include <string>
#include <vector>

#include "data/route_data.h"

namespace velmora::demo {

constexpr int kFilmFps = 30;

// A place given relative to a station's stop position: the designer thinks in "300 m
// after station 1", the builder turns it into metres from the start of the line.
struct Anchor {
  int station = 0;
  double offset_m = 0;  // m, positive: beyond the station in the running direction
};

// How the film shows a station.
enum class StationLook {
  plain,     // one platform with a roof in its middle
  terminal,  // platforms on both lines under a train shed, headshunts with buffer stops
  through,   // a platform on each line and a footbridge across
  halt,      // a short, low platform with a shelter, in the fields
};

struct StationDesign {
  std::string name;     // shown on the platform boards and in the texts
  std::string reading;  // the name in kana, for the voices
  StopType type = StopType::DoorStop;  // DoorStop or Pass
  double gap_m = 0;     // m from the previous station's stop position (0 for the first)
  int cruise_kmh = 0;   // filming speed on the way to the next station
  int maxspeed_kmh = 0; // the line's maximum speed from here to the next station
  int dwell_s = 25;     // s the timetable allows for the stop
  bool platform_right = false;  // platform on the right of the train (default left)
  StationLook look = StationLook::plain;
};

struct LimitDesign {
  Anchor from, to;  // the restricted stretch
  int kmh = 0;
};

struct StretchDesign {
  Anchor from, to;
  double value = 0;  // gradient: per mille, uphill positive; curve: 1/m, right positive
};

enum class SignalRole { departure, block, home, repeater };

struct SignalDesign {
  Anchor at;
  SignalRole role = SignalRole::block;
  int head = 6;       // picture-table row (route file field 4)
  int station = 0;    // the station a departure signal belongs to
  std::string chain;  // [Signal2]: ten digits
  int call_voice = 0; // [KankoSound2] voice that names the signal
  int left_frame = 0; // left sub-head picture (0: none)
  int sub_frame = 0;  // small sub-head picture
};

struct SignDesign {
  Anchor at;          // where the sign stands
  double shown_m = 0; // m before it from which the overlay shows it
  int picture = 1;    // [Sign] picture frame of img_unten_other
  int rule = 0;       // [Sign] change rule
  std::string text;   // what the sign says in the film
};

struct PointDesign {
  Anchor at;
  int kind = 0;  // a crossing: [Cross] light picture; points: [Switch] type
  int station_option = 0;  // a crossing near a station: light 2 until it departs
};

struct RouteDesign {
  std::string key;          // "exp": names its files and folders
  std::string route_file;   // line_exp.dat
  std::string vehicle_file; // train_85.dat
  std::string line_name;    // [LineName]
  std::string line_name_en; // [LineName2]
  std::uint32_t seed = 1;   // the scenery's fixed seed
  bool electrified = true;
  bool double_track = true;
  OneManMode one_man = OneManMode::Conductor;
  int cars = 6;
  double car_length_m = 20;
  double accel = 2.5;     // km/h/s, the filming train
  double decel = 3.0;     // km/h/s
  int stand_frames = 150; // frames the camera stands at each stop
  int end_frames = 240;   // frames after the terminus stop
  int first_departure = 1080000;  // ticks: the first station's departure time
  std::vector<StationDesign> stations;
  std::vector<LimitDesign> limits;
  std::vector<StretchDesign> slopes;
  std::vector<StretchDesign> curves;
  std::vector<StretchDesign> tunnels;
  std::vector<StretchDesign> bridges;
  std::vector<PointDesign> crossings;
  std::vector<PointDesign> switches;
  std::vector<SignalDesign> signals;
  std::vector<SignDesign> signs;
  std::vector<Anchor> doppler;  // trackside passing-sound sources
  std::vector<Anchor> towns;    // centres of built-up stretches
};

// One built stretch in metres from the start of the line.
struct Stretch {
  double from_m = 0, to_m = 0;
  double value = 0;
};

struct BuiltStation {
  double at_m = 0;      // stop position
  int frame = 0;        // route-film frame of the stop (first standing frame; the pass frame)
  int stand_to = 0;     // last standing frame
  int departure = 0;    // timetable departure, ticks (0 for the last station)
  int arrival = 0;      // when the filming train stood here, ticks
};

struct LineModel {
  RouteDesign design;
  bool short_mode = false;
  std::vector<SpeedUnitData> units;  // the filming train's profile, with distance_end
  std::vector<BuiltStation> stations;
  std::vector<Stretch> limits, slopes, curves, tunnels, bridges;
  int frame_count = 0;  // frames of the route film
  double length_m = 0;  // m from the start to the terminus stop

  // m along the line of the camera at a frame (the route tables' own conversion).
  double at_frame(int frame) const;
  // The first frame at which the camera has reached `metres`.
  int frame_at(double metres) const;
  // km/h of the camera at a frame.
  double speed_at_frame(int frame) const;
  // Metres from the start of an anchored place.
  double place(const Anchor& a) const;
  // Value of the stretch list at a place (0 where none holds).
  static double value_at(const std::vector<Stretch>& list, double metres);
  // Seconds of film from frame a to frame b.
  static double seconds(int a, int b) { return static_cast<double>(b - a) / kFilmFps; }

  std::vector<double> frame_metres_;  // at_frame for every frame, cached
};

// Builds the profile, the stations' frames and times and the stretches of a design.
LineModel build_line(const RouteDesign& design, bool short_mode);

}  // namespace velmora::demo
