#include "window_shot.h"

#include <SDL_image.h>

#include <iostream>

#include "platform/sdl/sdl_handles.h"

namespace velmora {

void save_window_shot(SDL_Renderer* r, const std::filesystem::path& file) {
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(r, &w, &h);
  SurfacePtr pixels(SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_RGB24));
  // Read in the output's own px, whatever logical size the layout has.
  SDL_Rect all{0, 0, w, h};
  int lw = 0, lh = 0;
  SDL_RenderGetLogicalSize(r, &lw, &lh);
  SDL_RenderSetLogicalSize(r, 0, 0);
  const bool read = pixels && SDL_RenderReadPixels(r, &all, SDL_PIXELFORMAT_RGB24, pixels->pixels,
                                                   pixels->pitch) == 0;
  SDL_RenderSetLogicalSize(r, lw, lh);
  if (!read || IMG_SavePNG(pixels.get(), file.string().c_str()) != 0)
    std::cerr << "velmora: " << file.string() << ": the screenshot cannot be written ("
              << SDL_GetError() << ")\n";
}

}  // namespace velmora
