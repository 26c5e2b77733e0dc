#include "platform/sdl/sdl_cab_screen.h"

#include <SDL_image.h>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// A whole-number scale keeps every px sharp; any other is filtered, or texts and lines break
// apart (a 0 reads as a D).
bool whole_scale(float scale) { return std::fabs(scale - std::round(scale)) < 1e-4f; }

}  // namespace

std::unique_ptr<SdlCabScreen> SdlCabScreen::offscreen(int width, int height) {
  if (width <= 0 || height <= 0)
    throw SdlError("a cab picture of " + std::to_string(width) + " x " + std::to_string(height) +
                   " px cannot be drawn");
  SurfacePtr memory(SDL_CreateRGBSurfaceWithFormat(0, kCabWindowWidth, kCabWindowHeight, 32,
                                                   SDL_PIXELFORMAT_ARGB8888));
  if (!memory) throw SdlError(with_sdl_reason("no memory for the cab picture"));
  RendererPtr renderer(SDL_CreateSoftwareRenderer(memory.get()));
  if (!renderer) throw SdlError(with_sdl_reason("the cab picture cannot be drawn in memory"));
  return with_renderer(std::move(memory), std::move(renderer), width, height);
}

std::unique_ptr<SdlCabScreen> SdlCabScreen::in_window(SDL_Window* window, bool software,
                                                      int menu_height, bool window_opacity) {
  RendererPtr renderer(SDL_CreateRenderer(window, -1, software ? SDL_RENDERER_SOFTWARE : 0));
  if (!renderer) throw SdlError(with_sdl_reason("the cab window cannot be drawn"));
  SDL_RendererInfo info{};
  const bool drawn_in_software =
      SDL_GetRendererInfo(renderer.get(), &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  auto screen = with_renderer(nullptr, std::move(renderer), kWidth, kHeight, menu_height);
  screen->shown_in_ = window;
  screen->scales_in_software_ = drawn_in_software;
  screen->window_opacity_ = window_opacity;
  return screen;
}

std::unique_ptr<SdlCabScreen> SdlCabScreen::with_renderer(SurfacePtr memory, RendererPtr renderer,
                                                          int width, int height, int menu_height) {
  TexturePtr cab(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                                   SDL_TEXTUREACCESS_TARGET, width, height));
  TexturePtr window(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                                      SDL_TEXTUREACCESS_TARGET, kCabWindowWidth,
                                      kCabWindowHeight + menu_height));
  if (!cab || !window) throw SdlError(with_sdl_reason("the cab picture's texture cannot be made"));
  // Both are opaque all over (each drawing starts from black), so they are copied, not blended.
  SDL_SetTextureBlendMode(cab.get(), SDL_BLENDMODE_NONE);
  SDL_SetTextureBlendMode(window.get(), SDL_BLENDMODE_NONE);
  std::unique_ptr<SdlCabScreen> screen(new SdlCabScreen(
      std::move(memory), std::move(renderer), std::move(cab), std::move(window), width, height));
  screen->menu_height_ = menu_height;
  return screen;
}

SdlCabScreen::SdlCabScreen(SurfacePtr memory, RendererPtr renderer, TexturePtr cab,
                           TexturePtr window, int width, int height)
    : memory_(std::move(memory)),
      renderer_(std::move(renderer)),
      cab_(std::move(cab)),
      window_(std::move(window)),
      width_(width),
      height_(height),
      film_surface_{0, 0, kFilmWidth, kFilmHeight},
      images_(renderer_.get(), sprites_) {}

// Members go in reverse order: text, pictures and textures before the renderer.
SdlCabScreen::~SdlCabScreen() = default;

void SdlCabScreen::set_film_picture(const std::shared_ptr<const FilmPicture>& picture) {
  picture_ = picture;
}

void SdlCabScreen::set_film_surface(int width, int height) {
  redraw_ = true;
  film_surface_ = {0, 0, std::max(width, 0), std::max(height, 0)};
}

void SdlCabScreen::set_screen_top(int top) {
  redraw_ |= top != screen_top_;
  screen_top_ = top;
}

