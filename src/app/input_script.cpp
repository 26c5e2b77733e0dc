#include "app/input_script.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <sstream>

#include "app/menus.h"
#include "app/startup.h"
#include "app/train_steps.h"
#include "common/numbers.h"
#include "input/keyboard.h"
#include "input/serial_mascon.h"
#include "route/station_jump.h"
#include "view/value_display.h"

namespace velmora {
namespace {

constexpr std::array<std::string_view, 20> kKeyNames = {
    "Enter", "Escape", "PageUp", "PageDown", "Backspace", "ScrollLock", "Up", "Down", "F1", "F2",
    "F3",    "F4",     "F5",     "F6",       "F7",        "F8",         "F9", "F10",  "F11", "F12"};

bool is_key_name(std::string_view name) {
  if (name.substr(0, 6) == "Shift+") name.remove_prefix(6);
  return std::find(kKeyNames.begin(), kKeyNames.end(), name) != kKeyNames.end();
}

// Names in the order of the Key enumeration.
Key key_named(std::string_view name) {
  const auto at = std::find(kKeyNames.begin(), kKeyNames.end(), name);
  return static_cast<Key>(at - kKeyNames.begin());
}

char32_t first_code_point(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(s[i])); };
  if (s.empty()) return 0;
  const char32_t b0 = byte(0);
  if (b0 < 0x80) return b0;
  const std::size_t length = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : 2;
  if (s.size() < length) return 0xFFFD;
  char32_t c = b0 & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (byte(i) & 0x3F);
  return c;
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

// "U+XXXX": a character by its code point, for those a script line cannot hold as they are.
std::optional<char32_t> code_point_named(std::string_view word) {
  if (word.size() < 6 || word.size() > 8 || word.substr(0, 2) != "U+") return std::nullopt;
  char32_t c = 0;
  for (char h : word.substr(2)) {
    const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
    if (digit < 0) return std::nullopt;
    c = c * 16 + static_cast<char32_t>(digit);
  }
  if (!is_scalar(c)) return std::nullopt;
  return c;
}

// One UTF-8 character.
bool is_one_character(std::string_view s) {
  if (s.empty()) return false;
  std::size_t i = 1;
  while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  return i == s.size();
}

std::vector<std::string> words_of(std::string_view line) {
  std::istringstream in{std::string(line)};
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

int number(const std::string& text, int line) {
  try {
    return to_int(text);
  } catch (const ConversionError& e) {
    throw ScriptError("line " + std::to_string(line) + ": " + e.what());
  }
}

}  // namespace

std::string_view script_key_name(Key key) { return kKeyNames.at(static_cast<std::size_t>(key)); }

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

std::vector<ScriptCommand> parse_input_script(std::string_view text) {
  std::vector<ScriptCommand> commands;
  int line_number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string> words = words_of(line);
    if (words.empty() || words[0][0] == '#') continue;

    const auto fail = [&](const std::string& why) -> ScriptError {
      return ScriptError("line " + std::to_string(line_number) + ": " + why);
    };
    if (words.size() < 2) throw fail("expected \"FRAME COMMAND ARGS\"");
    ScriptCommand c;
    c.line = line_number;
    const int frame = number(words[0], line_number);
    if (frame < 0) throw fail("the frame must not be negative");
    c.frame = frame;
    c.verb = words[1];
    c.text = std::string(line.substr(line.find(words[1])));
    while (!c.text.empty() && (c.text.back() == ' ' || c.text.back() == '\t')) c.text.pop_back();
    const auto need_args = [&](std::size_t n) {
      if (words.size() != n + 2)
        throw fail("\"" + c.verb + "\" takes " + std::to_string(n) + " argument" +
                   (n == 1 ? "" : "s"));
    };

    if (c.verb == "char") {
      need_args(1);
      const std::optional<char32_t> named = code_point_named(words[2]);
      c.arg = words[2] == "space" ? " " : named ? utf8_of(*named) : words[2];
      if (!is_one_character(c.arg))
        throw fail("\"char\" takes one character, \"space\" or U+XXXX (4 to 6 upper-case hex digits)");
    } else if (c.verb == "key" || c.verb == "keyup") {
      need_args(1);
      if (!is_key_name(words[2])) throw fail("unknown key \"" + words[2] + "\"");
      c.arg = words[2];
    } else if (c.verb == "hold" || c.verb == "release") {
      need_args(1);
      if (words[2] != "3" && words[2] != "4" && words[2] != "6")
        throw fail("held keys are 3, 4 and 6");
      c.arg = words[2];
      c.numbers = {number(words[2], line_number)};
    } else if (c.verb == "wheel") {
      need_args(1);
      if (words[2] != "up" && words[2] != "down") throw fail("\"wheel\" takes up or down");
      c.arg = words[2];
    } else if (c.verb == "serial") {
      // The received text as it stands after the verb, blanks included.
      std::string_view rest = line.substr(line.find(words[1]) + words[1].size());
      if (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t')) rest.remove_prefix(1);
      c.arg = std::string(rest);
    } else if (c.verb == "pad") {
      need_args(3);
      c.numbers = {number(words[2], line_number), number(words[3], line_number),
                   number(words[4], line_number)};
      for (int axis = 0; axis < 2; ++axis)
        if (c.numbers[static_cast<std::size_t>(axis)] < -32768 || c.numbers[static_cast<std::size_t>(axis)] > 32767)
          throw fail("the axes X and Y are -32768 to 32767");
      if (c.numbers[2] < 0 || c.numbers[2] > 0xFFFF) throw fail("BUTTONS is 0 to 65535 (16 buttons)");
    } else if (c.verb == "menu") {
      // Item names may hold blanks ("controller 1"): the words after the verb, one blank apart.
      if (words.size() < 3) throw fail("\"menu\" takes an item name");
      c.arg = words[2];
      for (std::size_t i = 3; i < words.size(); ++i) c.arg += " " + words[i];
    } else if (c.verb == "value") {
      if (words.size() < 3) throw fail("\"value\" takes su_reload, hold, jump TEXT or stop_channel C R");
      c.arg = words[2];
      if (c.arg == "su_reload" || c.arg == "hold") {
        need_args(1);
      } else if (c.arg == "jump") {
        // What is typed, as it stands after the item: a jump to a bad text is part of what
        // a replay may try.
        const std::size_t item = line.find(words[2], line.find(words[1]) + words[1].size());
        std::string_view rest = line.substr(item + words[2].size());
        if (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t')) rest.remove_prefix(1);
        c.typed = std::string(rest);
      } else if (c.arg == "stop_channel") {
        need_args(3);
        c.numbers = {number(words[3], line_number), number(words[4], line_number)};
        if (c.numbers[0] < 0 || c.numbers[0] > 9 || c.numbers[1] < 0 || c.numbers[1] > 9)
          throw fail("the channel monitor's columns and rows are 0 to 9");
      } else {
        throw fail("unknown value display item \"" + c.arg + "\" (known: su_reload, hold, jump, stop_channel)");
      }
    } else if (c.verb == "time") {
      // Nanoseconds, as the desktop's clock measured the frame: a replay takes the same steps.
      need_args(1);
      std::size_t used = 0;
      long long ns = -1;
      try {
        ns = std::stoll(words[2], &used);
      } catch (const std::exception&) {
      }
      if (ns < 0 || used != words[2].size()) throw fail("\"time\" takes the frame's length in nanoseconds");
      c.ns = ns;
    } else if (c.verb == "click") {
      need_args(2);
      c.numbers = {number(words[2], line_number), number(words[3], line_number)};
    } else if (c.verb == "station") {
      need_args(1);
      c.numbers = {number(words[2], line_number)};
      if (c.numbers[0] < 0) throw fail("the station index must not be negative");
    } else {
      throw fail("unknown command \"" + c.verb +
                 "\" (known: char, key, keyup, hold, release, wheel, serial, pad, menu, station, value, click, time)");
    }
    commands.push_back(std::move(c));
  }
  std::stable_sort(commands.begin(), commands.end(),
                   [](const ScriptCommand& a, const ScriptCommand& b) { return a.frame < b.frame; });
  return commands;
}

bool apply_script_command(Run& run, const ScriptCommand& command) {
  const std::string& verb = command.verb;
  if (verb == "char") {
    AsciiDown(run, first_code_point(command.arg));
    return true;
  }
  if (verb == "key" || verb == "keyup") {
    const bool shift = command.arg.rfind("Shift+", 0) == 0;
    const Key key = key_named(shift ? command.arg.substr(6) : command.arg);
    if (verb == "key")
      key_pressed(run, key, shift);
    else
      keyups(run, key, shift);
    return true;
  }
  if (verb == "click") {
    cab_window_click(run, command.numbers.at(0), command.numbers.at(1));
    return true;
  }
  if (verb == "wheel") {
    if (command.arg == "up")
      WheelU(run);
    else
      WheelD(run);
    return true;
  }
  if (verb == "menu") {
    // The dialogs' choices count as menu items here: their windows are the desktop
    // program's, their actions are the run's.
    const std::string& item = command.arg;
    if (item == "jump_ats_on" || item == "jump_ats_off")
      settings_ats_click(run, item == "jump_ats_on");
    else if (item == "jump_engine_start")
      jump_engine_start(run);
    else if (item == "jump_engine_stop")
      jump_engine_stop(run);
    else if (item == "kotai_stop")
      kotai_stop_click(run);
    else
      // Items that only open a window (help, train settings) change nothing in a run;
      // they are accepted so that a recorded drive replays without warnings.
      return menu_click(run, item).has_value();
    return true;
  }
  if (verb == "value") {
    if (command.arg == "su_reload") {
      su_reload(run);
    } else if (command.arg == "hold") {
      toggle_speed_hold(run);
    } else if (command.arg == "jump") {
      run.value_display.jump_text = command.typed;
      value_jump(run);
    } else {
      channel_cell_click(run, command.numbers.at(0), command.numbers.at(1));
    }
    return true;
  }
  if (verb == "serial") {
    RxChar(run, command.arg + "\r");
    return true;
  }
  if (verb == "station") return menu_click(run, "Sta" + std::to_string(command.numbers.at(0))).has_value();
  return false;
}

}  // namespace velmora
