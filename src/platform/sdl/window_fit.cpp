#include "platform/sdl/window_fit.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace velmora {

namespace {

constexpr float kDesktopDpi = 96;  // the DPI of a display at scale 1

}  // namespace

UsableArea usable_area(int display) {
  UsableArea a;
  SDL_Rect r{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(display, &r) != 0 || r.w <= 0 || r.h <= 0) SDL_GetDisplayBounds(display, &r);
  a.x = r.x, a.y = r.y, a.width = r.w, a.height = r.h;
  float ddpi = 0;
  // A DPI well above the desktop's is a high-DPI display; a quarter step is as fine as
  // desktops set it. Displays that report nothing sensible count as 1.
  if (SDL_GetDisplayDPI(display, &ddpi, nullptr, nullptr) == 0 && ddpi >= 1.2f * kDesktopDpi && ddpi < 8 * kDesktopDpi)
    a.display_scale = std::round(ddpi / kDesktopDpi * 4) / 4;
  return a;
}

float fit_window_scale(const UsableArea& area, int layout_width, int layout_height, int frame_width,
                       int frame_height) {
  float scale = area.display_scale > 0 ? area.display_scale : 1;
  if (area.width > 0 && area.height > 0 && layout_width > 0 && layout_height > 0) {
    const float fits = std::min(static_cast<float>(area.width - frame_width) / layout_width,
                                static_cast<float>(area.height - frame_height) / layout_height);
    scale = std::min(scale, fits);
  }
  return std::max(scale, 0.25f);
}

WindowPlace window_place(const UsableArea& area, int layout_width, int layout_height, int frame_width,
                         int frame_height, float scale) {
  WindowPlace p;
  p.scale = scale > 0 ? scale : fit_window_scale(area, layout_width, layout_height, frame_width, frame_height);
  p.x = area.x;
  p.y = area.y;
  p.width = static_cast<int>(std::lround(layout_width * p.scale));
  p.height = static_cast<int>(std::lround(layout_height * p.scale));
  return p;
}

bool window_opacity_works(SDL_Window* window) {
  float opacity = 0;
  if (window == nullptr || SDL_GetWindowOpacity(window, &opacity) != 0) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info)) return false;
  if (info.subsystem != SDL_SYSWM_X11) return info.subsystem != SDL_SYSWM_UNKNOWN;
  // X11 takes the opacity as a hint for a compositing manager, which owns this selection.
  Display* display = info.info.x11.display;
  const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
  return XGetSelectionOwner(display, XInternAtom(display, name.c_str(), False)) != None;
}

}  // namespace velmora
