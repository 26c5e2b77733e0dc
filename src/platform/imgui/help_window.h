#pragma once
// The help window: an operating guide read from "operation.dat" in the data folder, shown
// in a fixed-size window with a read-only scrolled text box. It lives as long as the
// program; the Display menu's "操作説明(&U)" only shows it.

#include <imgui.h>

#include <filesystem>
#include <optional>
#include <string>

namespace velmora {

inline constexpr float kHelpWidth = 265, kHelpHeight = 331;  // px, client area
inline constexpr float kHelpFontPx = 12;

struct HelpWindow {
  std::string caption = "Help";  // the file's first line
  std::string text;              // every further line, each ended by a line break
  bool visible = false;
  ImVec2 origin{};       // where its client area was drawn last (its top-left corner)
  bool focused = false;  // it has the keyboard focus this frame
};

// Reads "operation.dat" (Shift_JIS) from `data_dir` into the window. Returns the file error
// for the caller's error box when it cannot be read; the window then keeps what it had.
std::optional<std::string> load_help(HelpWindow& help, const std::filesystem::path& data_dir);

// Draws the window while it is shown; its close box hides it. Keys pressed while it has the
// focus belong to the cab window's key handlers: the desktop program passes them on even
// though ImGui reports it wants the keyboard.
void draw_help_window(HelpWindow& help);

}  // namespace velmora
