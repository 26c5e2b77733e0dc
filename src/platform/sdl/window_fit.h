#pragma once
// The size a window opens at: its layout at the display's scale, made smaller until the
// window with its frame fits the display's usable area (the screen less its panels).

#include <SDL.h>

namespace velmora {

struct UsableArea {
  int x = 0, y = 0, width = 0, height = 0;  // the display's usable area, in window units
  float display_scale = 1;                  // the display's own scale (2 on a high-DPI one)
};

// The usable area and scale of the display `display` (0: the first); its whole bounds when
// the usable part is unknown.
UsableArea usable_area(int display);

// Output px per layout px for a layout of layout_width x layout_height px in a window whose
// frame (title bar and borders) takes frame_width x frame_height: the display's scale, or
// less so that it fits; never below 0.25.
float fit_window_scale(const UsableArea& area, int layout_width, int layout_height, int frame_width,
                       int frame_height);

// Where a window opens and how large, in the window system's units: at the usable area's
// top-left corner, at `scale` (0: as large as fits, with fit_window_scale).
struct WindowPlace {
  int x = 0, y = 0, width = 0, height = 0;
  float scale = 1;
};
WindowPlace window_place(const UsableArea& area, int layout_width, int layout_height, int frame_width,
                         int frame_height, float scale);

// Whether the window's opacity can fade it: SDL can set it and something composites the
// screen (an X server without a compositing manager ignores it).
bool window_opacity_works(SDL_Window* window);

}  // namespace velmora
