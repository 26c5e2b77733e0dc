#pragma once
// The run as the route rules see them (stations, signals, train protection, the timetable,
// the preceding train): the state they own, and what they read of the rest, read-only.
// Sounds and pictures are asked of their owners; the writes into another subsystem's state
// that remain are named at their members.

#include <functional>
#include <random>

#include "app/frame_state.h"
#include "app/options.h"
#include "app/run_config.h"
#include "data/panel_data.h"
#include "data/route_data.h"
#include "data/ui_texts.h"
#include "data/vehicle_data.h"
#include "dynamics/train.h"
#include "input/input_state.h"
#include "platform/event_sink.h"
#include "route/protection_state.h"
#include "route/signal_state.h"
#include "route/station_state.h"
#include "sound/sound_run.h"
#include "view/view_run.h"

namespace velmora {

struct Run;

struct RouteServices {
  EventSink& events;
};

struct RouteRun {
  // Built once for each run by the application: the run holds one and hands it to the
  // steps.
  explicit RouteRun(Run& run);

  // Owned.
  StationState& station;
  ProtectionState& protection;
  SignalState& signals;
  RouteServices platform;
  std::mt19937_64& rng;

  // Read.
  const RunConfig& config;
  const UiTexts& ui;
  const VehicleData& vehicle;
  const PanelData& panel;
  const FrameState& frame;
  const Options& options;
  const InputState& input;
  const FilmState& film;
  const ValueDisplayState& value_display;

  // Sounds, pictures and texts are asked of their owners.
  const SoundRun& sounds;
  const ViewRun& view;

  // Asked of the application: the handles' consequences worked out again after the
  // protection or a jump moved them (notches, latches, lamps, the departure call), and the
  // closing fade at the end of the line.
  std::function<void()> masconupdate;
  std::function<void()> start_fade;

  // Written here though owned elsewhere: the protection sets the handles' emergency and
  // brake latches; a station jump places the train, the timetable sets the clock
  // (train.motion.sim_ticks). The signal, traffic-light and speed-check entries of the
  // route data carry their running state.
  Train& train;
  RouteData& route;
};

}  // namespace velmora
