#include "app/timer1.h"

#include "app/run.h"
#include "common/rounding.h"
#include "dynamics/handles.h"

namespace velmora {

void count_tenths(Run& run) {
  FrameState& f = run.frame;
  f.tenth_acc += round_half_away(f.frame_ms);
  while (f.tenth_acc > 100) {
    ++f.tenth_count;
    f.tenth_acc -= 100;
  }
}

void Timer1(Run& run) {
  count_tenths(run);
  // The route subsystems join here in the order above as they are built.
  rollback_protection(run);
}

}  // namespace velmora
