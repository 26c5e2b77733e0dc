#pragma once
// The help window: an operating guide read from "operation.dat" in the data folder, with the
// keys of the vehicle being driven above it. It wraps its lines, scrolls and can be resized.
// It lives as long as the program; the Display menu's "操作説明(&U)" only shows it.

#include <imgui.h>

#include <filesystem>
#include <optional>
#include <string>

namespace velmora {

struct LayoutCheck;

inline constexpr float kHelpWidth = 420, kHelpHeight = 480;  // px, the size it first opens at
inline constexpr float kHelpFontPx = 13;

struct HelpWindow {
  std::string caption = "Help";  // the file's first line
  std::string text;              // every further line, each ended by a line break
  std::string vehicle_keys;      // the keys of the vehicle being driven; empty: none said
  bool visible = false;
  bool focused = false;  // it has the keyboard focus this frame
  ImVec2 place{}, size{};  // where the window was drawn last, its title bar included
};

// Reads "operation.dat" (Shift_JIS) from `data_dir` into the window. Returns the file error
// for the caller's error box when it cannot be read; the window then keeps what it had.
std::optional<std::string> load_help(HelpWindow& help, const std::filesystem::path& data_dir);

// Draws the window while it is shown; its close box hides it. It takes no typing: keys
// pressed while it has the focus go to the cab window's key handlers.
// `check`, when given, holds the windows drawn before it this frame: it first opens where
// none of them is, and joins them.
void draw_help_window(HelpWindow& help, LayoutCheck* check = nullptr);

}  // namespace velmora
