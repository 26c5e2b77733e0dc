#pragma once
// Scripts of input for a headless drive: one command per line, "FRAME COMMAND ARGS",
// applied before that frame. "#" starts a comment line.
//
//   char C            a typed character ("space" for a blank, U+XXXX by its code point)
//   key NAME          a key pressed: Enter, Escape, PageUp, PageDown, Backspace,
//   keyup NAME          ScrollLock, Up, Down, F1..F12, each optionally "Shift+NAME"
//   hold K / release K   a held key: 3, 4 or 6
//   wheel up|down     a mouse-wheel notch
//   serial TEXT       a line from the serial master controller: TEXT (the rest of the
//                     line, blanks included) is received followed by a carriage return, so
//                     one command is one complete line, as a recorded drive writes it
//   serial_port lost|back   the master controller's port was lost (power goes to notch 0)
//                     or is back
//   pad X Y BUTTONS   a game-controller snapshot: raw axes (-32768..32767, before the dead
//                     zone) and the button bits; the controller reads so until the next
//                     one. "pad none": the controller was pulled out. Like hold, release
//                     and time, it is a device's state: velmora-sim sets its fake
//                     controller, `apply` does not act on it
//   menu ITEM         a menu item by name, as the desktop menu chooses it (app/menus.h):
//                     start1 (start / pause), Sta<N> (a station jump), the Display menu's
//                     menu_d1, D1, N3, OFF1, OFF2, P1, OFFV1, OFFC1 (menu_d1 and P1 only
//                     open windows: no effect here), the Controller menu's "controller N"
//                     (N = 0..3, the controller type), "controller debug", "serial
//                     settings" and "serial connect" (the last two are the desktop's:
//                     no effect here); and the train-settings dialog's
//                     jump_ats_on, jump_ats_off, jump_engine_start, jump_engine_stop, the
//                     overrun dialog's kotai_stop
//   station N         the station-jump menu, station index N (only stations it lists)
//   click X Y         a left click on the cab window at (X, Y) px: the back button ends the
//                     run, the cab surface starts a paused run
//   time NS           this frame came NS nanoseconds after the last one (the desktop's real
//                     clock, recorded so that a replay takes the same steps); velmora-sim
//                     applies it to its fake clock
//   value ITEM        the value display's buttons, shown or not: su_reload (SU再読込),
//                     hold (抵抗解除), jump TEXT (TEXT, the rest of the line, typed into the
//                     box, then jump), stop_channel C R (a click on the channel monitor's
//                     cell of column C and row R, 0..9: stops channel 10 R + C)

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/driver_command.h"

namespace velmora {

struct ScriptCommand {
  long long frame = 0;
  int line = 0;      // line number in the script, for messages
  std::string text;  // the command as written after the frame, for messages
  DriverCommand command;
};

struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Parses a whole script; the commands come back ordered by frame, in file order within a
// frame. Throws ScriptError "line N: ..." at the first bad line.
std::vector<ScriptCommand> parse_input_script(std::string_view text);

}  // namespace velmora
