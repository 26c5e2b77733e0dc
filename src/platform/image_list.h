#pragma once
// The cab's picture collections as the loaders see them: a named picture read from a
// file, cut into equal patterns, with the sprites that draw it. Drawing and pattern
// changes belong to the sprite engine; this is only the building at start-up.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

// The collections pictures go into. Cab pictures are drawn by sprites; the animation and
// traffic-light lists only hold their pictures in order.
enum class PictureList { Cab, Animation, TrafficLight };

// One sprite drawing a picture, as it is created.
struct SpritePlace {
  int x = 0, y = 0;           // px, top-left corner on the cab surface
  int z = 0;                  // drawing order: higher is drawn later, in front
  int width = 0, height = 0;  // px; the pattern is stretched to this size
  bool visible = true;
  int opacity = 255;  // 0..255
};

struct PictureRequest {
  PictureList list = PictureList::Cab;
  std::string name;            // "img_unten_limit"; in the other lists the index in decimal
  std::filesystem::path file;  // an existing file
  int pattern_width = 0;       // px, one pattern; 0 with pattern_height 0: the whole picture
  int pattern_height = 0;      // px
  bool transparent = false;    // the colour of the bottom-left pixel is transparent
  std::vector<SpritePlace> sprites;
};

class ImageList {
 public:
  virtual ~ImageList() = default;
  // Reads the picture, cuts it into patterns and creates its sprites. False when the
  // picture cannot be read or decoded; nothing is then added.
  virtual bool load(const PictureRequest& request) = 0;
};

}  // namespace velmora
