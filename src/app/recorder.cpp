#include "app/recorder.h"

#include <algorithm>
#include <cctype>

namespace velmora {
namespace {

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

void Recorder::record(long long frame, const DriverCommand& command) {
  if (frame < last_frame_) frame = last_frame_;
  last_frame_ = frame;
  out_ << frame << ' ' << script_text(command) << '\n';
  out_.flush();
}

void Recorder::note(long long frame, const std::string& text) {
  out_ << "# frame " << std::max(frame, last_frame_) << ": " << text << '\n';
  out_.flush();
}

void Recorder::finish(long long frames) {
  out_ << "# The drive ended after " << frames << " frames: replay with --frames " << frames
       << "\n";
  out_.flush();
}

}  // namespace velmora
