#pragma once
// The cab window's drawing device on SDL. The cab (800 x 780 px: the film area at the top,
// the desk below) is composed into a texture of its own; flip draws the cab window (1202 x
// 778 px) around it: the pictures beside the film, the cab, the back button, then the labels
// and whatever the window layer draws over them (menus, dialogs). The screen owns the
// renderer, so it also holds the image list and the sprite engine whose textures belong to it.
//
// Without a window (tests, velmora-sim) it draws with SDL's software renderer into memory:
// no video driver is needed, and the same input always gives the same pixels. In a window
// the layout is scaled to the window's size (letterboxed, filtered linearly unless the scale
// is a whole number), and the labels and the window layer are drawn at the window's own
// resolution, so their texts stay sharp at any size. Only what changed since the last
// picture is drawn again (a moved needle, the film area); with the software renderer the
// layout scaler scales just that part into a picture of the whole output kept between flips.
//
// Opacity: the closing fade is drawn into the picture, as black over the whole window at
// 255 - opacity, unless the window itself can be made see-through (window_opacity).

#include <SDL.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/cab_screen.h"
#include "platform/sdl/layout_scaler.h"
#include "platform/sdl/sdl_handles.h"
#include "platform/sdl/sdl_images.h"
#include "platform/sdl/sdl_sprites.h"
#include "platform/sdl/sdl_text.h"

namespace velmora {

// A composed cab picture read back, 3 bytes a pixel (R, G, B), rows top to bottom.
struct CabPixels {
  struct Rgb {
    std::uint8_t r, g, b;
  };
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;

  Rgb at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

class SdlCabScreen final : public CabScreen {
 public:
  static constexpr int kWidth = 800;  // px, the cab surface
  static constexpr int kHeight = 780;
  static constexpr int kFilmWidth = 800;  // px, the film surface until told otherwise
  static constexpr int kFilmHeight = 600;

  // A screen without a window, drawing in memory; the cab is width x height px. Throws
  // SdlError when it cannot be made.
  static std::unique_ptr<SdlCabScreen> offscreen(int width = kWidth, int height = kHeight);
  // A screen drawing into `window` (which must outlive it), the cab window's layout scaled
  // to the window's size, below a strip of `menu_height` px left for the menu bar.
  // `software` asks for SDL's software renderer; `window_opacity` says that the window can
  // be faded by its opacity (a compositing display), else the fade darkens the picture.
  static std::unique_ptr<SdlCabScreen> in_window(SDL_Window* window, bool software = false,
                                                 int menu_height = 0, bool window_opacity = false);
  ~SdlCabScreen() override;
  SdlCabScreen(const SdlCabScreen&) = delete;
  SdlCabScreen& operator=(const SdlCabScreen&) = delete;

  SdlImages& images() { return images_; }
  SdlSprites& sprites() { return sprites_; }

  void set_film_picture(const std::shared_ptr<const FilmPicture>& picture) override;
  bool can_draw() override { return renderer_ != nullptr; }
  // Black fill, the film picture at its own size at (0, 0), the texts asked for since the
  // last compose (inside the film surface), every visible sprite.
  void compose() override;
  void set_opacity(int opacity) override;
  void flip() override;
  bool load_window_picture(WindowPicture which, const std::filesystem::path& file, int x,
                           int y) override;
  void draw_label(const WindowLabel& label, const std::string& utf8) override;
  void show_still(bool on) override {
    redraw_ |= still_ != on;
    still_ = on;
  }
  // Drawn by every flip over the cab window, just before it is shown: the window layer's
  // menus and dialogs, in the output's px: layout px (x, y) lands at (left + x * scale,
  // top + y * scale). Empty: nothing. `changed` tells whether the overlay differs from the one
  // last drawn (empty: always).
  using Overlay = std::function<void(SDL_Renderer*, float left, float top, float scale)>;
  void set_window_overlay(Overlay overlay, std::function<bool()> changed = {}) {
    overlay_ = std::move(overlay);
    overlay_changed_ = std::move(changed);
    redraw_ = true;
  }
  // The next flip draws and shows the window even when nothing in it changed (the window was
  // uncovered or resized).
  void redraw() { redraw_ = true; }
  // While off, compose and flip only take in what they are given and draw nothing: a
  // headless run draws just the frames it saves. On again, the next flip draws it all.
  void set_drawing(bool on) {
    redraw_ |= on && !drawing_;
    drawing_ = on;
  }
  // Pictures actually drawn and shown: a compose and flip that would draw the same picture
  // again (a standing train) skip the work.
  long long windows_drawn() const { return windows_drawn_; }
  SDL_Renderer* renderer() { return renderer_.get(); }

  void set_film_surface(int width, int height) override;
  void set_screen_top(int top) override;
  // Where a point of the window (in the window system's units) lies in the layout's px, the
  // menu bar's strip included; the layout's scaling undone.
  SDL_Point to_layout(int window_x, int window_y) const;
  // Output px per layout px, as the last flip drew.
  float scale() const { return place_.scale; }
  // A text for the next compose, over the film picture (see SdlText::draw). Texts are drawn
  // once: the frame asks for them again on every pass, as it gives the film picture.
  void draw_text(int x, int y, const std::string& utf8, int size, int shadow) override;
  int text_width(const std::string& utf8, int size) override;
  void draw_text(int x, int y, const std::string& utf8, int size, SDL_Color colour, int shadow);
  // Why a text could not be drawn at the last compose; empty when all were.
  const std::string& text_error() const { return text_error_; }
  // What the last compose and flip drew badly: a label cut at its box, labels whose texts
  // cover each other, a film text that runs past the film surface. Empty: none.
  std::vector<std::string> layout_faults();

