#pragma once
// One cab picture as the drawing layer holds it: a texture of the whole file and the grid of
// equal patterns it is cut into. Patterns are numbered left to right, then top to bottom.

#include <SDL.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/sdl/sdl_handles.h"

namespace velmora {

struct SdlPicture {
  TexturePtr texture;
  int width = 0, height = 0;                  // px, the whole picture
  int pattern_width = 0, pattern_height = 0;  // px, one pattern
  int columns = 0, rows = 0;                  // whole patterns across and down

  int pattern_count() const { return columns * rows; }
  // Where pattern `n` lies in the picture; false for a number outside 0..count-1.
  bool pattern_rect(int n, SDL_Rect& rect) const;
};

// Reads a BMP, PNG or JPEG file into 32-bit pixels with alpha (SDL_PIXELFORMAT_ARGB8888).
// With `transparent`, every pixel of the bottom-left pixel's colour becomes fully clear.
// Null on failure, with a reason naming the file in `error`.
SurfacePtr read_picture_pixels(const std::filesystem::path& file, bool transparent,
                               std::string& error);

// A texture of `pixels` (as read_picture_pixels gives them) cut into patterns of the given
// size; a size of 0 takes the whole picture in that direction. Null on failure, with the
// reason in `error`.
std::shared_ptr<SdlPicture> make_picture(SDL_Renderer* renderer, SDL_Surface* pixels,
                                         int pattern_width, int pattern_height,
                                         std::string& error);

}  // namespace velmora
