#pragma once
// What the train reads from outside on each pass, and what it tells the others. The run
// builds TrainInputs from the other subsystems' state; sound, the cab panel and the station
// rules read TrainEvents in the same pass.

#include <string_view>
#include <vector>

#include "data/route_data.h"
#include "data/ui_texts.h"
#include "data/vehicle_data.h"
#include "dynamics/load_state.h"

namespace velmora {

struct TrainInputs {
  const VehicleData& vehicle;
  const RouteData& route;         // speed units, slopes, tunnels, friction
  const UiTexts& ui;              // handle and gear texts
  const LoadState& load;          // masses and cylinder limits of this frame
  std::string_view vehicle_file;  // as written in the route file
  long double frame_ms = 0;       // ms since the last frame
  int fps = 0;                    // 1000 / frame_ms, rounded half to even
  long double accel_prev = 0;     // km/h/s from the previous dynamics step's forces
  MovieState movie_state = MovieState::RouteFilm;
  int film_frame = 0;             // film frame on screen
  long double stop_position = 0;  // cm, where the train is to stop
  bool doors_open = false;
  bool auto_run = false;  // the train runs at the film's own speed
  int starter_key = 0;    // 0 none, 1 start, 2 stop held
};

enum class EngineSound { Start, Stop };

struct TrainEvents {
  // masconupdate ran: the cab lamps follow the handles, and power taken with the doors shut
  // may give a stop's departure call.
  bool handles_changed = false;
  bool compressor_started = false;
  bool compressor_stopped = false;
  bool rollback_emergency = false;         // the roll-back protection braked: its alarm sounds
  std::vector<EngineSound> engine_sounds;  // in the order they happen
  bool clock_ticked = false;               // the clock advanced: a stop film moves on one frame
};

}  // namespace velmora
