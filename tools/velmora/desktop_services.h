#pragma once
// The desktop program's platform services on SDL: message boxes, the progress texts of a
// start, the held keys, the run's happenings that change the window (its caption), and the
// keys of the cab window's keyboard commands.

#include <SDL.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "app/device_notices.h"
#include "input/keyboard.h"
#include "platform/dialogs.h"
#include "platform/event_sink.h"
#include "platform/keyboard_state.h"

namespace velmora {

inline constexpr const char* kAppTitle = "Velmora";

class SdlDialogs final : public Dialogs {
 public:
  // Message boxes belong to `parent` (may be null); progress texts go to `on_status`.
  void set_parent(SDL_Window* parent) { parent_ = parent; }
  void set_status_sink(std::function<void(const std::string&)> on_status) {
    on_status_ = std::move(on_status);
  }
  void message(const std::string& text) override;
  void status(const std::string& text) override;
  void caption(const std::string& text) override { start_caption_ = text; }
  // The start / pause item's caption as the run last set it; empty before the first.
  const std::string& start_caption() const { return start_caption_; }
  // Messages are also written to standard error, so a run without a display says why.
  bool quiet = false;  // no boxes (automated runs): standard error only
  // Messages no box could show (a display without message boxes): the window that is open
  // shows them itself (ui/message_window.h).
  std::deque<std::string> unshown;

 private:
  SDL_Window* parent_ = nullptr;
  std::function<void(const std::string&)> on_status_;
  std::string start_caption_;
};

// The held keys as they were when the frame began: what the frame reads is what a recording
// of the drive writes down.
class SdlKeyboard final : public KeyboardState {
 public:
  bool held(HeldKey key) override { return down_[static_cast<int>(key)]; }
  // Reads the keys again; calls `changed(key number 3, 4 or 6, down)` for each that moved.
  void refresh(const std::function<void(int, bool)>& changed);

 private:
  bool down_[3] = {false, false, false};
};

// The route's name becomes the cab window's title, which also says when the run is paused
// and which devices are lost; the rest is for headless replays.
class WindowEvents final : public EventSink {
 public:
  void set_window(SDL_Window* window);
  void event(const std::string& kind, const std::string& detail) override;
  void set_paused(bool paused);
  // Hears the text of each device lost or back (for the drive's recording and the log).
  void set_device_sink(std::function<void(const std::string&)> on_device) {
    on_device_ = std::move(on_device);
  }
  // The devices lost now, for the cab window's status line.
  std::string devices_lost() const { return devices_.standing(); }

 private:
  void show();
  SDL_Window* window_ = nullptr;
  std::string caption_ = kAppTitle;
  bool paused_ = false;
  DeviceNotices devices_;
  std::function<void(const std::string&)> on_device_;
};

inline constexpr const char* kPausedCaption =
    " — 一時停止中（映像をクリックで再開） / paused: click the film to go on";

// Shift as the cab's keys mean it: Shift alone, without Ctrl, Alt or the system key.
bool shift_alone(Uint16 modifiers);

// The cab's command key for an SDL key, if it is one.
std::optional<Key> command_key(SDL_Keycode key);

}  // namespace velmora
