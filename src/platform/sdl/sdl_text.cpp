#include "platform/sdl/sdl_text.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "platform/sdl/sdl_handles.h"

namespace velmora {

namespace {

constexpr SDL_Color kShadow = {0, 0, 0, 255};
// Texts kept as textures. The clock and the distances make new texts all the time; at this
// many, the half least recently drawn go. (Dropping them all made every text on the screen
// be made again in one frame.)
constexpr std::size_t kCachedTexts = 512;

}  // namespace

SdlText::SdlText(std::filesystem::path font_file, int style)
    : font_file_(std::move(font_file)), style_(style) {
  std::error_code failed;
  const auto bytes = std::filesystem::file_size(font_file_, failed);
  std::ifstream in(font_file_, std::ios::binary);
  if (!failed && in && bytes > 0 && bytes < (1u << 30)) {
    font_bytes_.resize(static_cast<std::size_t>(bytes));
    if (!in.read(font_bytes_.data(), static_cast<std::streamsize>(bytes))) font_bytes_.clear();
  }
}

SdlText::~SdlText() {
  cache_.clear();
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
  SDL_RWops* source =
      font_bytes_.empty()
          ? nullptr
          : SDL_RWFromConstMem(font_bytes_.data(), static_cast<int>(font_bytes_.size()));
  TTF_Font* opened = source == nullptr ? nullptr : TTF_OpenFontRW(source, 1, size);
  if (opened == nullptr) {
    error_ = with_sdl_reason(font_file_.string() +
                             ": the cab's font cannot be opened; install fonts-ipafont-gothic");
    return nullptr;
  }
  TTF_SetFontStyle(opened, style_);
  fonts_[size].reset(opened);
  return opened;
}

bool SdlText::draw(SDL_Renderer* renderer, int x, int y, const std::string& utf8, int size,
                   SDL_Color colour, int shadow) {
  if (utf8.empty()) return true;
  TTF_Font* f = font(size);
  if (f == nullptr) return false;
  if (shadow > 0 && !draw_once(renderer, f, size, x + shadow, y + shadow, utf8, kShadow))
    return false;
  return draw_once(renderer, f, size, x, y, utf8, colour);
}

const SdlText::Drawn* SdlText::drawn(SDL_Renderer* renderer, TTF_Font* f, int size,
                                     const std::string& utf8, SDL_Color colour) {
  if (renderer != cached_for_) {
    cache_.clear();
    cached_for_ = renderer;
  }
  if (cache_.size() >= kCachedTexts) drop_older_half();
  std::string key = std::to_string(size) + ' ' + std::to_string(colour.r) + ',' +
                    std::to_string(colour.g) + ',' + std::to_string(colour.b) + ',' +
                    std::to_string(colour.a) + ' ' + utf8;
  const auto known = cache_.find(key);
  if (known != cache_.end()) {
    known->second.used = ++uses_;
    return &known->second;
  }
  const SurfacePtr pixels(TTF_RenderUTF8_Blended(f, utf8.c_str(), colour));
  if (!pixels) {
    error_ = with_sdl_reason("the text \"" + utf8 + "\" cannot be drawn");
    return nullptr;
  }
  TexturePtr texture(SDL_CreateTextureFromSurface(renderer, pixels.get()));
  if (!texture) {
    error_ = with_sdl_reason("the text \"" + utf8 + "\" cannot be put into a texture");
    return nullptr;
  }
  SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_BLEND);
  return &cache_.emplace(std::move(key), Drawn{std::move(texture), pixels->w, pixels->h, ++uses_})
              .first->second;
}

void SdlText::drop_older_half() {
  std::vector<std::uint64_t> used;
  used.reserve(cache_.size());
  for (const auto& [key, d] : cache_) used.push_back(d.used);
  const auto middle = used.begin() + static_cast<std::ptrdiff_t>(used.size() / 2);
  std::nth_element(used.begin(), middle, used.end());
  std::erase_if(cache_, [newest_dropped = *middle](const auto& entry) {
    return entry.second.used < newest_dropped;
  });
}

bool SdlText::draw_once(SDL_Renderer* renderer, TTF_Font* f, int size, int x, int y,
                        const std::string& utf8, SDL_Color colour) {
  const Drawn* d = drawn(renderer, f, size, utf8, colour);
  if (d == nullptr) return false;
  const SDL_Rect place{x, y, d->width, d->height};
  return SDL_RenderCopy(renderer, d->texture.get(), nullptr, &place) == 0;
}

int SdlText::width(const std::string& utf8, int size) { return extent(utf8, size).x; }

SDL_Point SdlText::extent(const std::string& utf8, int size) {
  TTF_Font* f = font(size);
  int w = 0, h = 0;
  if (f == nullptr || utf8.empty() || TTF_SizeUTF8(f, utf8.c_str(), &w, &h) != 0) return {0, 0};
  return {w, h};
}

}  // namespace velmora
