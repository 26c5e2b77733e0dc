#pragma once
// Scripted desktop events for automated runs (--automate FILE): at given seconds after the
// program started, a click, a key or typed text is put into SDL's event queue, so it takes
// the same way as the user's own input. One event a line: "SECONDS click X Y [right]",
// "SECONDS key NAME" (an SDL key name such as F3, Return, Page Up), "SECONDS text CHARS",
// "SECONDS close" (the window's close box). "#" starts a comment.

#include <SDL.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

struct AutomationEvent {
  double at = 0;  // s
  std::string verb;
  int x = 0, y = 0;
  bool right = false;
  SDL_Keycode key = SDLK_UNKNOWN;
  std::string text;
};

class Automation {
 public:
  Automation() : started_(std::chrono::steady_clock::now()) {}
  // Seconds since the program started.
  double seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count(); }
  // Pictures of the window every `every` s into `folder` as velmora-NNNN.png; 0: none.
  void screenshots(const std::filesystem::path& folder, double every) { shot_dir_ = folder, shot_every_ = every; }
  // The file for the next picture when one is due now; empty otherwise.
  std::filesystem::path screenshot_due();

  // Reads the file; false with the reason (file and line) in `error`.
  bool load(const std::filesystem::path& file, std::string& error);
  // Puts every event that is due at `seconds` into the queue, addressed to `window` (its
  // pointer events in the window's own px).
  void pump(double seconds, SDL_Window* window);
  bool active() const { return !events_.empty(); }

 private:
  std::chrono::steady_clock::time_point started_;
  std::vector<AutomationEvent> events_;
  std::size_t next_ = 0;
  std::filesystem::path shot_dir_;
  double shot_every_ = 0, next_shot_ = 0;
  int shots_ = 0;
};

}  // namespace velmora
