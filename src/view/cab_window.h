#pragma once
// The cab window around the cab surface: the fifteen labels beside the film, the staff
// timetable and the sub display pictures, and the text mode that shows or hides the labels.

#include <array>

#include "platform/cab_screen.h"
#include "view/text_state.h"
#include "view/view_run.h"

namespace velmora {

struct CabLabelPlace {
  CabLabel label;
  WindowLabel place;
};
extern const std::array<CabLabelPlace, 15> kCabLabels;
inline constexpr int kSubDisplayLeft = 798, kSubDisplayTop = 457;

// Start-up: reads the route's three [Staf] pictures into their places. A named picture that
// cannot be read stops the start with its name and "が見つかりません".
void load_window_pictures(const ViewRun& run);

// Every frame, before the picture is shown: the labels, in label mode only.
void cab_window_step(const ViewRun& run);

// The Display menu's text mode: 1 the labels, 0 the texts drawn on the film.
void set_text_mode(Options& options, int mode);

}  // namespace velmora
