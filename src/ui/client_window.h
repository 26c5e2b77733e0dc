#pragma once
// The cab window's small ImGui windows: a fixed client area whose controls are placed in px
// from its top-left corner, with the light face of desktop dialogs. Each text and control
// placed is noted, so a layout whose texts run into each other, into a control or past the
// window's edge is found (LayoutCheck) rather than only seen.

#include <imgui.h>

#include <string>
#include <vector>

namespace velmora {

inline constexpr ImU32 kBlack = IM_COL32(0, 0, 0, 255);
// The small windows keep the light face of desktop dialogs, whatever ImGui's theme.
inline constexpr ImU32 kFace = IM_COL32(240, 240, 240, 255);

// What the windows of one frame drew where, and the faults of their layout.
struct LayoutCheck {
  struct Box {
    std::string what;
    ImVec2 min, max;
  };
  std::vector<Box> windows;         // each window drawn this frame
  std::vector<Box> last_windows;    // each window drawn the frame before
  std::vector<std::string> faults;  // "window: \"text\" runs into \"other\"", ...

  // A new frame.
  void clear() {
    last_windows = std::move(windows);
    windows.clear();
    faults.clear();
  }
  // Notes the faults of windows that cover each other.
  void check_windows();
  // Where a window of `size` px first opens: `preferred` unless a window drawn earlier this
  // frame or in the last one covers it, else the free place nearest to it inside the
  // display (none free: `preferred`).
  ImVec2 free_place(ImVec2 preferred, ImVec2 size) const;
};

class Client {
 public:
  explicit Client(LayoutCheck* check = nullptr) : check_(check) {}

  // Begins the window; false when it is not to be drawn (then nothing else is called but
  // end()).
  bool begin(const char* caption, bool* open, float width, float height, ImVec2 first_place, ImVec2& origin);
  void end();
  void at(float x, float y) const { ImGui::SetCursorScreenPos(point(x, y)); }
  ImVec2 point(float x, float y) const { return ImVec2(origin_.x + x, origin_.y + y); }
  void text(float x, float y, const std::string& s);
  // A text at its own size (px to the em), laid over the window.
  void big_text(float x, float y, const char* s, float px);
  bool button(float x, float y, const char* caption, float width = 0, float height = 0);
  // Notes the last item (a control the window placed itself) for the layout check.
  void note_item(const std::string& what, bool is_text = false);

 private:
  struct Placed {
    std::string what;
    ImVec2 min, max;
    bool text;
  };
  void note(const std::string& what, ImVec2 min, ImVec2 max, bool is_text);

  LayoutCheck* check_;
  std::string caption_;
  ImVec2 origin_{}, size_{};
  std::vector<Placed> placed_;
};

}  // namespace velmora
