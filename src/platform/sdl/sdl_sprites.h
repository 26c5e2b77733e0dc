#pragma once
// The cab's sprites on SDL: each draws one pattern of its picture at its place, stretched to
// its size, turned about its centre and blended by its opacity. Sprites draw in ascending Z,
// equal Z in the order they were made.

#include <SDL.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/image_list.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sprite_engine.h"

namespace velmora {

class SdlSprites final : public SpriteEngine {
 public:
  // Makes a sprite of the picture called `name` (which it keeps alive); returns its number.
  int add(const std::string& name, std::shared_ptr<const SdlPicture> picture,
          const SpritePlace& place);

  std::vector<int> sprites_of(const std::string& picture) override;
  int pattern_count(int sprite) override;
  void set_visible(int sprite, bool visible) override;
  void set_pattern(int sprite, int pattern) override;
  void set_position(int sprite, int x, int y) override;
  void set_size(int sprite, int width, int height) override;
  void set_angle(int sprite, long double units) override;

  // Draws every visible sprite onto the renderer's current target. A sprite whose pattern is
  // outside its picture draws nothing.
  void draw(SDL_Renderer* renderer) const;

  int count() const { return static_cast<int>(sprites_.size()); }
  // What the sprites made or changed since the last call cover, where they were and where
  // they are now; empty (w 0) when none changed.
  SDL_Rect take_changed_area();
  // `area` grown until no stretched, unturned sprite lies partly in it: SDL clips a stretched
  // copy by rounding its source, so one drawn in part may not match one drawn whole.
  SDL_Rect with_whole_stretched(SDL_Rect area) const;
  // The rotation a sprite is drawn with, in whole units of 0..1023; -1 for no such sprite.
  int angle(int sprite) const;

 private:
  struct Sprite {
    std::string lower_name;  // names match without regard to letter case
    std::shared_ptr<const SdlPicture> picture;
    SpritePlace place;
    int pattern = 0;
    int angle = 0;  // whole units, 0..1023
  };

  bool valid(int sprite) const;
  // Where a sprite draws, turned or not, a px of SDL's rounding included; empty when hidden.
  SDL_Rect covered(const Sprite& s) const;
  // Notes where a sprite is, before it changes.
  void touch(int sprite);

  std::vector<Sprite> sprites_;
  std::vector<int> order_;  // sprite numbers in drawing order, kept as sprites are made
  SDL_Rect changed_area_{};
  // Changed since the last take_changed_area; where they are then counts too.
  std::vector<int> touched_;
};

}  // namespace velmora
