#include "platform/sdl/sdl_cab_screen.h"

#include <SDL_image.h>

#include <algorithm>

namespace velmora {

std::unique_ptr<SdlCabScreen> SdlCabScreen::offscreen(int width, int height) {
  if (width <= 0 || height <= 0)
    throw SdlError("a cab picture of " + std::to_string(width) + " x " + std::to_string(height) +
                   " px cannot be drawn");
  SurfacePtr memory(
      SDL_CreateRGBSurfaceWithFormat(0, kCabWindowWidth, kCabWindowHeight, 32, SDL_PIXELFORMAT_ARGB8888));
  if (!memory) throw SdlError(with_sdl_reason("no memory for the cab picture"));
  RendererPtr renderer(SDL_CreateSoftwareRenderer(memory.get()));
  if (!renderer) throw SdlError(with_sdl_reason("the cab picture cannot be drawn in memory"));
  return with_renderer(std::move(memory), std::move(renderer), width, height);
}

std::unique_ptr<SdlCabScreen> SdlCabScreen::in_window(SDL_Window* window, bool software, int menu_height) {
  RendererPtr renderer(SDL_CreateRenderer(window, -1, software ? SDL_RENDERER_SOFTWARE : 0));
  if (!renderer) throw SdlError(with_sdl_reason("the cab window cannot be drawn"));
  // The layout stays as it is at any window size; fullscreen letterboxes it.
  SDL_RenderSetLogicalSize(renderer.get(), kCabWindowWidth, kCabWindowHeight + menu_height);
  auto screen = with_renderer(nullptr, std::move(renderer), kWidth, kHeight, menu_height);
  return screen;
}

std::unique_ptr<SdlCabScreen> SdlCabScreen::with_renderer(SurfacePtr memory, RendererPtr renderer, int width,
                                                          int height, int menu_height) {
  TexturePtr cab(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                   width, height));
  TexturePtr window(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                      kCabWindowWidth, kCabWindowHeight + menu_height));
  if (!cab || !window) throw SdlError(with_sdl_reason("the cab picture's texture cannot be made"));
  std::unique_ptr<SdlCabScreen> screen(new SdlCabScreen(std::move(memory), std::move(renderer), std::move(cab),
                                                        std::move(window), width, height));
  screen->menu_height_ = menu_height;
  return screen;
}

SdlCabScreen::SdlCabScreen(SurfacePtr memory, RendererPtr renderer, TexturePtr cab, TexturePtr window,
                           int width, int height)
    : memory_(std::move(memory)),
      renderer_(std::move(renderer)),
      cab_(std::move(cab)),
      window_(std::move(window)),
      width_(width),
      height_(height),
      film_area_{0, 0, std::min(kFilmWidth, width), std::min(kFilmHeight, height)},
      images_(renderer_.get(), sprites_) {}

// Members go in reverse order: text, pictures and textures before the renderer.
SdlCabScreen::~SdlCabScreen() = default;

void SdlCabScreen::set_film_picture(const std::shared_ptr<const FilmPicture>& picture) {
  picture_ = picture;
}

void SdlCabScreen::set_film_area(int width, int height) {
  redraw_ = true;
  film_area_ = {0, 0, std::clamp(width, 0, width_), std::clamp(height, 0, height_)};
}

void SdlCabScreen::set_opacity(int opacity) { opacity_ = std::clamp(opacity, 0, 255); }

void SdlCabScreen::draw_text(int x, int y, const std::string& utf8, int size, SDL_Color colour,
                             int shadow) {
  texts_.push_back({x, y, utf8, size, colour, shadow});
}

void SdlCabScreen::draw_text(int x, int y, const std::string& utf8, int size, int shadow) {
  draw_text(x, y, utf8, size, SDL_Color{255, 255, 255, 255}, shadow);
}

int SdlCabScreen::text_width(const std::string& utf8, int size) { return text_.width(utf8, size); }

