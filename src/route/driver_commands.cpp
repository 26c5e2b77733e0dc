#include "route/driver_commands.h"

namespace velmora {

void ats_confirm(Run&) {}
void ats_reset_indication(Run&) {}
void announce_next(Run&) {}
void announce_previous(Run&) {}
void enter_call(Run&) {}
void back_to_block_start(Run&) {}
void toggle_value_display(Run&) {}

}  // namespace velmora
