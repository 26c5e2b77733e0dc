#pragma once
// The cab window's menus and dialogs (Dear ImGui) drawn by the cab's SDL renderer. Each flip
// of the cab screen draws the last finished ImGui frame over the cab window, in the window's
// layout px (1202 x 778), whatever size the window has.

#include <SDL.h>

#include <cstdint>
#include <filesystem>

#include "platform/sdl/sdl_handles.h"

struct ImGuiContext;
struct ImDrawData;

namespace velmora {

// The dialogs' face: "Meiryo UI" is not on Linux; IPA's proportional Gothic has the same
// Japanese coverage.
inline constexpr const char* kDialogFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

class SdlImGui {
 public:
  // A context of its own with the Japanese glyphs of `font_file` at `size` px. Throws
  // SdlError when the font cannot be read or its texture made.
  SdlImGui(SDL_Renderer* renderer, const std::filesystem::path& font_file = kDialogFontFile, float size = 13);
  ~SdlImGui();
  SdlImGui(const SdlImGui&) = delete;
  SdlImGui& operator=(const SdlImGui&) = delete;

  ImGuiContext* context() { return context_; }
  // Makes this context current and starts a frame `seconds` after the last one.
  void begin_frame(float seconds);
  // The area the windows may use, in px: the cab window's layout and the menu bar above it.
  void set_display_size(int width, int height) { width_ = width, height_ = height; }
  // Ends the frame; its drawing is kept for draw().
  void end_frame();
  // Draws the last ended frame onto the renderer's current target.
  void draw();
  // Whether the last ended frame looks different from the one last drawn.
  bool changed() const { return signature_ != drawn_signature_; }

 private:
  SDL_Renderer* renderer_;
  ImGuiContext* context_ = nullptr;
  int width_, height_;
  std::uint64_t signature_ = 0, drawn_signature_ = 1;
  TexturePtr font_;
};

}  // namespace velmora
