#include "app/driver_command.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "app/menus.h"
#include "app/run.h"
#include "app/startup.h"
#include "app/train_steps.h"
#include "input/serial_mascon.h"
#include "route/station_jump.h"
#include "view/value_display.h"

namespace velmora {
namespace {

// In the order of the Key enumeration.
constexpr std::array<std::string_view, 20> kKeyNames = {
    "Enter", "Escape", "PageUp", "PageDown", "Backspace", "ScrollLock", "Up", "Down", "F1",  "F2",
    "F3",    "F4",     "F5",     "F6",       "F7",        "F8",         "F9", "F10",  "F11", "F12"};

std::string key_text(Key key, bool shift) {
  return std::string(shift ? "Shift+" : "") + std::string(script_key_name(key));
}

std::string utf8_of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

bool is_scalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// A script line holds one line: a line break would end it.
std::string one_line(std::string_view text) {
  return std::string(text.substr(0, text.find_first_of("\r\n")));
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

std::string_view script_key_name(Key key) { return kKeyNames.at(static_cast<std::size_t>(key)); }

std::optional<Key> key_named(std::string_view name) {
  const auto at = std::find(kKeyNames.begin(), kKeyNames.end(), name);
  if (at == kKeyNames.end()) return std::nullopt;
  return static_cast<Key>(at - kKeyNames.begin());
}

std::string script_char(char32_t c) {
  if (c == ' ') return "space";
  if (c > ' ' && c < 0x7F) return std::string(1, static_cast<char>(c));
  // A character no keyboard types still resets the vigilance timer: keep it as U+FFFD.
  if (!is_scalar(c)) c = 0xFFFD;
  // Controls (C0, DEL, C1) would split or end the line, or be lost to its trimming.
  if (c < 0xA0) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(c));
    return hex;
  }
  return utf8_of(c);
}

bool is_device_state(const DriverCommand& command) {
  return std::holds_alternative<command::Held>(command) ||
         std::holds_alternative<command::ControllerSnapshot>(command) ||
         std::holds_alternative<command::FrameTime>(command);
}

std::string script_text(const DriverCommand& command) {
  using namespace velmora::command;
  return std::visit(
      Overloaded{
          [](const Typed& c) { return "char " + script_char(c.ch); },
          [](const KeyDown& c) { return "key " + key_text(c.key, c.shift); },
          [](const KeyUp& c) { return "keyup " + key_text(c.key, c.shift); },
          [](const Held& c) { return (c.down ? "hold " : "release ") + std::to_string(c.key); },
          [](const Wheel& c) { return std::string(c.up ? "wheel up" : "wheel down"); },
          [](const Click& c) { return "click " + std::to_string(c.x) + " " + std::to_string(c.y); },
          [](const MenuItem& c) { return "menu " + one_line(c.item); },
          [](const StationJump& c) { return "station " + std::to_string(c.index); },
          [](const ValueButton& c) {
            switch (c.which) {
              case ValueButton::Which::su_reload:
                return std::string("value su_reload");
              case ValueButton::Which::hold:
                return std::string("value hold");
              case ValueButton::Which::jump:
                return "value jump " + one_line(c.typed);
              case ValueButton::Which::stop_channel:
                break;
            }
            return "value stop_channel " + std::to_string(c.column) + " " + std::to_string(c.row);
          },
          [](const SerialLine& c) { return "serial " + one_line(c.text); },
          [](const SerialConnection& c) {
            return std::string(c.connected ? "serial_port back" : "serial_port lost");
          },
          [](const ControllerSnapshot& c) {
            if (!c.present) return std::string("pad none");
            return "pad " + std::to_string(c.x) + " " + std::to_string(c.y) + " " +
                   std::to_string(c.buttons);
          },
          [](const FrameTime& c) { return "time " + std::to_string(c.ns); },
      },
      command);
}

bool apply(Run& run, const DriverCommand& command) {
  using namespace velmora::command;
  return std::visit(Overloaded{
                        [&](const Typed& c) {
                          AsciiDown(run, c.ch);
                          return true;
                        },
                        [&](const KeyDown& c) {
                          key_pressed(run, c.key, c.shift);
                          return true;
                        },
                        [&](const KeyUp& c) {
                          keyups(run, c.key, c.shift);
                          return true;
                        },
                        [&](const Wheel& c) {
                          if (c.up)
                            WheelU(run);
                          else
                            WheelD(run);
                          return true;
                        },
                        [&](const Click& c) {
                          cab_window_click(run, c.x, c.y);
                          return true;
                        },
                        [&](const MenuItem& c) {
                          // The dialogs' choices count as menu items here: their windows are the
                          // interface's, their actions are the run's.
                          const std::string& item = c.item;
                          if (item == "jump_ats_on" || item == "jump_ats_off")
                            settings_ats_click(run, item == "jump_ats_on");
                          else if (item == "jump_engine_start")
                            jump_engine_start(run);
                          else if (item == "jump_engine_stop")
                            jump_engine_stop(run);
                          else if (item == "kotai_stop") {
                            note_stop_back(run.run_log, run.station.zone_station);
                            kotai_stop_click(run);
                          } else
                            // Items that only open a window (help, train settings) change nothing
                            // in a run; they are accepted so that a recorded drive replays without
                            // warnings.
                            return menu_click(run, item).has_value();
                          return true;
                        },
                        [&](const StationJump& c) {
                          return menu_click(run, "Sta" + std::to_string(c.index)).has_value();
                        },
                        [&](const ValueButton& c) {
                          switch (c.which) {
                            case ValueButton::Which::su_reload:
                              su_reload(run, run.route);
                              break;
                            case ValueButton::Which::hold:
                              toggle_speed_hold(run);
                              break;
                            case ValueButton::Which::jump:
                              run.value_display.jump_text = c.typed;
                              value_jump(run);
                              break;
                            case ValueButton::Which::stop_channel:
                              channel_cell_click(run, c.column, c.row);
                              break;
                          }
                          return true;
                        },
                        [&](const SerialLine& c) {
                          mascon_line(run, c.text);
                          return true;
                        },
                        [&](const SerialConnection& c) {
                          serial_connection(run, c.connected);
                          return true;
                        },
                        [](const Held&) { return false; },
                        [](const ControllerSnapshot&) { return false; },
                        [](const FrameTime&) { return false; },
                    },
                    command);
}

}  // namespace velmora
