#pragma once
// The run as the driver's inputs see it (keyboard, mouse wheel, game controllers, the serial
// master controller): the input and controller state they own, the input devices, and what
// they read of the rest, read-only. What a key asks of the route rules, the sounds or the
// view goes through their owners; the writes into another subsystem's state that remain
// are named at their members.

#include <functional>

#include "app/frame_state.h"
#include "data/mascon_codes.h"
#include "data/route_data.h"
#include "data/ui_texts.h"
#include "data/vehicle_data.h"
#include "dynamics/train.h"
#include "input/controller_state.h"
#include "input/input_state.h"
#include "platform/cab_screen.h"
#include "platform/event_sink.h"
#include "platform/game_controller.h"
#include "platform/keyboard_state.h"
#include "route/route_run.h"
#include "sound/sound_run.h"
#include "view/view_run.h"

namespace velmora {

struct Run;

struct InputServices {
  KeyboardState& keyboard;
  GameController& pad;
  CabScreen& screen;
  EventSink& events;
};

struct InputRun {
  // Built once for each run by the application: the run holds one and hands it to the
  // steps.
  explicit InputRun(Run& run);

  // Owned.
  InputState& input;
  ControllerState& controllers;
  InputServices platform;

  // Read.
  const UiTexts& ui;
  const MasconCodes& mascon;
  const VehicleData& vehicle;
  const RouteData& route;
  const FrameState& frame;
  const FilmState& film;
  const StationState& station;
  const ProtectionState& protection;
  const ValueDisplayState& value_display;

  // The route rules, the sounds and the view, asked through their owners.
  const RouteRun& rules;
  const SoundRun& sounds;
  const ViewRun& view;

  // Asked of the application after the handles moved: their consequences (notches,
  // latches, lamps, the departure call), the suppression switch's reset and the gear label.
  std::function<void()> masconupdate;
  std::function<void()> suppression_reset;
  std::function<void()> update_gear_label;

  // Written here though owned elsewhere: the keys and controllers move the train's
  // handles and set their latches, and the clock-and-film keys move its clock. Through the
  // owners' views: any input resets the vigilance device (rules.protection), a serial
  // line is shown in the value display's caption (view.value_display) and the film keys
  // move the film (view.film).
  Train& train;
};

}  // namespace velmora
