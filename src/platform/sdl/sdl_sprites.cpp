#include "platform/sdl/sdl_sprites.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

namespace {

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Whole units in 0..1023; a value that is no number leaves the sprite unturned.
int whole_units(long double units) {
  if (!std::isfinite(units)) return 0;
  long double turn = std::fmod(std::round(units), static_cast<long double>(SpriteEngine::kFullTurn));
  if (turn < 0) turn += SpriteEngine::kFullTurn;
  return static_cast<int>(turn) % SpriteEngine::kFullTurn;
}

}  // namespace

int SdlSprites::add(const std::string& name, std::shared_ptr<const SdlPicture> picture,
                    const SpritePlace& place) {
  const int number = count();
  sprites_.push_back({lower(name), std::move(picture), place, 0, 0});
  changed_ = true;
  // After every sprite of the same Z, so equal Z keeps the order of making.
  const auto at = std::upper_bound(order_.begin(), order_.end(), place.z, [this](int z, int other) {
    return z < sprites_[static_cast<std::size_t>(other)].place.z;
  });
  order_.insert(at, number);
  return number;
}

std::vector<int> SdlSprites::sprites_of(const std::string& picture) {
  const std::string wanted = lower(picture);
  std::vector<int> out;
  for (std::size_t i = 0; i < sprites_.size(); ++i)
    if (sprites_[i].lower_name == wanted) out.push_back(static_cast<int>(i));
  return out;
}

int SdlSprites::pattern_count(int sprite) {
  return valid(sprite) ? sprites_[static_cast<std::size_t>(sprite)].picture->pattern_count() : 0;
}

void SdlSprites::set_visible(int sprite, bool visible) {
  if (valid(sprite)) changed_ |= std::exchange(sprites_[static_cast<std::size_t>(sprite)].place.visible, visible) != visible;
}

void SdlSprites::set_pattern(int sprite, int pattern) {
  if (valid(sprite)) changed_ |= std::exchange(sprites_[static_cast<std::size_t>(sprite)].pattern, pattern) != pattern;
}

void SdlSprites::set_position(int sprite, int x, int y) {
  if (!valid(sprite)) return;
  SpritePlace& place = sprites_[static_cast<std::size_t>(sprite)].place;
  changed_ |= place.x != x || place.y != y;
  place.x = x;
  place.y = y;
}

void SdlSprites::set_size(int sprite, int width, int height) {
  if (!valid(sprite)) return;
  SpritePlace& place = sprites_[static_cast<std::size_t>(sprite)].place;
  changed_ |= place.width != width || place.height != height;
  place.width = width;
  place.height = height;
}

void SdlSprites::set_angle(int sprite, long double units) {
  if (!valid(sprite)) return;
  const int angle = whole_units(units);
  changed_ |= std::exchange(sprites_[static_cast<std::size_t>(sprite)].angle, angle) != angle;
}

int SdlSprites::angle(int sprite) const {
  return valid(sprite) ? sprites_[static_cast<std::size_t>(sprite)].angle : -1;
}

void SdlSprites::draw(SDL_Renderer* renderer) const {
  for (const int number : order_) {
    const Sprite& s = sprites_[static_cast<std::size_t>(number)];
    SDL_Rect source;
    if (!s.place.visible || !s.picture->pattern_rect(s.pattern, source)) continue;
    const SDL_Rect place{s.place.x, s.place.y, s.place.width > 0 ? s.place.width : source.w,
                         s.place.height > 0 ? s.place.height : source.h};
    SDL_Texture* texture = s.picture->texture.get();
    SDL_SetTextureAlphaMod(texture, static_cast<Uint8>(std::clamp(s.place.opacity, 0, 255)));
    if (s.angle == 0) {
      SDL_RenderCopy(renderer, texture, &source, &place);
    } else {
      const double degrees = s.angle * 360.0 / kFullTurn;
      SDL_RenderCopyEx(renderer, texture, &source, &place, degrees, nullptr, SDL_FLIP_NONE);
    }
  }
}

bool SdlSprites::valid(int sprite) const {
  return sprite >= 0 && sprite < count();
}

}  // namespace velmora
