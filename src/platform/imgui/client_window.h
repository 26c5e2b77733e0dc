#pragma once
// The cab window's small ImGui windows: a fixed client area whose controls are placed in px
// from its top-left corner, with the light face of desktop dialogs.

#include <imgui.h>

#include <string>

namespace velmora {

inline constexpr ImU32 kBlack = IM_COL32(0, 0, 0, 255);
// The small windows keep the light face of desktop dialogs, whatever ImGui's theme.
inline constexpr ImU32 kFace = IM_COL32(240, 240, 240, 255);

class Client {
 public:
  // Begins the window; false when it is not to be drawn (then nothing else is called but
  // end()).
  bool begin(const char* caption, bool* open, float width, float height, ImVec2 first_place,
             ImVec2& origin) {
    ImGui::SetNextWindowPos(first_place, ImGuiCond_FirstUseEver);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleColor(ImGuiCol_WindowBg, kFace);
    const bool shown =
        ImGui::Begin(caption, open,
                     ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse |
                         ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoSavedSettings);
    ImGui::PopStyleColor();
    ImGui::PopStyleVar();
    origin_ = origin = ImGui::GetCursorScreenPos();
    // The title bar comes on top of the client area.
    ImGui::SetWindowSize(ImVec2(width, height + (origin_.y - ImGui::GetWindowPos().y)));
    ImGui::PushStyleColor(ImGuiCol_Text, kBlack);
    return shown;
  }
  void end() {
    ImGui::PopStyleColor();
    ImGui::End();
  }
  void at(float x, float y) const { ImGui::SetCursorScreenPos(point(x, y)); }
  ImVec2 point(float x, float y) const { return ImVec2(origin_.x + x, origin_.y + y); }
  void text(float x, float y, const std::string& s) const {
    at(x, y);
    ImGui::TextUnformatted(s.c_str());
  }
  // A text at its own size (px to the em), laid over the window.
  void big_text(float x, float y, const char* s, float px) const {
    ImGui::GetWindowDrawList()->AddText(ImGui::GetFont(), px, point(x, y), kBlack, s);
  }
  bool button(float x, float y, const char* caption, float width = 0, float height = 0) const {
    at(x, y);
    return ImGui::Button(caption, ImVec2(width, height));
  }

 private:
  ImVec2 origin_{};
};

}  // namespace velmora
