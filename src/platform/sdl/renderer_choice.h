#pragma once
// Which of SDL's renderers the windows draw with. Without a graphics processor, OpenGL is
// Mesa's own software rasteriser, which costs more than SDL's software renderer for the
// same picture: the program then takes the software renderer by itself.

#include <string>

namespace velmora {

enum class RendererChoice { automatic, software, accelerated };

// Whether an OpenGL renderer string (GL_RENDERER) names a rasteriser that runs on the
// processor: llvmpipe, softpipe, swrast, Windows' basic render driver.
bool gl_renderer_is_software(const std::string& gl_renderer);

struct RendererProbe {
  bool software = false;  // the renderer SDL would choose draws without a graphics processor
  std::string what;       // the renderer's name, and its GL_RENDERER where it has one
  bool screen = true;     // false: a video driver that shows nothing (offscreen, dummy)
};

// Asks SDL, on a hidden window, which renderer it would choose and what draws behind it.
// SDL's video must be initialised.
RendererProbe probe_default_renderer();

}  // namespace velmora
