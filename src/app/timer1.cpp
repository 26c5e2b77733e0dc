#include "app/timer1.h"

#include "app/run.h"
#include "app/train_steps.h"
#include "common/rounding.h"
#include "input/controllers.h"
#include "route/doors.h"
#include "route/pattern_protection.h"
#include "route/protection.h"
#include "route/signals.h"
#include "route/station_step.h"
#include "route/timetable.h"
#include "sound/announcements.h"
#include "sound/call_queue.h"
#include "sound/crossing_list.h"
#include "view/drive_texts.h"
#include "view/film.h"
#include "view/instruments.h"
#include "view/overlays.h"
#include "view/value_display.h"

namespace velmora {

void count_tenths(Run& run) {
  FrameState& f = run.frame;
  f.tenth_acc += round_half_away(f.frame_ms);
  while (f.tenth_acc > 100) {
    ++f.tenth_count;
    f.tenth_acc -= 100;
  }
}

// Stations, doors and the clock, after the signals and the protection.
void station_rules(Run& run) {
  station_step(run);
  door_closing_step(run);
  forced_door_closing(run);
  overrun_step(run);
  door_text_step(run);
  timecalc(run, run.train.motion.sim_ticks);
}

// Protection, the speed-restriction preview and the speed checks, after the signals.
void protection_rules(Run& run) {
  const AtsType type = run.vehicle.ats_type;
  const bool on = run.train.engine.ats_enabled;
  if (type == AtsType::CabSignal) cab_signal_check(run);
  if (type == AtsType::WarningPoint && on) warning_alarm(run);
  if (on && run.protection.ats_alarm) alarm_timer(run);
  if (type == AtsType::Pattern && on && run.train.handles.reverser == 1) pattern_step(run);
  limit_preview_step(run);
  speed_checks(run);
}

void Timer1(Run& run) {
  pre_train_remove(run);
  line_max_speed_step(run);
  drive_texts_step(run);
  count_tenths(run);
  tunnel_step(run);
  sample_gradient(run);
  compressor_step(run);
  signal_step(run);
  traffic_light_step(run);
  protection_rules(run);
  station_rules(run);
  vigilance_step(run);
  // The crossings waiting for their call and the announcements, with the other sounds.
  crossing_list_step(run);
  announce_event_step(run);
  conductor_announcements(run);
  movie_switching(run);
  transmission_step(run);
  engine_state_step(run);
  rollback_protection(run);
  cab_lamps_step(run);
  overlay_route_step(run);
  // The displays, last: they show this pass's state.
  easy_cab_step(run);
  protect_text_step(run);
  caption_step(run);
  value_display_step(run);
  hint_step(run);
  // Before the call queue, so that a call asked for by a controller's key starts in this pass.
  if (run.controllers.ctrl_type != kCtrlStandard) USBScan(run);
  // Late, so that a call asked for anywhere in this pass starts in it.
  kanko_queue_play(run);
  label_step(run);
}

}  // namespace velmora
