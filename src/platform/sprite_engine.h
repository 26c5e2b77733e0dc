#pragma once
// The sprites of the cab's drawing layer. The image list makes them when it loads a picture
// (image_list.h); from then on the cab moves, turns, shows, hides and switches them between
// the patterns of their picture. Sprites are numbered in creation order from 0.

#include <string>
#include <vector>

namespace velmora {

class SpriteEngine {
 public:
  static constexpr int kFullTurn = 1024;  // rotation units in one turn

  virtual ~SpriteEngine() = default;
  // The sprites of the cab picture of that name (matched without regard to letter case), in
  // the order they were made; empty when there is no such picture.
  virtual std::vector<int> sprites_of(const std::string& picture) = 0;
  // How many patterns the sprite's picture is cut into.
  virtual int pattern_count(int sprite) = 0;
  virtual void set_visible(int sprite, bool visible) = 0;
  virtual void set_pattern(int sprite, int pattern) = 0;
  virtual void set_position(int sprite, int x, int y) = 0;
  // The size the pattern is stretched to, px.
  virtual void set_size(int sprite, int width, int height) = 0;
  // Rotation about the picture's centre in 1/1024 turns, clockwise on screen; the layer
  // rounds it to the nearest unit.
  virtual void set_angle(int sprite, long double units) = 0;
};

}  // namespace velmora
