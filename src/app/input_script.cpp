#include "app/input_script.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <sstream>

#include "common/numbers.h"

namespace velmora {
namespace {

bool is_key_name(std::string_view name) {
  if (name.substr(0, 6) == "Shift+") name.remove_prefix(6);
  return key_named(name).has_value();
}

char32_t first_code_point(std::string_view s) {
  const auto byte = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(s[i]));
  };
  if (s.empty()) return 0;
  const char32_t b0 = byte(0);
  if (b0 < 0x80) return b0;
  const std::size_t length = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : 2;
  if (s.size() < length) return 0xFFFD;
  char32_t c = b0 & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (byte(i) & 0x3F);
  return c;
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
    const std::string& verb = words[1];
    c.text = std::string(line.substr(line.find(verb)));
    while (!c.text.empty() && (c.text.back() == ' ' || c.text.back() == '\t')) c.text.pop_back();
    const auto need_args = [&](std::size_t n) {
      if (words.size() != n + 2)
        throw fail("\"" + verb + "\" takes " + std::to_string(n) + " argument" +
                   (n == 1 ? "" : "s"));
    };
    // The text as it stands from `word_at` of the line on, one blank after it dropped.
    const auto rest_after = [&](std::size_t word_at) {
      std::string_view rest = line.substr(word_at);
      if (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t')) rest.remove_prefix(1);
      return std::string(rest);
    };
    const std::size_t after_verb = line.find(verb) + verb.size();

    if (verb == "char") {
      need_args(1);
      const std::optional<char32_t> named = code_point_named(words[2]);
      if (!named && !is_one_character(words[2]) && words[2] != "space")
        throw fail(
            "\"char\" takes one character, \"space\" or U+XXXX (4 to 6 upper-case hex digits)");
      c.command = command::Typed{words[2] == "space" ? U' '
                                 : named             ? *named
                                                     : first_code_point(words[2])};
    } else if (verb == "key" || verb == "keyup") {
      need_args(1);
      if (!is_key_name(words[2])) throw fail("unknown key \"" + words[2] + "\"");
      const bool shift = words[2].rfind("Shift+", 0) == 0;
      const Key key = *key_named(shift ? words[2].substr(6) : words[2]);
      if (verb == "key")
        c.command = command::KeyDown{key, shift};
      else
        c.command = command::KeyUp{key, shift};
    } else if (verb == "hold" || verb == "release") {
      need_args(1);
      if (words[2] != "3" && words[2] != "4" && words[2] != "6")
        throw fail("held keys are 3, 4 and 6");
      c.command = command::Held{number(words[2], line_number), verb == "hold"};
    } else if (verb == "wheel") {
      need_args(1);
      if (words[2] != "up" && words[2] != "down") throw fail("\"wheel\" takes up or down");
      c.command = command::Wheel{words[2] == "up"};
    } else if (verb == "serial") {
      c.command = command::SerialLine{rest_after(after_verb)};
    } else if (verb == "serial_port") {
      need_args(1);
      if (words[2] != "lost" && words[2] != "back")
        throw fail("\"serial_port\" takes lost or back");
      c.command = command::SerialConnection{words[2] == "back"};
    } else if (verb == "pad" && words.size() == 3 && words[2] == "none") {
      c.command = command::ControllerSnapshot{0, 0, 0, false};
    } else if (verb == "pad") {
      need_args(3);
      const command::ControllerSnapshot pad{number(words[2], line_number),
                                            number(words[3], line_number),
                                            number(words[4], line_number)};
      if (pad.x < -32768 || pad.x > 32767 || pad.y < -32768 || pad.y > 32767)
        throw fail("the axes X and Y are -32768 to 32767");
      if (pad.buttons < 0 || pad.buttons > 0xFFFF) throw fail("BUTTONS is 0 to 65535 (16 buttons)");
      c.command = pad;
    } else if (verb == "menu") {
      // Item names may hold blanks ("controller 1"): the words after the verb, one blank apart.
      if (words.size() < 3) throw fail("\"menu\" takes an item name");
      std::string item = words[2];
      for (std::size_t i = 3; i < words.size(); ++i) item += " " + words[i];
      c.command = command::MenuItem{item};
    } else if (verb == "value") {
      if (words.size() < 3)
        throw fail("\"value\" takes su_reload, hold, jump TEXT or stop_channel C R");
      using Which = command::ValueButton::Which;
      command::ValueButton button;
      if (words[2] == "su_reload" || words[2] == "hold") {
        need_args(1);
        button.which = words[2] == "hold" ? Which::hold : Which::su_reload;
      } else if (words[2] == "jump") {
        // What is typed, as it stands after the item: a jump to a bad text is part of what
        // a replay may try.
        button.which = Which::jump;
        button.typed = rest_after(line.find(words[2], after_verb) + words[2].size());
      } else if (words[2] == "stop_channel") {
        need_args(3);
        button.which = Which::stop_channel;
        button.column = number(words[3], line_number);
        button.row = number(words[4], line_number);
        if (button.column < 0 || button.column > 9 || button.row < 0 || button.row > 9)
          throw fail("the channel monitor's columns and rows are 0 to 9");
      } else {
        throw fail("unknown value display item \"" + words[2] +
                   "\" (known: su_reload, hold, jump, stop_channel)");
      }
      c.command = button;
    } else if (verb == "time") {
      // Nanoseconds, as the desktop's clock measured the frame: a replay takes the same steps.
      need_args(1);
      std::size_t used = 0;
      long long ns = -1;
      try {
        ns = std::stoll(words[2], &used);
      } catch (const std::exception&) {
      }
      if (ns < 0 || used != words[2].size())
        throw fail("\"time\" takes the frame's length in nanoseconds");
      c.command = command::FrameTime{ns};
    } else if (verb == "click") {
      need_args(2);
      c.command = command::Click{number(words[2], line_number), number(words[3], line_number)};
    } else if (verb == "station") {
      need_args(1);
      const int index = number(words[2], line_number);
      if (index < 0) throw fail("the station index must not be negative");
      c.command = command::StationJump{index};
    } else {
      throw fail("unknown command \"" + verb +
                 "\" (known: char, key, keyup, hold, release, wheel, serial, serial_port, pad, "
                 "menu, station, value, click, time)");
    }
    commands.push_back(std::move(c));
  }
  std::stable_sort(
      commands.begin(), commands.end(),
      [](const ScriptCommand& a, const ScriptCommand& b) { return a.frame < b.frame; });
  return commands;
}

}  // namespace velmora
