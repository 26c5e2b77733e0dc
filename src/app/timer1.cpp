#include "app/timer1.h"

#include "app/run.h"
#include "common/rounding.h"
#include "dynamics/brakes.h"
#include "dynamics/engine.h"
#include "dynamics/handles.h"
#include "dynamics/line_under_train.h"
#include "view/film.h"

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
  tunnel_step(run);
  sample_gradient(run);
  compressor_step(run);
  movie_switching(run);
  transmission_step(run);
  engine_state_step(run);
  rollback_protection(run);
}

}  // namespace velmora
