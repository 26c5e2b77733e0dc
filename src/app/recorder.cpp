#include "app/recorder.h"

#include <cctype>

#include "app/input_script.h"

namespace velmora {
namespace {

std::string key_text(Key key, bool shift) {
  return std::string(shift ? "Shift+" : "") + std::string(script_key_name(key));
}

// Single quotes for the shell when a word holds anything but the safe characters.
std::string shell_word(const std::string& word) {
  bool plain = !word.empty();
  for (char c : word)
    plain = plain && (std::isalnum(static_cast<unsigned char>(c)) ||
                      std::string_view("/._-+:=,").find(c) != std::string_view::npos);
  if (plain) return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string replay_command(const RunConfig& config, const std::filesystem::path& script) {
  const std::filesystem::path vehicle = config.vehicle_dir.empty()
                                            ? std::filesystem::path(config.vehicle_file)
                                            : config.vehicle_dir / config.vehicle_file;
  std::string command = "velmora-sim --data " + shell_word(config.program_dir.string()) +
                        " --route " + shell_word(config.route_file) + " --vehicle " +
                        shell_word(vehicle.string()) + " --seed " + std::to_string(config.seed);
  if (config.first_station != 0)
    command += " --start-station " + std::to_string(config.first_station);
  if (config.last_station != 999)
    command += " --last-station " + std::to_string(config.last_station);
  return command + " --input " + shell_word(script.string());
}

Recorder::Recorder(const std::filesystem::path& file, const RunConfig& config)
    : out_(file, std::ios::trunc) {
  if (!out_) throw RecorderError(file.string() + ": cannot be written");
  out_ << "# A drive recorded in velmora: seed " << config.seed << ", route " << config.route_file
       << ", vehicle " << (config.vehicle_dir / config.vehicle_file).string() << ", data "
       << config.program_dir.string() << "\n"
       << "# Replay: " << replay_command(config, file) << " --frames N\n";
  out_.flush();
  if (!out_) throw RecorderError(file.string() + ": cannot be written");
}

void Recorder::line(long long frame, std::string_view command) {
  if (frame < last_frame_) frame = last_frame_;
  last_frame_ = frame;
  out_ << frame << ' ' << command << '\n';
  out_.flush();
}

void Recorder::typed(long long frame, char32_t ch) { line(frame, "char " + script_char(ch)); }

void Recorder::key_down(long long frame, Key key, bool shift) {
  line(frame, "key " + key_text(key, shift));
}

void Recorder::key_up(long long frame, Key key, bool shift) {
  line(frame, "keyup " + key_text(key, shift));
}

void Recorder::held_key(long long frame, int key, bool down) {
  if (key != 3 && key != 4 && key != 6) throw std::invalid_argument("held keys are 3, 4 and 6");
  line(frame, (down ? "hold " : "release ") + std::to_string(key));
}

void Recorder::wheel(long long frame, bool up) { line(frame, up ? "wheel up" : "wheel down"); }

void Recorder::click(long long frame, int x, int y) {
  line(frame, "click " + std::to_string(x) + " " + std::to_string(y));
}

void Recorder::menu(long long frame, std::string_view item) {
  line(frame, "menu " + std::string(item));
}

void Recorder::station(long long frame, int index) {
  line(frame, "station " + std::to_string(index));
}

void Recorder::serial(long long frame, std::string_view text) {
  line(frame, "serial " + std::string(text.substr(0, text.find_first_of("\r\n"))));
}

void Recorder::pad(long long frame, int x, int y, int buttons) {
  line(frame, "pad " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(buttons));
}

void Recorder::su_reload(long long frame) { line(frame, "value su_reload"); }

void Recorder::speed_hold(long long frame) { line(frame, "value hold"); }

void Recorder::value_jump(long long frame, std::string_view text) {
  line(frame, "value jump " + std::string(text.substr(0, text.find_first_of("\r\n"))));
}

void Recorder::stop_channel(long long frame, int column, int row) {
  line(frame, "value stop_channel " + std::to_string(column) + " " + std::to_string(row));
}

void Recorder::frame_time(long long frame, std::int64_t ns) { line(frame, "time " + std::to_string(ns)); }

void Recorder::command(long long frame, std::string_view text) { line(frame, text); }

void Recorder::finish(long long frames) {
  out_ << "# The drive ended after " << frames << " frames: replay with --frames " << frames
       << "\n";
  out_.flush();
}

}  // namespace velmora
