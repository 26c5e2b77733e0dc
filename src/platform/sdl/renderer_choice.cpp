#include "platform/sdl/renderer_choice.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace velmora {

bool gl_renderer_is_software(const std::string& gl_renderer) {
  std::string lower = gl_renderer;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const std::string_view name :
       {"llvmpipe", "softpipe", "swrast", "software rasterizer", "basic render driver"})
    if (lower.find(name) != std::string::npos) return true;
  return false;
}

RendererProbe probe_default_renderer() {
  RendererProbe probe;
  // Without a screen (the offscreen and dummy drivers) nothing is shown: drawing in memory
  // is all there is to do, and an OpenGL context made only to ask would be thrown away.
  const std::string_view driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if (driver == "offscreen" || driver == "dummy") {
    probe.software = true;
    probe.screen = false;
    probe.what = std::string(driver) + " video";
    return probe;
  }
  SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                        SDL_WINDOW_HIDDEN);
  if (!window) return probe;  // the window itself will say what is wrong
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
  SDL_RendererInfo info{};
  if (renderer && SDL_GetRendererInfo(renderer, &info) == 0) {
    probe.what = info.name;
    if (std::string_view(info.name).rfind("opengl", 0) == 0) {
      // The renderer's context is current once it is made.
      using GetString = const unsigned char* (*)(unsigned int);
      constexpr unsigned int kGlRenderer = 0x1F01;
      const auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
      const unsigned char* gl = get_string ? get_string(kGlRenderer) : nullptr;
      if (gl) {
        probe.what += std::string(" (") + reinterpret_cast<const char*>(gl) + ")";
        probe.software = gl_renderer_is_software(reinterpret_cast<const char*>(gl));
      }
    } else {
      probe.software = (info.flags & SDL_RENDERER_ACCELERATED) == 0;
    }
  }
  if (renderer) SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  return probe;
}

}  // namespace velmora
