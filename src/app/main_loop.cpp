#include "app/main_loop.h"

#include "app/cab_fade.h"
#include "app/drive_report.h"
#include "app/load_compensation.h"
#include "app/startup.h"
#include "app/timer1.h"
#include "app/train_steps.h"
#include "common/rounding.h"
#include "dynamics/cab_sway.h"
#include "dynamics/motion.h"
#include "input/keyboard.h"
#include "sound/announcements.h"
#include "sound/sound_step.h"
#include "view/cab_window.h"
#include "view/drive_texts.h"
#include "view/film.h"
#include "view/instruments.h"
#include "view/overlays.h"

namespace velmora {
namespace {

constexpr long double kFrameMs = 16.667L;       // the frame period: 60 frames a second
constexpr long double kSleepUntilMs = 15.667L;  // sleep before this, yield after it
constexpr long double kLateFrameMs = 20.0L;     // a frame after a pause or a dialog
constexpr long double kLongestGapMs = 1000.0L;

}  // namespace

bool AppIdle(Run& run) {
  FrameState& f = run.frame;
  if (!f.app_ready) return false;

  Clock& clock = run.platform.clock;
  const std::int64_t counter = clock.counter();
  const std::int64_t frequency = clock.frequency();
  f.clock_now = static_cast<long double>(counter) / frequency;
  f.frame_ms = static_cast<long double>(counter - f.counter_prev) * 1000.0L / frequency;
  if (f.frame_ms > kLongestGapMs) f.frame_ms = kLateFrameMs;
  if (f.frame_ms == 0) f.frame_ms = 1;  // no division by zero below
  f.fps = static_cast<int>(round_half_even(1000.0L / f.frame_ms));

  if (f.frame_ms < kFrameMs) {
    clock.sleep_ms(f.frame_ms <= kSleepUntilMs ? 1 : 0);
    return false;
  }
  f.clock_prev = f.clock_now;
  f.counter_prev = counter;
  run_frame(run);
  // The window closes once the handler has returned, after the whole frame.
  if (f.close_requested) FormCloseQuery(run);
  return true;
}

namespace {

bool frame_due_at(Run& run, std::int64_t counter) {
  const long double ms = static_cast<long double>(counter - run.frame.counter_prev) * 1000.0L /
                         run.platform.clock.frequency();
  return ms >= kFrameMs;
}

}  // namespace

bool frame_due(Run& run) { return frame_due_at(run, run.platform.clock.counter()); }

std::int64_t next_frame_at(Run& run) {
  const std::int64_t frequency = run.platform.clock.frequency();
  std::int64_t due =
      run.frame.counter_prev + static_cast<std::int64_t>(kFrameMs * frequency / 1000.0L);
  // The tick at which the pass itself finds the frame due, whatever the rounding.
  while (!frame_due_at(run, due)) ++due;
  return due;
}

void run_frame(Run& run) {
  FrameState& f = run.frame;
  ++f.frames_run;

  compensate_load(run);
  f.sway_offset = static_cast<int>(round_half_away(25 * run.train.sway.sway_pos)) - 10;
  f.accel_prev = accel_from_forces(run.train.motion.traction_force, run.train.motion.resist_force,
                                   run.load.total_mass);

  advance_film_frame(run.train.motion, run.film.frame_accum, run.film.film_frame, run.ui.film_fps,
                     f.frame_ms);
  show_film_frame(run);
  draw_film_texts(run);
  // Painting (on-film texts, instruments, trackside markers) goes here; the held keys are
  // read for the sounds, which start and stop with it.
  instruments_step(run);
  overlay_frame_step(run);
  read_held_keys(run);
  sound_step(run);
  answer_call_step(run);

  CabScreen& screen = run.platform.screen;
  if (!screen.can_draw()) return;
  cab_window_step(run);
  screen.compose();
  step_fade(run);
  screen.flip();
  CommonUtil(run, f.sway_offset);

  if (f.film_ready) keisan(run);
  if (f.app_ready) Timer1(run);
  feed_run_log(run);
}

}  // namespace velmora
