#include "app/startup.h"

#include "app/load_compensation.h"
#include "app/menus.h"
#include "app/options.h"
#include "app/train_steps.h"
#include "common/paths.h"
#include "data/load_failure.h"
#include "data/route_loader.h"
#include "data/route_tables.h"
#include "data/vehicle_loader.h"
#include "route/protection.h"
#include "route/signals.h"
#include "route/station_jump.h"
#include "route/station_step.h"
#include "route/timetable.h"
#include "sound/announcements.h"
#include "sound/call_queue.h"
#include "sound/call_sounds.h"
#include "sound/sound_loading.h"
#include "sound/sound_step.h"
#include "view/cab_build.h"
#include "view/cab_window.h"
#include "view/drive_texts.h"
#include "view/film.h"
#include "view/overlays.h"

namespace velmora {
namespace {

std::filesystem::path find_in(const std::filesystem::path& folder, const std::string& name) {
  // A name that matches nothing is kept as written so the failure names it.
  return resolve_data_file(folder, name).value_or(folder / name);
}

}  // namespace

void FormCreate(Run& run) {
  Dialogs& dialogs = run.platform.dialogs;
  const std::filesystem::path& program_dir = run.config.program_dir;

  // The 1 ms timer resolution and the window placement are the desktop program's.
  read_view_options(run);
  read_dg_button_map(run);
  dialogs.status("設定ファイルを読み込んでいます");
  run.mascon = load_mascon_codes(find_in(program_dir, "mascon.dat"));
  run.ui = load_ui_texts(find_in(program_dir, "velmora.dat"));

  const std::filesystem::path vehicle_dir =
      run.config.vehicle_dir.empty() ? program_dir : run.config.vehicle_dir;
  run.vehicle = load_vehicle(find_in(vehicle_dir, run.config.vehicle_file), run.panel);
  RouteLoadContext route_context{program_dir, run.config.vehicle_file, run.ui.film_width,
                                 run.ui.film_height, run.rng};
  run.route =
      load_route(find_in(program_dir, run.config.route_file), route_context, run.platform.images);

  dialogs.status("運転台を描画しています");
  run.platform.screen.set_film_surface(run.ui.film_width, run.ui.film_height);
  build_cab(run);
  start_overlays(run);
  load_window_pictures(run);
  open_route_film(run);
  SoundLoads sounds(run);
  dialogs.status("DirectSoundオブジェクトを作成しています(走行音)");
  sounds.vehicle_sounds();
  dialogs.status("DirectSoundオブジェクトを作成しています(環境音)");
  sounds.environment_sounds();
  // The run's start time, from the first station: it needs the route sounds' lengths.
  start_clock(run);
  dialogs.status("DirectSoundオブジェクトを作成しています(喚呼)");
  load_call_sounds(run);
  dialogs.status("サウンドを読み込んでいます");
  sounds.row_sounds();
  sounds.attach();

  dialogs.status("環境をセットアップしています");
  build_route_tables(run.route, run.ui.film_fps);
  start_stations(run);
  clear_announce_latches(run);
  start_signals(run);
  start_protection(run);
  run.train.engine.ats_enabled = run.options.opt_ats_reg != 1;
  run.protection.ats_lamps[0] = run.train.engine.ats_enabled;
  set_menu_checks(run);
  run.frame.input_locked = true;
  run.train.sway.sway_pos = 0.5L;
  compensate_load(run);
  reset_handles(run);
  start_sounds(run);
  // The handle sounds compare with the handles' rest positions.
  run.input.prev_power_handle = 0;
  run.input.prev_brake_handle = -run.vehicle.brake;
  start_texts(run);
  reset_brakes(run);
  setup_film(run);

  run.frame.started = true;
  start1Click(run);
}

void start1Click(Run& run) {
  FrameState& frame = run.frame;
  if (frame.app_ready) {
    pause_sounds(run);
    frame.film_ready = false;
    frame.app_ready = false;
    frame.input_locked = false;
    run.platform.dialogs.caption("運転再開(&S)");
  } else {
    frame.film_ready = true;
    frame.app_ready = true;
    frame.input_locked = false;
    run.platform.dialogs.caption("一時停止(&S)");
    run.platform.screen.show_still(false);
    resume_sounds(run);
  }
  // Decode and draw the current frame again on the next pass.
  run.film.shown_frame -= 1;
}

void FormActivate(Run& run) {
  CabScreen& screen = run.platform.screen;
  if (run.frame.app_ready || !screen.can_draw()) return;
  screen.show_still(true);
  screen.compose();
  screen.flip();
}

void cab_window_click(Run& run, int x, int y) {
  const auto inside = [x, y](const WindowRect& r) {
    return r.x <= x && x < r.x + r.width && r.y <= y && y < r.y + r.height;
  };
  // The cab surface moves with Shift+Up / Shift+Down; the back button stays.
  const WindowRect surface{kCabSurface.x, kCabSurface.y + run.input.screen_top, kCabSurface.width,
                           kCabSurface.height};
  if (inside(kBackButton))
    BackClick(run);
  else if (inside(surface) && !run.frame.app_ready)
    start1Click(run);
}

void FormCloseQuery(Run& run) {
  // A start that failed to load ends the process without saving anything.
  if (run.frame.started) write_view_options(run);
  run.frame.film_ready = false;
  run.frame.app_ready = false;
  run.frame.fade_alpha = 0;
  run.frame.ended = true;
  // The diagnostic and easy-cab windows go with the cab window.
  run.value_display.visible = false;
  run.texts.easy_cab.visible = false;
  // Nothing of this run may sound on in the title window, and the next run loads afresh.
  SoundDevice& device = run.platform.sound;
  for (int channel = 0; channel < SoundDevice::kChannels; ++channel)
    if (device.status(channel) != 0) device.stop(channel);
  device.release_all();
  clear_call_queue(run);
  // The master controller's port closes with the cab window.
  run.platform.serial.close();
}

}  // namespace velmora
