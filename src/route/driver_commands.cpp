#include "route/driver_commands.h"

#include "route/protection.h"
#include "route/route_run.h"
#include "view/value_display.h"

namespace velmora {

void ats_reset_indication(const RouteRun& run) { ats_reset(run); }
void back_to_block_start(const RouteRun& run) {
  const auto& sig = run.route.signals;
  int& ff = run.view.film.film_frame;
  // The block the train is in starts at the last signal at or behind it; the train goes
  // to just before that signal so that the driver sees it again. Before the first signal
  // there is no block to go back to.
  for (std::size_t i = sig.size(); i-- > 0;) {
    if (sig[i].frame <= ff) {
      ff = sig[i].frame - 10;
      run.signals.signal_call_voice = kNoSignal;
      run.signals.signal_image_shown = 1000;  // drawn again on the next pass
      return;
    }
  }
}

void toggle_value_display(const RouteRun& run) {
  ValueDisplayState& d = run.view.value_display;
  d.visible = !d.visible;
  // The window opens with this pass's values rather than blank ones.
  value_display_step(run.view);
}

}  // namespace velmora
