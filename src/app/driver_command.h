#pragma once
// Everything a driver does to a run, as one type. The desktop's window events, the
// interface's windows, the controllers and input scripts all become DriverCommands; one
// function applies them, and the recorder writes each one as `apply` received it, so a
// recorded drive replays by construction.
//
// A command's script text is the line an input script holds after the frame number (see
// app/input_script.h): "char a", "key Shift+F2", "menu start1", "value jump 12.5".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "input/keyboard.h"

namespace velmora {

struct Run;

namespace command {

struct Typed {  // a typed character
  char32_t ch = 0;
};
struct KeyDown {  // a command key pressed
  Key key{};
  bool shift = false;
};
struct KeyUp {  // a command key released
  Key key{};
  bool shift = false;
};
struct Held {  // the held keys 3, 4 and 6, pressed (true) or let go
  int key = 3;
  bool down = false;
};
struct Wheel {  // a mouse-wheel notch
  bool up = false;
};
struct Click {  // a left click on the cab window, px in its layout
  int x = 0;
  int y = 0;
};
struct MenuItem {  // a menu item or a dialog's choice by name: start1, N3, jump_ats_on, kotai_stop
  std::string item;
};
struct StationJump {  // the station-jump menu's station, by index
  int index = 0;
};
struct ValueButton {  // the value display's buttons
  enum class Which { su_reload, hold, jump, stop_channel };
  Which which = Which::su_reload;
  std::string typed;  // jump: the box's text, one line
  int column = 0;     // stop_channel: the channel monitor's cell, 0..9 each
  int row = 0;
};
struct SerialLine {  // one line from the serial master controller, without its line end
  std::string text;
};
struct SerialConnection {  // the master controller's port lost (unplugged) or back again
  bool connected = false;
};
struct ControllerSnapshot {  // the train controller's raw axes and button bits
  int x = 0;
  int y = 0;
  int buttons = 0;
  bool present = true;  // false: no controller plugged in ("pad none")
};
struct FrameTime {  // the frame came this long after the one before, by the desktop's clock
  std::int64_t ns = 0;
};

}  // namespace command

using DriverCommand =
    std::variant<command::Typed, command::KeyDown, command::KeyUp, command::Held, command::Wheel,
                 command::Click, command::MenuItem, command::StationJump, command::ValueButton,
                 command::SerialLine, command::SerialConnection, command::ControllerSnapshot,
                 command::FrameTime>;

// Applies a command to the run. Held keys, controller snapshots and frame times are the
// state of devices (keyboard, controller, clock) that whoever owns them sets; for them,
// and for a command nothing in this build acts on, it returns false.
bool apply(Run& run, const DriverCommand& command);

// The held keys, controller snapshots and frame times: set on devices, not applied.
bool is_device_state(const DriverCommand& command);

// The command as an input script writes it after the frame number.
std::string script_text(const DriverCommand& command);

// A command key's name as scripts write it (without "Shift+"); and back.
std::string_view script_key_name(Key key);
std::optional<Key> key_named(std::string_view name);

// A typed character as "char" writes it: itself, "space", or U+XXXX for the controls.
std::string script_char(char32_t c);

}  // namespace velmora
