#pragma once
// The value display: a diagnostic window (F3) that shows the run's inner values as text,
// the brake-cylinder and electric-brake bars, the sound-channel monitor, the signal table
// and the protection log, with four switches: SU再読込 (read the route's [SpeedUnit] table
// again), jump (to a typed film frame), 抵抗解除, and a click on a channel that stops it.
//
// The window layer draws from value_display_tables.h and from ValueDisplayState; this module
// fills the state and carries out the clicks.

#include <string>
#include <string_view>

#include "view/value_display_tables.h"
#include "view/view_run.h"

namespace velmora {

// Route step, after the caption and before the explanation line; only while the window is
// shown: every value, the bars, the signal table and the channel monitor.
void value_display_step(const ViewRun& run);

// "SU再読込": reads the route file again and replaces the [SpeedUnit] table and the places
// derived from it. A file that fails keeps the old table and the run goes on; the failure's
// messages go to ValueDisplayState::message. `route` is the run's route data, which the view
// otherwise only reads.
void su_reload(const ViewRun& run, RouteData& route);

// "jump": film_frame := the whole number typed into jump_text. Other text changes nothing
// and is reported in `message`.
void value_jump(const ViewRun& run);

// "抵抗解除".
void toggle_speed_hold(const ViewRun& run);

// A click on the channel monitor: stops channel 10 row + column. Clicks outside the grid do
// nothing.
void channel_cell_click(const ViewRun& run, int column, int row);

// The window's caption: the serial master controller shows each line it sends there.
void set_value_display_caption(ValueDisplayState& display, std::string_view caption);

// The protection's log line, also kept for the window's memo (the newest kValueLogLines).
void value_display_log(ValueDisplayState& display, const std::string& line);

}  // namespace velmora