void SdlCabScreen::set_opacity(int opacity) {
  opacity = std::clamp(opacity, 0, 255);
  // A see-through window shows what lies behind it; the picture stays as it is.
  if (window_opacity_ && shown_in_ != nullptr && opacity != opacity_)
    SDL_SetWindowOpacity(shown_in_, static_cast<float>(opacity) / 255);
  opacity_ = opacity;
}

void SdlCabScreen::draw_text(int x, int y, const std::string& utf8, int size, SDL_Color colour,
                             int shadow) {
  texts_.push_back({x, y, utf8, size, colour, shadow});
}

void SdlCabScreen::draw_text(int x, int y, const std::string& utf8, int size, int shadow) {
  draw_text(x, y, utf8, size, SDL_Color{255, 255, 255, 255}, shadow);
}

int SdlCabScreen::text_width(const std::string& utf8, int size) { return text_.width(utf8, size); }

void SdlCabScreen::compose() {
  const SDL_Rect sprites_changed = sprites_.take_changed_area();
  if (!drawing_) {
    composed_texts_ = std::move(texts_);
    texts_.clear();
    return;
  }
  // Only what changed is drawn again: a standing train moves a needle or two, and the rest of
  // the cab texture already holds the picture.
  const SDL_Rect whole{0, 0, width_, height_};
  bool all = redraw_ || still_;
  SDL_Rect area = sprites_changed;
  if (picture_ != composed_picture_) {
    if (picture_ && composed_picture_ && picture_->width == composed_picture_->width &&
        picture_->height == composed_picture_->height)
      SDL_UnionRect(&area, &film_surface_, &area);
    else
      all = true;
  }
  if (texts_ != composed_texts_) SDL_UnionRect(&area, &film_surface_, &area);
  area = all ? whole : sprites_.with_whole_stretched(area);
  if (!SDL_IntersectRect(&area, &whole, &area)) {
    texts_.clear();
    return;
  }
  composed_picture_ = picture_;
  composed_texts_ = texts_;
  SDL_UnionRect(&cab_changed_, &area, &cab_changed_);
  SDL_Renderer* r = renderer_.get();
  SDL_SetRenderTarget(r, cab_.get());
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  SDL_RenderSetClipRect(r, &area);
  // A film picture covers its surface, which lies at (0, 0): black is needed only where the
  // area reaches past it, below and to its right.
  const bool film_shown = !still_ && picture_ && picture_->width == film_surface_.w &&
                          picture_->height == film_surface_.h;
  const int film_w = film_shown ? film_surface_.w : 0, film_h = film_shown ? film_surface_.h : 0;
  const int right = area.x + area.w, bottom = area.y + area.h;
  const SDL_Rect bare[] = {
      {area.x, std::max(area.y, film_h), area.w, bottom - std::max(area.y, film_h)},
      {std::max(area.x, film_w), area.y, right - std::max(area.x, film_w),
       std::min(bottom, film_h) - area.y}};
  for (const SDL_Rect& b : bare)
    if (b.w > 0 && b.h > 0) SDL_RenderFillRect(r, &b);
  if (still_) {
    texts_.clear();
    sprites_.draw(r);
    const Shown& still = pictures_[static_cast<std::size_t>(WindowPicture::NotStarted)];
    if (still.texture) SDL_RenderCopy(r, still.texture.get(), nullptr, &still.place);
  } else {
    draw_film();
    draw_texts(area);
    sprites_.draw(r);
  }
  SDL_RenderSetClipRect(r, nullptr);
}

