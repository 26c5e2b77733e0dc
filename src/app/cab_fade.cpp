#include "app/cab_fade.h"

namespace velmora {

void start_fade(Run& run) { run.frame.fade_alpha = 1; }

void step_fade(Run& run) {
  FrameState& f = run.frame;
  if (f.fade_alpha <= 0) return;
  if (run.options.opt_effects_off == 1) f.fade_alpha = 256;
  // Opacity is a byte: with the effects off, 255 - 256 wraps to fully opaque and the
  // window closes without ever fading.
  run.platform.screen.set_opacity((255 - f.fade_alpha) & 0xFF);
  f.fade_alpha += 5;
  if (f.fade_alpha > 255) {
    f.fade_alpha = 0;
    f.close_requested = true;
  }
}

}  // namespace velmora
