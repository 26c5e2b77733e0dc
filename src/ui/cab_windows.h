#pragma once
// The small windows inside the cab window, drawn with Dear ImGui between a frame's start and
// its end: the value display (F3), the easy-cab window, the train-settings dialog and the
// overrun dialog. They show the run's state and act only through the run's own commands;
// what the easy-cab buttons post is handed to the cab window's key handler afterwards.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <imgui.h>

#include "app/driver_command.h"
#include "ui/client_window.h"

namespace velmora {

struct Run;

struct CabWindows {
  bool train_settings = false;  // the menu's "列車設定(&P)"
  bool overrun = false;         // offered when the train stands beyond a stop zone
  int engine_choice = 1;        // the train-settings dialog's 始動 / 運転 / 切
  bool settings_shown = false;  // the dialog was open last frame: its ATS choice is read on opening
  std::size_t overruns_seen = 0;
  // What the driver did in the windows and the menu bar this frame, in order: the caller
  // applies each (and records it) once the windows are drawn, then empties it.
  std::vector<DriverCommand> commands;
  // Where each window's client area was drawn this frame (its top-left corner).
  ImVec2 value_origin{}, easy_cab_origin{}, settings_origin{}, overrun_origin{};
  // The windows drawn this frame and the faults of their layout (texts that run into each
  // other or past a window, windows that cover each other); filled again each frame.
  LayoutCheck layout;
};

// The easy-cab window's buttons: caption, the character they post (the reverser's depends
// on its position) and their place in the client area.
struct EasyCabButton {
  const char* caption;
  char32_t posts;  // 0: the reverser's
  float x, y, width, height;
};
inline constexpr float kEasyCabWidth = 241, kEasyCabHeight = 376;
inline constexpr std::array<EasyCabButton, 7> kEasyCabButtons = {{
    {"加速", U'8', 130, 40, 96, 28},
    {"減速", U'2', 130, 74, 96, 28},
    {"ニュートラル", U'5', 130, 108, 96, 28},
    {"ドア開閉", U'7', 130, 160, 96, 28},
    {"案内放送", U'1', 130, 194, 96, 28},
    {"巻戻し", U'-', 130, 228, 96, 28},
    {"逆転器", 0, 130, 280, 96, 28},
}};

// The dialogs' controls, in their client areas.
struct ClientPlace {
  float x, y;
};
inline constexpr ClientPlace kOverrunButton{150, 92};  // "停止位置修正"
inline constexpr ClientPlace kSettingsAtsOn{16, 30};   // "入"
inline constexpr ClientPlace kSettingsAtsOff{76, 30};  // "切"
inline constexpr ClientPlace kSettingsEngine[3] = {{16, 86}, {76, 86}, {136, 86}};  // 始動, 運転, 切
inline constexpr ClientPlace kSettingsOk{150, 124};

// Every fixed text of the windows and the run's names they may show (their font needs the
// glyphs).
std::string cab_window_texts(const Run& run);

// Draws the windows that are shown and carries out what was clicked. Starts the frame's
// layout check: the windows drawn after it this frame (help) join it.
void draw_cab_windows(Run& run, CabWindows& windows);

// Applies the commands of the windows in order, handing each to `record` first when given.
void apply_window_commands(Run& run, CabWindows& windows,
                           const std::function<void(const DriverCommand&)>& record = {});

}  // namespace velmora
