#pragma once
// One drive: the loaded data, every subsystem's state and the platform services it was
// given. A new drive is a new Run, so nothing leaks from one drive into the next.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "app/frame_state.h"
#include "app/menus.h"
#include "app/options.h"
#include "app/run_config.h"
#include "data/mascon_codes.h"
#include "data/panel_data.h"
#include "data/route_data.h"
#include "data/ui_texts.h"
#include "data/vehicle_data.h"
#include "dynamics/load_state.h"
#include "dynamics/train.h"
#include "input/controller_state.h"
#include "input/input_run.h"
#include "input/input_state.h"
#include "platform/cab_screen.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_sink.h"
#include "platform/film_source.h"
#include "platform/game_controller.h"
#include "platform/image_list.h"
#include "platform/keyboard_state.h"
#include "platform/serial_port.h"
#include "platform/settings_store.h"
#include "platform/sound_device.h"
#include "platform/sprite_engine.h"
#include "report/run_log.h"
#include "route/protection_state.h"
#include "route/route_run.h"
#include "route/signal_state.h"
#include "route/station_state.h"
#include "sound/announce_state.h"
#include "sound/call_state.h"
#include "sound/sound_run.h"
#include "sound/sound_state.h"
#include "view/cab_state.h"
#include "view/film_state.h"
#include "view/overlay_state.h"
#include "view/text_state.h"
#include "view/value_display_state.h"
#include "view/view_run.h"

namespace velmora {

struct Services {
  Clock& clock;
  Dialogs& dialogs;
  CabScreen& screen;
  SettingsStore& settings;
  SoundDevice& sound;
  FilmSource& film;
  KeyboardState& keyboard;
  ImageList& images;
  SpriteEngine& sprites;
  EventSink& events;
  GameController& pad;
  SerialPort& serial;
};

struct Run {
  Run(RunConfig config, Services services)
      : config(std::move(config)), platform(services), rng(this->config.seed) {}
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  RunConfig config;
  Services platform;

  // Loaded data: read-only once start-up is over.
  UiTexts ui;
  MasconCodes mascon;
  VehicleData vehicle;
  PanelData panel;
  RouteData route;

  // State, one struct per owner.
  FrameState frame;
  LoadState load;
  Options options;
  MenuState menu;
  Train train;
  FilmState film;
  StationState station;
  ProtectionState protection;
  SignalState signals;
  InputState input;
  ControllerState controllers;
  SoundState sound;
  CallState calls;
  AnnounceState announce;
  OverlayState overlays;
  CabState cab;
  TextState texts;
  ValueDisplayState value_display;
  RunLog run_log;  // what the report after the drive shows: the frame and the overrun correction
                   // write it

  // The one source of randomness that affects the drive.
  std::mt19937_64 rng;

  // Each subsystem's view of this run, built once, after everything it refers to (a view
  // that asks another subsystem refers to that one's view, declared before it). A step of a
  // subsystem called with the run gets its view.
  SoundRun sound_run{*this};
  ViewRun view_run{*this};
  RouteRun route_run{*this};
  InputRun input_run{*this};
  operator const SoundRun&() { return sound_run; }
  operator const ViewRun&() { return view_run; }
  operator const RouteRun&() { return route_run; }
  operator const InputRun&() { return input_run; }
};

}  // namespace velmora
