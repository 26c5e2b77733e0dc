#include "ui/message_window.h"

#include <imgui.h>

#include <algorithm>

namespace velmora {

void draw_message_window(std::deque<std::string>& messages, float width, float height) {
  if (messages.empty()) return;
  const float w = std::min(460.0f, width - 20);
  ImGui::SetNextWindowPos(ImVec2(width / 2, height / 2), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(w, 0), ImGuiCond_Always);
  ImGui::SetNextWindowFocus();
  if (ImGui::Begin("Velmora###Message", nullptr,
                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                       ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove)) {
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(messages.front().c_str());
    ImGui::PopTextWrapPos();
    ImGui::Spacing();
    if (ImGui::Button("OK", ImVec2(80, 0)) ||
        ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter)))
      messages.pop_front();
  }
  ImGui::End();
}

void draw_status_line(const std::string& text, float width, float height) {
  if (text.empty()) return;
  ImGui::SetNextWindowPos(ImVec2(0, height), ImGuiCond_Always, ImVec2(0, 1));
  ImGui::SetNextWindowSize(ImVec2(width, 0), ImGuiCond_Always);
  ImGui::SetNextWindowBgAlpha(0.85f);
  ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(0.45f, 0.08f, 0.05f, 1));
  if (ImGui::Begin("###DeviceStatus", nullptr,
                   ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs |
                       ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                       ImGuiWindowFlags_NoNav)) {
    ImGui::PushTextWrapPos(0);
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopTextWrapPos();
  }
  ImGui::End();
  ImGui::PopStyleColor();
}

}  // namespace velmora
