#include "platform/sdl/sdl_text.h"

#include "platform/sdl/sdl_handles.h"

namespace velmora {

namespace {

constexpr SDL_Color kShadow = {0, 0, 0, 255};

}  // namespace

SdlText::~SdlText() {
  fonts_.clear();  // before the library goes
  if (ttf_started_) TTF_Quit();
}

TTF_Font* SdlText::font(int size) {
  const auto known = fonts_.find(size);
  if (known != fonts_.end()) return known->second.get();
  if (size <= 0) {
    error_ = "a text size of " + std::to_string(size) + " px cannot be drawn";
    return nullptr;
  }
  if (!ttf_started_) {
    if (TTF_Init() != 0) {
      error_ = with_sdl_reason("the font library cannot be started");
      return nullptr;
    }
    ttf_started_ = true;
  }
  TTF_Font* opened = TTF_OpenFont(font_file_.string().c_str(), size);
  if (opened == nullptr) {
    error_ = with_sdl_reason(font_file_.string() +
                             ": the cab's font cannot be opened; install fonts-ipafont-gothic");
    return nullptr;
  }
  TTF_SetFontStyle(opened, TTF_STYLE_BOLD | TTF_STYLE_ITALIC);
  fonts_[size].reset(opened);
  return opened;
}

bool SdlText::draw(SDL_Renderer* renderer, int x, int y, const std::string& utf8, int size,
                   SDL_Color colour, int shadow) {
  if (utf8.empty()) return true;
  TTF_Font* f = font(size);
  if (f == nullptr) return false;
  if (shadow > 0 && !draw_once(renderer, f, x + shadow, y + shadow, utf8, kShadow)) return false;
  return draw_once(renderer, f, x, y, utf8, colour);
}

bool SdlText::draw_once(SDL_Renderer* renderer, TTF_Font* f, int x, int y,
                        const std::string& utf8, SDL_Color colour) {
  const SurfacePtr pixels(TTF_RenderUTF8_Blended(f, utf8.c_str(), colour));
  if (!pixels) {
    error_ = with_sdl_reason("the text \"" + utf8 + "\" cannot be drawn");
    return false;
  }
  const TexturePtr texture(SDL_CreateTextureFromSurface(renderer, pixels.get()));
  if (!texture) {
    error_ = with_sdl_reason("the text \"" + utf8 + "\" cannot be put into a texture");
    return false;
  }
  SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_BLEND);
  const SDL_Rect place{x, y, pixels->w, pixels->h};
  return SDL_RenderCopy(renderer, texture.get(), nullptr, &place) == 0;
}

int SdlText::width(const std::string& utf8, int size) {
  TTF_Font* f = font(size);
  int w = 0, h = 0;
  if (f == nullptr || utf8.empty() || TTF_SizeUTF8(f, utf8.c_str(), &w, &h) != 0) return 0;
  return w;
}

}  // namespace velmora