void SdlCabScreen::compose() {
  // The same film picture, texts, sprites and fade as last time: the cab texture already
  // holds this picture.
  const bool sprites_changed = sprites_.take_changed();
  if (!sprites_changed && picture_ == composed_picture_ && texts_ == composed_texts_ && opacity_ == composed_opacity_ &&
      !redraw_) {
    texts_.clear();
    return;
  }
  composed_picture_ = picture_;
  composed_texts_ = texts_;
  composed_opacity_ = opacity_;
  cab_changed_ = true;
  SDL_Renderer* r = renderer_.get();
  SDL_SetRenderTarget(r, cab_.get());
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  if (still_) {
    texts_.clear();
    sprites_.draw(r);
    const Shown& still = pictures_[static_cast<std::size_t>(WindowPicture::NotStarted)];
    if (still.texture) SDL_RenderCopy(r, still.texture.get(), nullptr, &still.place);
  } else {
    draw_film();
    draw_texts();
    sprites_.draw(r);
  }
  if (opacity_ < 255) {
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(r, 0, 0, 0, static_cast<Uint8>(255 - opacity_));
    SDL_RenderFillRect(r, nullptr);
  }
}

void SdlCabScreen::draw_film() {
  if (!picture_ || picture_->width <= 0 || picture_->height <= 0) return;
  if (picture_ != uploaded_) {
    int w = 0, h = 0;
    if (film_) SDL_QueryTexture(film_.get(), nullptr, nullptr, &w, &h);
    if (!film_ || w != picture_->width || h != picture_->height) {
      uploaded_.reset();
      film_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_IYUV, SDL_TEXTUREACCESS_STREAMING,
                                    picture_->width, picture_->height));
      if (!film_) return;
    }
    // The same BT.601 factors as film_picture_to_bgra, whatever the picture's size; the
    // software renderer converts on upload, so the mode is set just before it.
    SDL_SetYUVConversionMode(picture_->full_range ? SDL_YUV_CONVERSION_JPEG : SDL_YUV_CONVERSION_BT601);
    const FilmPicture& p = *picture_;
    if (SDL_UpdateYUVTexture(film_.get(), nullptr, p.planes[0], p.strides[0], p.planes[1], p.strides[1],
                             p.planes[2], p.strides[2]) != 0)
      return;
    uploaded_ = picture_;
  }
  SDL_RenderCopy(renderer_.get(), film_.get(), nullptr, &film_area_);
}

void SdlCabScreen::draw_texts() {
  text_error_.clear();
  if (texts_.empty()) return;
  SDL_Renderer* r = renderer_.get();
  SDL_RenderSetClipRect(r, &film_area_);
  // Each group (the texts up to an empty one) draws all its shadows, then all its letters.
  constexpr SDL_Color kBlack{0, 0, 0, 255};
  for (auto group = texts_.begin(); group != texts_.end();) {
    const auto end = std::find_if(group, texts_.end(), [](const QueuedText& t) { return t.utf8.empty(); });
    for (auto t = group; t != end; ++t)
      if (t->shadow > 0 && !text_.draw(r, t->x + t->shadow, t->y + t->shadow, t->utf8, t->size, kBlack, 0))
        text_error_ = text_.error();
    for (auto t = group; t != end; ++t)
      if (!text_.draw(r, t->x, t->y, t->utf8, t->size, t->colour, 0)) text_error_ = text_.error();
    group = end == texts_.end() ? end : end + 1;
  }
  SDL_RenderSetClipRect(r, nullptr);
  texts_.clear();
}

bool SdlCabScreen::load_window_picture(WindowPicture which, const std::filesystem::path& file, int x, int y) {
  std::string error;
  const SurfacePtr pixels = read_picture_pixels(file, false, error);
  if (!pixels) return false;
  TexturePtr texture(SDL_CreateTextureFromSurface(renderer_.get(), pixels.get()));
  if (!texture) return false;
  pictures_[static_cast<std::size_t>(which)] = {std::move(texture), {x, y, pixels->w, pixels->h}};
  redraw_ = true;
  return true;
}

void SdlCabScreen::draw_label(const WindowLabel& label, const std::string& utf8) {
  if (!utf8.empty()) labels_.push_back({label, utf8});
}

void SdlCabScreen::flip() {
  const bool overlay_changed = overlay_ && (!overlay_changed_ || overlay_changed_());
  if (!cab_changed_ && labels_ == shown_labels_ && !overlay_changed && !redraw_) {
    labels_.clear();
    return;
  }
  cab_changed_ = false;
  redraw_ = false;
  shown_labels_ = labels_;
  ++windows_drawn_;
  SDL_Renderer* r = renderer_.get();
  SDL_SetRenderTarget(r, window_.get());
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  // The layout below the menu bar's strip; the overlay (menus, dialogs) over the whole.
  const SDL_Rect layout{0, menu_height_, kCabWindowWidth, kCabWindowHeight};
  SDL_RenderSetViewport(r, &layout);
  draw_window();
  SDL_RenderSetViewport(r, nullptr);
  if (overlay_) overlay_(r);
  // The window shows the layout at its own size.
  SDL_SetRenderTarget(r, nullptr);
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  SDL_RenderCopy(r, window_.get(), nullptr, nullptr);
  SDL_RenderPresent(r);
}

