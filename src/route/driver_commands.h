#pragma once
// What the driver's keys ask of the route subsystems, the calls and the displays.
//
// The door switch is Door_operate (route/doors.h); Enter and the announcement keys are the
// calls' (sound/enter_call.h, sound/announcements.h); the value display's own buttons are in
// view/value_display.h.

#include "route/route_run.h"

namespace velmora {

void ats_confirm(const RouteRun& run);  // the protection's confirmation button (route/protection.h)
void ats_reset_indication(const RouteRun& run);  // protection lamps and pattern back to normal
void back_to_block_start(
    const RouteRun& run);  // Shift+F3: to just before the signal behind the train
void toggle_value_display(const RouteRun& run);  // F3: shown filled at once, or hidden

}  // namespace velmora
