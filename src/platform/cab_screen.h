#pragma once
// The cab window's drawing device as the frame sees it: whether it can draw, one
// composed picture (black fill, film picture, sprites), the closing fade and the flip.

#include <memory>
#include <string>

#include "platform/film_picture.h"

namespace velmora {

class CabScreen {
 public:
  virtual ~CabScreen() = default;
  // The picture of the film area for this pass (the same one again when nothing new was
  // decoded); the on-film texts are drawn over it.
  virtual void set_film_picture(const std::shared_ptr<const FilmPicture>& picture) = 0;
  // False while the device is not initialised or has lost its surfaces; the frame is
  // then skipped, simulation steps included.
  virtual bool can_draw() = 0;
  // A text over the film picture for the next compose only: white, `size` px to the em, its
  // top-left corner at (x, y), after a black copy `shadow` px right of and below it (0: none).
  virtual void draw_text(int x, int y, const std::string& utf8, int size, int shadow) = 0;
  // The width in px a text takes at that size.
  virtual int text_width(const std::string& utf8, int size) = 0;
  // Black fill, the film picture at (0, 0), its texts, then every visible sprite.
  virtual void compose() = 0;
  // Window opacity for the closing fade, 0 (clear) to 255 (opaque).
  virtual void set_opacity(int opacity) = 0;
  // Shows the composed picture.
  virtual void flip() = 0;
};

}  // namespace velmora
