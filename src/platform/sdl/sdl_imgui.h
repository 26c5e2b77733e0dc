#pragma once
// The windows' menus and dialogs (Dear ImGui) drawn by an SDL renderer. The windows are laid
// out in the window's layout px (the cab window: 1202 x 797 with its menu bar); draw() puts
// the last finished frame onto the renderer at any scale, with the glyphs made for that
// scale so that texts stay sharp on a scaled or high-DPI window.
//
// Input: SDL's mouse and key events reach ImGui through feed(). A button or key change is
// kept until a frame has seen it, one change per button or key and frame, so a press and its
// release within one frame (a touchpad tap, a quick click, a key typed by a tool) is a click
// over two frames, and two such clicks are a double click.

#include <SDL.h>
#include <imgui.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sdl/sdl_handles.h"

namespace velmora {

// The dialogs' face: "Meiryo UI" is not on Linux; IPA's proportional Gothic has the same
// Japanese coverage.
inline constexpr const char* kDialogFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

class SdlImGui {
 public:
  // A context of its own with the Japanese glyphs of `font_file` at `size` px. Throws
  // SdlError when the font cannot be read or its texture made.
  SdlImGui(SDL_Renderer* renderer, const std::filesystem::path& font_file = kDialogFontFile,
           float size = 13);
  ~SdlImGui();
  SdlImGui(const SdlImGui&) = delete;
  SdlImGui& operator=(const SdlImGui&) = delete;

  ImGuiContext* context() { return context_; }
  // Adds the characters of `utf8` to the font's glyphs (names and texts from the data
  // files); the glyphs are made again before the next frame. The common Japanese set is
  // there from the start.
  void add_glyphs(const std::string& utf8);
  // The output px per layout px that draw() will use; the glyphs are made for it before the
  // next frame when it changed.
  void set_output_scale(float scale);
  // Whether the font has a glyph for `c` (after the glyphs were last made).
  bool has_glyph(char32_t c) const;
  // A second face `px` layout px high for a figure shown big (digits, signs and `extra`
  // characters only), made with the glyphs before the next frame; large_font() is null
  // until then.
  void want_large_font(float px, const std::string& extra);
  ImFont* large_font() const { return large_; }

  // An SDL event for the windows, its pointer already in layout px.
  void feed(const SDL_Event& e);
  // Makes this context current and starts a frame `seconds` after the last one, with at most
  // one queued change of each button and key.
  void begin_frame(float seconds);
  // The area the windows may use, in layout px.
  void set_display_size(int width, int height) { width_ = width, height_ = height; }
  // Ends the frame; its drawing is kept for draw().
  void end_frame();
  // Draws the last ended frame onto the renderer's current target: layout px (x, y) lands at
  // (left + x * scale, top + y * scale).
  void draw(float left = 0, float top = 0, float scale = 1);
  // Whether the last ended frame looks different from the one last drawn.
  bool changed() const { return signature_ != drawn_signature_; }

 private:
  void make_font();

  struct Change {
    enum Kind { Button, Key } kind;
    int index;  // mouse button 0..2 or scancode
    bool down;
    float x, y;  // the pointer's place (buttons)
  };

  SDL_Renderer* renderer_;
  ImGuiContext* context_ = nullptr;
  std::string font_bytes_;
  float font_px_;
  float scale_ = 1;     // the glyphs are made for this output scale
  float made_for_ = 0;  // the scale the current glyphs were made for; 0: none yet
  std::u32string extra_glyphs_;
  bool glyphs_added_ = false;
  std::vector<ImWchar> ranges_;  // the glyphs asked of the font; kept while the font lives
  ImFont* font_ = nullptr;
  float large_px_ = 0;  // 0: no large face
  std::vector<ImWchar> large_ranges_;
  ImFont* large_ = nullptr;
  int width_, height_;
  std::uint64_t signature_ = 0, drawn_signature_ = 1;
  TexturePtr font_texture_;
  std::deque<Change> changes_;
  float mouse_x_ = -1, mouse_y_ = -1;
};
}  // namespace velmora
