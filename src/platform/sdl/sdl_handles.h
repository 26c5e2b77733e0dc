#pragma once
// Owners for the SDL objects the cab's drawing layer holds, and the error a failed SDL call
// becomes when the layer cannot go on without it.

#include <SDL.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace velmora {

struct SdlDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};

using SurfacePtr = std::unique_ptr<SDL_Surface, SdlDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, SdlDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, SdlDeleter>;

class SdlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `what`, followed by SDL's own reason for the call that just failed.
inline std::string with_sdl_reason(const std::string& what) {
  return what + " (" + SDL_GetError() + ")";
}

}  // namespace velmora
