#pragma once
// An ImGui context without a renderer for tests: frames are built and ended, nothing is
// drawn, and a synthetic mouse presses and releases where a test points.

#include <imgui.h>

#include <functional>

namespace velmora {

struct HeadlessImGui {
  HeadlessImGui() : context(ImGui::CreateContext()) {
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(1202, 778);
    io.Fonts->AddFontDefault();
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
  }
  ~HeadlessImGui() { ImGui::DestroyContext(context); }
  HeadlessImGui(const HeadlessImGui&) = delete;
  HeadlessImGui& operator=(const HeadlessImGui&) = delete;

  void frame(const std::function<void()>& draw, ImVec2 mouse = ImVec2(-1, -1), bool down = false) {
    ImGuiIO& io = ImGui::GetIO();
    io.DeltaTime = 1.0f / 60;
    io.MousePos = mouse;
    io.MouseDown[0] = down;
    ImGui::NewFrame();
    draw();
    ImGui::Render();
  }
  // Press and release over a point.
  void click(const std::function<void()>& draw, ImVec2 at) {
    frame(draw, at);
    frame(draw, at, true);
    frame(draw, at);
  }

  ImGuiContext* context;
};

}  // namespace velmora
