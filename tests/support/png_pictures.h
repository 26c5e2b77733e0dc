#pragma once
// PNG pictures the programs saved, read back as 24-bit RGB for pixel checks.

#include <SDL.h>
#include <SDL_image.h>

#include <filesystem>
#include <memory>

namespace velmora_scenario {

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Picture = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Null when the file is missing or is no picture.
inline Picture read_png(const std::filesystem::path& file) {
  Picture decoded(IMG_Load(file.string().c_str()));
  if (!decoded) return nullptr;
  return Picture(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_RGB24, 0));
}

}  // namespace velmora_scenario
