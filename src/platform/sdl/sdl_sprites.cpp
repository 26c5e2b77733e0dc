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
  long double turn =
      std::fmod(std::round(units), static_cast<long double>(SpriteEngine::kFullTurn));
  if (turn < 0) turn += SpriteEngine::kFullTurn;
  return static_cast<int>(turn) % SpriteEngine::kFullTurn;
}

}  // namespace

int SdlSprites::add(const std::string& name, std::shared_ptr<const SdlPicture> picture,
                    const SpritePlace& place) {
  const int number = count();
  sprites_.push_back({lower(name), std::move(picture), place, 0, 0});
  touched_.push_back(number);
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
  if (!valid(sprite) || sprites_[static_cast<std::size_t>(sprite)].place.visible == visible) return;
  touch(sprite);
  sprites_[static_cast<std::size_t>(sprite)].place.visible = visible;
}

void SdlSprites::set_pattern(int sprite, int pattern) {
  if (!valid(sprite) || sprites_[static_cast<std::size_t>(sprite)].pattern == pattern) return;
  touch(sprite);
  sprites_[static_cast<std::size_t>(sprite)].pattern = pattern;
}

void SdlSprites::set_position(int sprite, int x, int y) {
  if (!valid(sprite)) return;
  SpritePlace& place = sprites_[static_cast<std::size_t>(sprite)].place;
  if (place.x == x && place.y == y) return;
  touch(sprite);
  place.x = x;
  place.y = y;
}

void SdlSprites::set_size(int sprite, int width, int height) {
  if (!valid(sprite)) return;
  SpritePlace& place = sprites_[static_cast<std::size_t>(sprite)].place;
  if (place.width == width && place.height == height) return;
  touch(sprite);
  place.width = width;
  place.height = height;
}

void SdlSprites::set_angle(int sprite, long double units) {
  if (!valid(sprite)) return;
  const int angle = whole_units(units);
  if (sprites_[static_cast<std::size_t>(sprite)].angle == angle) return;
  touch(sprite);
  sprites_[static_cast<std::size_t>(sprite)].angle = angle;
}

void SdlSprites::touch(int sprite) {
  if (std::find(touched_.begin(), touched_.end(), sprite) != touched_.end()) return;
  const SDL_Rect was = covered(sprites_[static_cast<std::size_t>(sprite)]);
  SDL_UnionRect(&changed_area_, &was, &changed_area_);
  touched_.push_back(sprite);
}

SDL_Rect SdlSprites::take_changed_area() {
  for (const int sprite : touched_) {
    const SDL_Rect now = covered(sprites_[static_cast<std::size_t>(sprite)]);
    SDL_UnionRect(&changed_area_, &now, &changed_area_);
  }
  touched_.clear();
  return std::exchange(changed_area_, SDL_Rect{});
}

SDL_Rect SdlSprites::covered(const Sprite& s) const {
  SDL_Rect source;
  if (!s.place.visible || !s.picture->pattern_rect(s.pattern, source)) return {};
  const int w = s.place.width > 0 ? s.place.width : source.w;
  const int h = s.place.height > 0 ? s.place.height : source.h;
  if (s.angle == 0) return {s.place.x - 1, s.place.y - 1, w + 2, h + 2};
  // Turned about its centre: whatever the angle, inside the circle through its corners.
  const int r = static_cast<int>(std::ceil(std::hypot(w, h) / 2)) + 2;
  const int cx = s.place.x + w / 2, cy = s.place.y + h / 2;
  return {cx - r, cy - r, 2 * r, 2 * r};
}

SDL_Rect SdlSprites::with_whole_stretched(SDL_Rect area) const {
  for (bool grew = true; grew && area.w > 0;) {
    grew = false;
    for (const Sprite& s : sprites_) {
      SDL_Rect source, both;
      if (s.angle != 0 || !s.place.visible || !s.picture->pattern_rect(s.pattern, source)) continue;
      const bool stretched = (s.place.width > 0 && s.place.width != source.w) ||
                             (s.place.height > 0 && s.place.height != source.h);
      const SDL_Rect at = covered(s);
      if (!stretched || !SDL_IntersectRect(&area, &at, &both) || (both.w == at.w && both.h == at.h))
        continue;
      SDL_UnionRect(&area, &at, &area);
      grew = true;
    }
  }
  return area;
}

int SdlSprites::angle(int sprite) const {
  return valid(sprite) ? sprites_[static_cast<std::size_t>(sprite)].angle : -1;
}

void SdlSprites::draw(SDL_Renderer* renderer) const {
  // Sprites wholly outside the clip are passed by: SDL would turn each one's picture anew
  // only to draw none of it.
  SDL_Rect clip, both;
  SDL_RenderGetClipRect(renderer, &clip);
  const bool clipped = SDL_RenderIsClipEnabled(renderer) == SDL_TRUE;
  for (const int number : order_) {
    const Sprite& s = sprites_[static_cast<std::size_t>(number)];
    SDL_Rect source;
    if (!s.place.visible || !s.picture->pattern_rect(s.pattern, source)) continue;
    const SDL_Rect at = covered(s);
    if (clipped && !SDL_IntersectRect(&clip, &at, &both)) continue;
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

bool SdlSprites::valid(int sprite) const { return sprite >= 0 && sprite < count(); }

}  // namespace velmora