void SdlCabScreen::draw_film() {
  if (!picture_ || picture_->width <= 0 || picture_->height <= 0) return;
  if (picture_ != uploaded_) {
    int w = 0, h = 0;
    if (film_) SDL_QueryTexture(film_.get(), nullptr, nullptr, &w, &h);
    if (!film_ || w != picture_->width || h != picture_->height) {
      uploaded_.reset();
      film_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_IYUV,
                                    SDL_TEXTUREACCESS_STREAMING, picture_->width,
                                    picture_->height));
      if (!film_) return;
    }
    // The same BT.601 factors as film_picture_to_bgra, whatever the picture's size; the
    // software renderer converts on upload, so the mode is set just before it.
    SDL_SetYUVConversionMode(picture_->full_range ? SDL_YUV_CONVERSION_JPEG
                                                  : SDL_YUV_CONVERSION_BT601);
    const FilmPicture& p = *picture_;
    if (SDL_UpdateYUVTexture(film_.get(), nullptr, p.planes[0], p.strides[0], p.planes[1],
                             p.strides[1], p.planes[2], p.strides[2]) != 0)
      return;
    uploaded_ = picture_;
  }
  // The film surface takes the picture's size and is copied at (0, 0) as it is: the places of
  // the signs and boards over it are the film's own px.
  film_surface_ = {0, 0, picture_->width, picture_->height};
  SDL_RenderCopy(renderer_.get(), film_.get(), nullptr, &film_surface_);
}

void SdlCabScreen::draw_texts(const SDL_Rect& area) {
  text_error_.clear();
  SDL_Rect on_film;
  // The texts are drawn on the film surface, so nothing of them reaches the desk.
  if (texts_.empty() || !SDL_IntersectRect(&film_surface_, &area, &on_film)) {
    texts_.clear();
    return;
  }
  SDL_Renderer* r = renderer_.get();
  SDL_RenderSetClipRect(r, &on_film);
  // Each group (the texts up to an empty one) draws all its shadows, then all its letters.
  constexpr SDL_Color kBlack{0, 0, 0, 255};
  for (auto group = texts_.begin(); group != texts_.end();) {
    const auto end =
        std::find_if(group, texts_.end(), [](const QueuedText& t) { return t.utf8.empty(); });
    for (auto t = group; t != end; ++t)
      if (t->shadow > 0 &&
          !text_.draw(r, t->x + t->shadow, t->y + t->shadow, t->utf8, t->size, kBlack, 0))
        text_error_ = text_.error();
    for (auto t = group; t != end; ++t)
      if (!text_.draw(r, t->x, t->y, t->utf8, t->size, t->colour, 0)) text_error_ = text_.error();
    group = end == texts_.end() ? end : end + 1;
  }
  SDL_RenderSetClipRect(r, &area);
  texts_.clear();
}

bool SdlCabScreen::load_window_picture(WindowPicture which, const std::filesystem::path& file,
                                       int x, int y) {
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
  if (!drawing_) {
    shown_labels_ = std::move(labels_);
    labels_.clear();
    return;
  }
  const bool overlay_changed = overlay_ && (!overlay_changed_ || overlay_changed_());
  const Placement place = placement();
  const bool moved =
      place.output_width != place_.output_width || place.output_height != place_.output_height;
  if (cab_changed_.w <= 0 && labels_ == shown_labels_ && !overlay_changed && !redraw_ && !moved &&
      opacity_ == shown_opacity_) {
    labels_.clear();
    return;
  }
  const SDL_Rect layout{0, 0, kCabWindowWidth, kCabWindowHeight + menu_height_};
  SDL_Rect changed = layout;
  if (redraw_) {
    draw_window(layout);
  } else if (cab_changed_.w > 0) {
    // The cab's changed part where the cab lies in the layout, below the menu bar's strip.
    const SDL_Rect below_menu{0, menu_height_, kCabWindowWidth, kCabWindowHeight};
    changed = {cab_changed_.x + kCabSurface.x,
               cab_changed_.y + kCabSurface.y + screen_top_ + menu_height_, cab_changed_.w,
               cab_changed_.h};
    if (SDL_IntersectRect(&changed, &below_menu, &changed)) draw_window(changed);
  } else {
    changed = {};
  }
  place_ = place;
  scale_layout(redraw_ || moved ? layout : changed);
  cab_changed_ = {};
  redraw_ = false;
  shown_labels_ = std::move(labels_);
  labels_.clear();
  shown_opacity_ = opacity_;
  ++windows_drawn_;
  draw_output();
  SDL_RenderPresent(renderer_.get());
}

SDL_Rect SdlCabScreen::output_layout() const {
  const Placement& p = place_;
  return {p.left, p.top, static_cast<int>(std::lround(kCabWindowWidth * p.scale)),
          static_cast<int>(std::lround((kCabWindowHeight + menu_height_) * p.scale))};
}

