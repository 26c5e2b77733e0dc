#pragma once
// The run as the view sees it: the film, overlay, cab, text and value-display state it
// owns, the drawing services, and what it reads of the rest, read-only. The writes into
// another subsystem's state that remain are named at their members.

#include "app/frame_state.h"
#include "app/options.h"
#include "app/run_config.h"
#include "data/panel_data.h"
#include "data/route_data.h"
#include "data/ui_texts.h"
#include "data/vehicle_data.h"
#include "dynamics/load_state.h"
#include "dynamics/train.h"
#include "input/input_state.h"
#include "platform/cab_screen.h"
#include "platform/dialogs.h"
#include "platform/event_sink.h"
#include "platform/film_source.h"
#include "platform/image_list.h"
#include "platform/sound_device.h"
#include "platform/sprite_engine.h"
#include "route/protection_state.h"
#include "route/signal_state.h"
#include "route/station_state.h"
#include "sound/sound_run.h"
#include "view/cab_state.h"
#include "view/film_state.h"
#include "view/overlay_state.h"
#include "view/text_state.h"
#include "view/value_display_state.h"

namespace velmora {

struct Run;

struct ViewServices {
  CabScreen& screen;
  SpriteEngine& sprites;
  ImageList& images;
  FilmSource& film;
  SoundDevice& sound;  // the channel monitor reads every channel
  EventSink& events;
  Dialogs& dialogs;
};

struct ViewRun {
  // Built once for each run by the application: the run holds one and hands it to the
  // steps.
  explicit ViewRun(Run& run);

  // Owned.
  FilmState& film;
  OverlayState& overlays;
  CabState& cab;
  TextState& texts;
  ValueDisplayState& value_display;
  ViewServices platform;

  // Read.
  const RunConfig& config;
  const UiTexts& ui;
  const VehicleData& vehicle;
  const PanelData& panel;
  const RouteData& route;
  const LoadState& load;
  const FrameState& frame;
  const Options& options;
  const InputState& input;
  const SignalState& signals;
  const ProtectionState& protection;
  const SoundState& sound;
  const CallState& calls;
  const AnnounceState& announce;

  // Sounds are played through their owner.
  const SoundRun& sounds;

  // Written here though owned elsewhere: a stop film halts the train (speed, power handle)
  // and places it at the station; a new [SpeedUnit] table measures its place and stop
  // position afresh; the start of a run sets the one-man hint (station.train_info_text).
  Train& train;
  StationState& station;
};

}  // namespace velmora
