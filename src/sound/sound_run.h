#pragma once
// The run as the sound steps see it: the sound, call and announcement state they own, the
// sound device, and what they read of the rest, read-only. The few writes into another
// subsystem's state that remain are named at their members.

#include <random>

#include "app/frame_state.h"
#include "app/options.h"
#include "app/run_config.h"
#include "data/route_data.h"
#include "data/vehicle_data.h"
#include "dynamics/load_state.h"
#include "dynamics/train.h"
#include "input/controller_state.h"
#include "input/input_state.h"
#include "platform/dialogs.h"
#include "platform/event_sink.h"
#include "platform/sound_device.h"
#include "route/signal_state.h"
#include "route/station_state.h"
#include "sound/announce_state.h"
#include "sound/call_state.h"
#include "sound/sound_state.h"
#include "view/film_state.h"
#include "view/overlay_state.h"

namespace velmora {

struct Run;

struct SoundServices {
  SoundDevice& sound;
  EventSink& events;
  Dialogs& dialogs;
};

struct SoundRun {
  // Built once for each run by the application: the run holds one and hands it to the
  // steps.
  explicit SoundRun(Run& run);

  // Owned.
  SoundState& sound;
  CallState& calls;
  AnnounceState& announce;
  SoundServices platform;
  std::mt19937_64& rng;

  // Read.
  const RunConfig& config;
  const VehicleData& vehicle;
  const RouteData& route;
  const Train& train;
  const LoadState& load;
  const FrameState& frame;
  const Options& options;
  const FilmState& film;
  const SignalState& signals;
  const ControllerState& controllers;
  const InputState& input;

  // Written here though owned elsewhere: the next announcement's index
  // (station.announce_next) and the crossing lamp and entry texts (overlays).
  StationState& station;
  OverlayState& overlays;
};

}  // namespace velmora
