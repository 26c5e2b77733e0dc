#pragma once
// Records a drive's inputs as a velmora-sim input script, so that any drive in the desktop
// program replays headless. Each input is written at once (and flushed): a crash loses
// nothing that came before it.
//
// Every call names the frame the input applies to: the frame about to run, counted from 0
// at the start of the run the way velmora-sim counts its frames. A frame lower than one
// already written is taken as that one, so the script keeps the order of the inputs.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/run.h"
#include "input/keyboard.h"

namespace velmora {

struct RecorderError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The velmora-sim command line that replays a drive of this configuration with the
// script `script` (its --frames left to the caller).
std::string replay_command(const RunConfig& config, const std::filesystem::path& script);

class Recorder {
 public:
  // Creates (or empties) the file and writes the header: seed, data folder, route,
  // vehicle and the command line that replays it. Throws RecorderError when the file
  // cannot be written.
  Recorder(const std::filesystem::path& file, const RunConfig& config);

  // A typed character (the window system's text input).
  void typed(long long frame, char32_t ch);
  // A key press as key_pressed delivers it: with its character for Enter, Escape and
  // Backspace, so that character is not recorded again with typed().
  void key_down(long long frame, Key key, bool shift);
  void key_up(long long frame, Key key, bool shift);
  // The held keys 3, 4 and 6; any other key is a programming error (std::invalid_argument).
  void held_key(long long frame, int key, bool down);
  void wheel(long long frame, bool up);
  void click(long long frame, int x, int y);          // px in the cab window's layout
  void menu(long long frame, std::string_view item);  // start1, OFF2, N3, jump_ats_on, ...
  void station(long long frame, int index);
  void serial(long long frame, std::string_view line);
  void pad(long long frame, int x, int y, int buttons);
  // The value display's buttons.
  void su_reload(long long frame);
  void speed_hold(long long frame);
  // A line break ends what the box holds: the box has one line, and so has a script line.
  void value_jump(long long frame, std::string_view text);
  void stop_channel(long long frame, int column, int row);

  // The frame came `ns` nanoseconds after the one before, by the desktop's clock.
  void frame_time(long long frame, std::int64_t ns);
  // A command the windows carried out, as a script line writes it ("menu kotai_stop").
  void command(long long frame, std::string_view text);

  // The run is over: a last comment with the number of frames to replay.
  void finish(long long frames);

  // False once a write has failed; what was written before stays.
  bool good() const { return out_.good(); }

 private:
  void line(long long frame, std::string_view command);

  std::ofstream out_;
  long long last_frame_ = 0;
};

}  // namespace velmora