// Software drawing scales just the changed part of the layout itself, into a picture at the
// output's size kept from flip to flip; a redraw then copies that picture as it is. Elsewhere
// (a GPU, or a layout at its own size) the whole layout is scaled by the renderer each time.
void SdlCabScreen::scale_layout(const SDL_Rect& changed) {
  const SDL_Rect out = output_layout();
  const int layout_h = kCabWindowHeight + menu_height_;
  if (!scales_in_software_ || (out.w == kCabWindowWidth && out.h == layout_h)) {
    scaled_.reset();
    return;
  }
  SDL_Renderer* r = renderer_.get();
  SDL_Rect part = scaler_.output_of(changed);
  int w = 0, h = 0;
  if (scaled_) SDL_QueryTexture(scaled_.get(), nullptr, nullptr, &w, &h);
  if (!scaled_ || w != place_.output_width || h != place_.output_height ||
      scaler_.to_width() != out.w || scaler_.to_height() != out.h) {
    // The whole output, its bars black once and for all: filling them on every redraw would
    // cost as much as copying them. The window surface's own format where it is a 32-bit
    // one, so the copy needs no converting.
    Uint32 format = shown_in_ != nullptr ? SDL_GetWindowPixelFormat(shown_in_) : 0;
    if (format != SDL_PIXELFORMAT_RGB888) format = SDL_PIXELFORMAT_ARGB8888;
    scaled_.reset(SDL_CreateTexture(r, format, SDL_TEXTUREACCESS_STREAMING, place_.output_width,
                                    place_.output_height));
    void* pixels = nullptr;
    int pitch = 0;
    if (!scaled_ || SDL_LockTexture(scaled_.get(), nullptr, &pixels, &pitch) != 0) {
      scaled_.reset();
      return;
    }
    for (int y = 0; y < place_.output_height; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels) +
                                                   static_cast<std::ptrdiff_t>(y) * pitch);
      std::fill(row, row + place_.output_width, 0xff000000u);
    }
    SDL_UnlockTexture(scaled_.get());
    SDL_SetTextureBlendMode(scaled_.get(), SDL_BLENDMODE_NONE);
    scaler_.set_size(kCabWindowWidth, layout_h, out.w, out.h, whole_scale(place_.scale));
    part = {0, 0, out.w, out.h};
  }
  if (part.w <= 0) return;
  const SDL_Rect in_output{part.x + out.x, part.y + out.y, part.w, part.h};
  const SDL_Rect from = scaler_.source_of(part);
  layout_pixels_.resize(static_cast<std::size_t>(from.w) * static_cast<std::size_t>(from.h));
  void* pixels = nullptr;
  int pitch = 0;
  SDL_SetRenderTarget(r, window_.get());
  const bool read = SDL_RenderReadPixels(r, &from, SDL_PIXELFORMAT_ARGB8888, layout_pixels_.data(),
                                         from.w * 4) == 0;
  SDL_SetRenderTarget(r, nullptr);
  // Not read or not written: the renderer scales the whole layout again, as without this.
  if (!read || SDL_LockTexture(scaled_.get(), &in_output, &pixels, &pitch) != 0) {
    scaled_.reset();
    return;
  }
  scaler_.scale(part, layout_pixels_.data(), from.w, static_cast<std::uint32_t*>(pixels),
                pitch / 4);
  SDL_UnlockTexture(scaled_.get());
}

SdlCabScreen::Placement SdlCabScreen::placement() const {
  Placement p;
  SDL_Renderer* r = renderer_.get();
  SDL_Texture* before = SDL_GetRenderTarget(r);
  SDL_SetRenderTarget(r, nullptr);
  SDL_GetRendererOutputSize(r, &p.output_width, &p.output_height);
  SDL_SetRenderTarget(r, before);
  const int layout_h = kCabWindowHeight + menu_height_;
  if (p.output_width <= 0 || p.output_height <= 0)
    p.output_width = kCabWindowWidth, p.output_height = layout_h;
  p.scale = std::min(static_cast<float>(p.output_width) / kCabWindowWidth,
                     static_cast<float>(p.output_height) / layout_h);
  p.left = static_cast<int>(std::lround((p.output_width - kCabWindowWidth * p.scale) / 2));
  p.top = static_cast<int>(std::lround((p.output_height - layout_h * p.scale) / 2));
  return p;
}

