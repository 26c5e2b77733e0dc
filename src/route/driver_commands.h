#pragma once
// What the driver's keys ask of the route subsystems, the calls and the displays.
//
// The door switch is Door_operate (route/doors.h); Enter and the announcement keys are the
// calls' (sound/enter_call.h, sound/announcements.h); the value display's own buttons are in
// view/value_display.h.

namespace velmora {

struct Run;

void ats_confirm(Run& run);           // the protection's confirmation button (route/protection.h)
void ats_reset_indication(Run& run);  // protection lamps and pattern back to normal
void back_to_block_start(Run& run);   // Shift+F3: to just before the signal behind the train
void toggle_value_display(Run& run);  // F3: shown filled at once, or hidden

}  // namespace velmora