  int width() const { return width_; }
  int menu_height() const { return menu_height_; }
  int height() const { return height_; }
  int opacity() const { return opacity_; }
  const SDL_Rect& film_surface() const { return film_surface_; }

  // The cab picture the last compose made. Throws SdlError when it cannot be read.
  CabPixels read_back();
  // The cab window as the last flip showed it, at the output's size: 1202 x 778 px below the
  // menu bar's strip without a window; the window's own size in px with one.
  // Throws SdlError when it cannot be read.
  CabPixels read_window();
  // Saves that window picture as a PNG file; the same picture always gives the same bytes.
  // False with the reason in `error` when it cannot be saved.
  bool save_png(const std::filesystem::path& file, std::string& error);

 private:
  struct QueuedText {
    int x, y;
    std::string utf8;
    int size;
    SDL_Color colour;
    int shadow;
    bool operator==(const QueuedText& o) const {
      return x == o.x && y == o.y && utf8 == o.utf8 && size == o.size && colour.r == o.colour.r &&
             colour.g == o.colour.g && colour.b == o.colour.b && colour.a == o.colour.a &&
             shadow == o.shadow;
    }
  };

  struct Shown {
    TexturePtr texture;
    SDL_Rect place;
  };
  struct QueuedLabel {
    WindowLabel place;
    std::string utf8;
    bool operator==(const QueuedLabel& o) const {
      return place.x == o.place.x && place.y == o.place.y && place.width == o.place.width &&
             place.height == o.place.height && place.size == o.place.size &&
             place.right_aligned == o.place.right_aligned && utf8 == o.utf8;
    }
  };

  // Where the layout lies in the output: layout px (x, y) at (left + x * scale, top + y * scale).
  struct Placement {
    int left = 0, top = 0;
    float scale = 1;
    int output_width = 0, output_height = 0;
  };

  SdlCabScreen(SurfacePtr memory, RendererPtr renderer, TexturePtr cab, TexturePtr window,
               int width, int height);
  static std::unique_ptr<SdlCabScreen> with_renderer(SurfacePtr memory, RendererPtr renderer,
                                                     int width, int height, int menu_height = 0);
  void draw_film();
  void draw_texts(const SDL_Rect& area);
  void draw_window(const SDL_Rect& area);
  void scale_layout(const SDL_Rect& changed);
  SDL_Rect output_layout() const;
  void draw_output();
  void draw_labels();
  void draw_back_button();
  Placement placement() const;

  // Declared in the order they are made; the renderer must outlive every texture.
  SurfacePtr memory_;  // what the software renderer draws into
  RendererPtr renderer_;
  TexturePtr cab_;     // the composed cab
  TexturePtr window_;  // the cab window at its layout's size, labels and overlay excepted
  TexturePtr film_;
  TexturePtr scaled_;  // the layout at the output's size, when scaled in software; else null
  SDL_Window* shown_in_ = nullptr;   // the window drawn into; null: memory
  bool window_opacity_ = false;      // the fade sets the window's opacity
  bool scales_in_software_ = false;  // a window the software renderer draws
  LayoutScaler scaler_;
  std::vector<std::uint32_t> layout_pixels_;  // the layout's changed part, read back to be scaled
  int width_, height_;
  SDL_Rect film_surface_;  // px from (0, 0): the film picture's size, [Disp]'s before one is shown
  int screen_top_ = 0;     // px, the cab surface's top in the window (Shift+Up / Shift+Down)
  Placement place_;
  std::shared_ptr<const FilmPicture> picture_;   // to be drawn
  std::shared_ptr<const FilmPicture> uploaded_;  // in film_ now
  int opacity_ = 255;
  int menu_height_ = 0;  // px above the layout, for the menu bar
  SdlSprites sprites_;
  SdlImages images_;
  SdlText text_;
  SdlText label_text_{kLabelFontFile, TTF_STYLE_NORMAL};
  std::vector<QueuedText> texts_;
  std::string text_error_;
  std::array<Shown, 3> pictures_{};  // by WindowPicture; the not-started one is not shown here
  std::vector<QueuedLabel> labels_;
  Overlay overlay_;
  std::function<bool()> overlay_changed_;
  // What the last drawn pictures were made of, to tell an unchanged frame.
  std::shared_ptr<const FilmPicture> composed_picture_;
  std::vector<QueuedText> composed_texts_;
  int shown_opacity_ = 255;
  SDL_Rect cab_changed_{};  // cab px composed since the last flip
  std::vector<QueuedLabel> shown_labels_;
  bool redraw_ = true;
  bool drawing_ = true;
  bool still_ = false;
  long long windows_drawn_ = 0;
};

}  // namespace velmora