SDL_Point SdlCabScreen::to_layout(int window_x, int window_y) const {
  // Window units to output px (a high-DPI window has more px than units), then to the layout.
  float px_per_unit = 1;
  if (shown_in_ != nullptr) {
    int units = 0, h = 0;
    SDL_GetWindowSize(shown_in_, &units, &h);
    if (units > 0) px_per_unit = static_cast<float>(place_.output_width) / units;
  }
  const float scale = place_.scale > 0 ? place_.scale : 1;
  return {static_cast<int>(std::floor((window_x * px_per_unit - place_.left) / scale)),
          static_cast<int>(std::floor((window_y * px_per_unit - place_.top) / scale))};
}

// The layout scaled into the output, then what has text at the output's own resolution: the
// labels and the window layer. The fade darkens all of it, unless the window fades itself.
void SdlCabScreen::draw_output() {
  SDL_Renderer* r = renderer_.get();
  const Placement& p = place_;
  SDL_SetRenderTarget(r, nullptr);
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  const SDL_Rect layout = output_layout();
  if (scaled_) {
    SDL_RenderCopy(r, scaled_.get(), nullptr, nullptr);
  } else {
    // Black only where the layout leaves the output bare: the layout's copy covers the rest,
    // and clearing the whole output first would add a fifth to a scaled copy on every redraw.
    const SDL_Rect bars[] = {
        {0, 0, p.output_width, layout.y},
        {0, layout.y + layout.h, p.output_width, p.output_height - layout.y - layout.h},
        {0, layout.y, layout.x, layout.h},
        {layout.x + layout.w, layout.y, p.output_width - layout.x - layout.w, layout.h}};
    for (const SDL_Rect& bar : bars)
      if (bar.w > 0 && bar.h > 0) SDL_RenderFillRect(r, &bar);
    SDL_SetTextureScaleMode(window_.get(),
                            whole_scale(p.scale) ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    SDL_RenderCopy(r, window_.get(), nullptr, &layout);
  }
  draw_labels();
  if (overlay_) overlay_(r, static_cast<float>(p.left), static_cast<float>(p.top), p.scale);
  if (opacity_ < 255 && !window_opacity_) {
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(r, 0, 0, 0, static_cast<Uint8>(255 - opacity_));
    SDL_RenderFillRect(r, nullptr);
  }
}

// Beneath the cab the pictures beside it, over it the labels and the back button: the cab
// surface covers whatever part of a picture lies in its area. Only `area` (layout px, the
// menu bar's strip included) is drawn.
void SdlCabScreen::draw_window(const SDL_Rect& area) {
  SDL_Renderer* r = renderer_.get();
  SDL_SetRenderTarget(r, window_.get());
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
  // Black only where the cab, copied over everything, leaves some of the area.
  const SDL_Rect cab{kCabSurface.x, kCabSurface.y + screen_top_, width_, height_};
  const SDL_Rect cab_here{cab.x, cab.y + menu_height_, cab.w, cab.h};
  SDL_Rect in_cab;
  if (!SDL_IntersectRect(&area, &cab_here, &in_cab) || !SDL_RectEquals(&in_cab, &area))
    SDL_RenderFillRect(r, &area);
  // The layout below the menu bar's strip; the clip is the viewport's.
  const SDL_Rect layout{0, menu_height_, kCabWindowWidth, kCabWindowHeight};
  SDL_RenderSetViewport(r, &layout);
  const SDL_Rect clip{area.x, area.y - menu_height_, area.w, area.h};
  SDL_RenderSetClipRect(r, &clip);
  for (WindowPicture which : {WindowPicture::SubDisplay, WindowPicture::StaffTimetable}) {
    const Shown& p = pictures_[static_cast<std::size_t>(which)];
    if (p.texture) SDL_RenderCopy(r, p.texture.get(), nullptr, &p.place);
  }
  SDL_RenderCopy(r, cab_.get(), nullptr, &cab);
  draw_back_button();
  SDL_RenderSetClipRect(r, nullptr);
  SDL_RenderSetViewport(r, nullptr);
}

// Each label made at the output's size: its place, box and letters scaled, not its picture.
void SdlCabScreen::draw_labels() {
  SDL_Renderer* r = renderer_.get();
  constexpr SDL_Color kWhite{255, 255, 255, 255};
  const Placement& o = place_;
  const auto x_of = [&o](int x) { return o.left + static_cast<int>(std::lround(x * o.scale)); };
  const auto y_of = [&o, this](int y) {
    return o.top + static_cast<int>(std::lround((y + menu_height_) * o.scale));
  };
  for (const QueuedLabel& l : shown_labels_) {
    const WindowLabel& p = l.place;
    const int size = std::max(1, static_cast<int>(std::lround(p.size * o.scale)));
    int x = x_of(p.x);
    if (p.width > 0) {
      // A fixed-size label cuts its text at its edges.
      const SDL_Rect box{x_of(p.x), y_of(p.y), x_of(p.x + p.width) - x_of(p.x),
                         y_of(p.y + p.height) - y_of(p.y)};
      SDL_RenderSetClipRect(r, &box);
      if (p.right_aligned) x = box.x + box.w - label_text_.width(l.utf8, size);
    }
    if (!label_text_.draw(r, x, y_of(p.y), l.utf8, size, kWhite, 0))
      text_error_ = label_text_.error();
    SDL_RenderSetClipRect(r, nullptr);
  }
}

std::vector<std::string> SdlCabScreen::layout_faults() {
  std::vector<std::string> faults;
  // Where each label's text lies, in the layout's px.
  std::vector<SDL_Rect> drawn;
  for (const QueuedLabel& l : shown_labels_) {
    const WindowLabel& p = l.place;
    const SDL_Point size = label_text_.extent(l.utf8, p.size);
    if (p.width > 0 && size.x > p.width)
      faults.push_back("label \"" + l.utf8 + "\" is cut at its box (" + std::to_string(size.x) +
                       " px in " + std::to_string(p.width) + ")");
    const int w = p.width > 0 ? std::min(size.x, p.width) : size.x;
    const int x = p.width > 0 && p.right_aligned ? p.x + p.width - w : p.x;
    drawn.push_back({x, p.y, w, size.y});
  }
  for (std::size_t i = 0; i < drawn.size(); ++i)
    for (std::size_t j = i + 1; j < drawn.size(); ++j) {
      SDL_Rect both;
      // A px or two of a glyph box is air.
      if (SDL_IntersectRect(&drawn[i], &drawn[j], &both) && both.w > 2 && both.h > 2)
        faults.push_back("labels \"" + shown_labels_[i].utf8 + "\" and \"" + shown_labels_[j].utf8 +
                         "\" cover each other");
    }
  for (const QueuedText& t : composed_texts_) {
    const SDL_Point size = text_.extent(t.utf8, t.size);
    if (t.x + size.x + t.shadow > film_surface_.w || t.y + size.y + t.shadow > film_surface_.h)
      faults.push_back("film text \"" + t.utf8 + "\" runs past the film (" +
                       std::to_string(film_surface_.w) + " x " + std::to_string(film_surface_.h) +
                       " px)");
  }
  return faults;
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
  if (SDL_RenderReadPixels(renderer_.get(), nullptr, SDL_PIXELFORMAT_RGB24, out.rgb.data(),
                           width_ * 3) != 0)
    throw SdlError(with_sdl_reason("the cab picture cannot be read back"));
  return out;
}

CabPixels SdlCabScreen::read_window() {
  CabPixels out;
  // Drawn again as the last flip drew it: what a shown back buffer holds is the driver's.
  draw_output();
  out.width = place_.output_width;
  out.height = place_.output_height;
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  if (SDL_RenderReadPixels(renderer_.get(), nullptr, SDL_PIXELFORMAT_RGB24, out.rgb.data(),
                           out.width * 3) != 0)
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
    error = with_sdl_reason(
        file.string() +
        ": the screenshot cannot be written; check the folder exists and may be written to");
    return false;
  }
  return true;
}

}  // namespace velmora
