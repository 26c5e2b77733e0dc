#include "app/input_script.h"

#include <algorithm>
#include <array>
#include <sstream>

#include "app/startup.h"
#include "common/numbers.h"

namespace velmora {
namespace {

bool is_key_name(std::string_view name) {
  if (name.substr(0, 6) == "Shift+") name.remove_prefix(6);
  static constexpr std::array<std::string_view, 8> plain = {
      "Enter", "Escape", "PageUp", "PageDown", "Backspace", "ScrollLock", "Up", "Down"};
  if (std::find(plain.begin(), plain.end(), name) != plain.end()) return true;
  if (name.size() < 2 || name[0] != 'F') return false;
  try {
    const int n = to_int(name.substr(1));
    return n >= 1 && n <= 12 && name[1] != ' ' && name[1] != '+' && name[1] != '-';
  } catch (const ConversionError&) {
    return false;
  }
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
      c.arg = words[2] == "space" ? " " : words[2];
      if (!is_one_character(c.arg)) throw fail("\"char\" takes one character or \"space\"");
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
      if (c.numbers[2] < 0 || c.numbers[2] > 0xFFFF) throw fail("BUTTONS is 0 to 65535 (16 buttons)");
    } else if (c.verb == "menu") {
      need_args(1);
      c.arg = words[2];
    } else if (c.verb == "station") {
      need_args(1);
      c.numbers = {number(words[2], line_number)};
      if (c.numbers[0] < 0) throw fail("the station index must not be negative");
    } else {
      throw fail("unknown command \"" + c.verb +
                 "\" (known: char, key, keyup, hold, release, wheel, serial, pad, menu, station)");
    }
    commands.push_back(std::move(c));
  }
  std::stable_sort(commands.begin(), commands.end(),
                   [](const ScriptCommand& a, const ScriptCommand& b) { return a.frame < b.frame; });
  return commands;
}

bool apply_script_command(Run& run, const ScriptCommand& command) {
  if (command.verb == "menu" && command.arg == "start1") {
    start1Click(run);
    return true;
  }
  return false;
}

}  // namespace velmora