// Beneath the cab the pictures beside it, over it the labels and the back button: the cab
// surface covers whatever part of a picture lies in its area.
void SdlCabScreen::draw_window() {
  SDL_Renderer* r = renderer_.get();
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderClear(r);
  for (WindowPicture which : {WindowPicture::SubDisplay, WindowPicture::StaffTimetable}) {
    const Shown& p = pictures_[static_cast<std::size_t>(which)];
    if (p.texture) SDL_RenderCopy(r, p.texture.get(), nullptr, &p.place);
  }
  const SDL_Rect cab{kCabSurface.x, kCabSurface.y, width_, height_};
  SDL_RenderCopy(r, cab_.get(), nullptr, &cab);
  draw_labels();
  draw_back_button();
}

void SdlCabScreen::draw_labels() {
  SDL_Renderer* r = renderer_.get();
  constexpr SDL_Color kWhite{255, 255, 255, 255};
  for (const QueuedLabel& l : labels_) {
    const WindowLabel& p = l.place;
    int x = p.x;
    if (p.width > 0) {
      // A fixed-size label cuts its text at its edges.
      const SDL_Rect box{p.x, p.y, p.width, p.height};
      SDL_RenderSetClipRect(r, &box);
      if (p.right_aligned) x = p.x + p.width - label_text_.width(l.utf8, p.size);
    }
    if (!label_text_.draw(r, x, p.y, l.utf8, p.size, kWhite, 0)) text_error_ = label_text_.error();
    SDL_RenderSetClipRect(r, nullptr);
  }
  labels_.clear();
}

// A small grey key with a left-pointing arrow: back to the title window.
void SdlCabScreen::draw_back_button() {
  SDL_Renderer* r = renderer_.get();
  const SDL_Rect key{kBackButton.x, kBackButton.y, kBackButton.width, kBackButton.height};
  SDL_SetRenderDrawColor(r, 0x60, 0x60, 0x60, 255);
  SDL_RenderFillRect(r, &key);
  SDL_SetRenderDrawColor(r, 0xd0, 0xd0, 0xd0, 255);
  SDL_RenderDrawRect(r, &key);
  const int cx = key.x + key.w / 2, cy = key.y + key.h / 2;
  for (int i = 0; i < 6; ++i) SDL_RenderDrawLine(r, cx - 5 + i, cy - i, cx - 5 + i, cy + i);
  SDL_RenderDrawLine(r, cx, cy, cx + 5, cy);
}

CabPixels SdlCabScreen::read_back() {
  CabPixels out;
  out.width = width_;
  out.height = height_;
  out.rgb.resize(static_cast<std::size_t>(width_) * height_ * 3);
  SDL_SetRenderTarget(renderer_.get(), cab_.get());
  if (SDL_RenderReadPixels(renderer_.get(), nullptr, SDL_PIXELFORMAT_RGB24, out.rgb.data(), width_ * 3) != 0)
    throw SdlError(with_sdl_reason("the cab picture cannot be read back"));
  return out;
}

CabPixels SdlCabScreen::read_window() {
  CabPixels out;
  out.width = kCabWindowWidth;
  out.height = kCabWindowHeight + menu_height_;
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  SDL_SetRenderTarget(renderer_.get(), window_.get());
  if (SDL_RenderReadPixels(renderer_.get(), nullptr, SDL_PIXELFORMAT_RGB24, out.rgb.data(), out.width * 3) != 0)
    throw SdlError(with_sdl_reason("the cab window cannot be read back"));
  return out;
}

bool SdlCabScreen::save_png(const std::filesystem::path& file, std::string& error) {
  CabPixels pixels;
  try {
    pixels = read_window();
  } catch (const SdlError& e) {
    error = e.what();
    return false;
  }
  const SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(
      pixels.rgb.data(), pixels.width, pixels.height, 24, pixels.width * 3, SDL_PIXELFORMAT_RGB24));
  if (!surface) {
    error = with_sdl_reason("no memory for the screenshot");
    return false;
  }
  if (IMG_SavePNG(surface.get(), file.string().c_str()) != 0) {
    error = with_sdl_reason(file.string() + ": the screenshot cannot be written; check the folder exists and may be written to");
    return false;
  }
  return true;
}

}  // namespace velmora
