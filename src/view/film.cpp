#include "view/film.h"

#include <cmath>

#include "common/paths.h"
#include "dynamics/motion.h"
#include "sound/sound_step.h"
#include "view/view_run.h"

namespace velmora {
namespace {

// The film stop points stop the train dead and silence what it was playing.
void halt_at(const ViewRun& run, int frame) {
  run.film.film_frame = frame;
  run.film.frame_accum = 0;
  halt(run.train);
  stop_running_train_sounds(run.sounds);
}

void film_stop_points(const ViewRun& run) {
  FilmState& f = run.film;
  if (f.movie_state != MovieState::RouteFilm) return;
  for (const int s : run.route.movie_stop) {
    if (f.film_reversed == 0 && run.train.motion.speed > 0 && f.film_frame_prev < s &&
        s <= f.film_frame)
      halt_at(run, s);
    else if (f.film_reversed == 1 && run.train.motion.speed < 0 && f.film_frame <= s &&
             s < f.film_frame_prev)
      halt_at(run, s + 1);
  }
}

// Asks for frame n; the picture changes only when the frame is ready, and a busy frame is
// asked for again on the next pass (the request stands at the source).
void decode(const ViewRun& run, int n) {
  FilmState& f = run.film;
  const FilmFrame got = run.platform.film.avi_getframe(n, run.config.film_wait);
  if (got.status == FilmFrameStatus::kBusy) return;
  if (got.status == FilmFrameStatus::kReady) f.picture = got.picture;
  // The file went away or the disk failed: the last picture stays and the drive goes on.
  if (got.status == FilmFrameStatus::kFailed && !f.film_failed) {
    f.film_failed = true;
    run.platform.events.event("device", "film lost");
  }
  f.shown_frame = n;
}

bool in_stop_zone(const ViewRun& run, int station) {
  const auto& stations = run.route.stations;
  if (station < 0 || static_cast<std::size_t>(station) >= stations.size()) return false;
  const StationData& s = stations[static_cast<std::size_t>(station)];
  return s.position_s <= run.train.motion.position_cm &&
         run.train.motion.position_cm <= s.position_e;
}

void open_film(const ViewRun& run, const std::string& name) {
  // Films opened during a run report nothing: the run goes on by its frame counters.
  run.platform.film.avi_open(film_path(run, name));
}

}  // namespace

std::string film_path(const ViewRun& run, const std::string& name) {
  const std::string written = run.ui.data_path + name + ".avi";
  return resolve_data_file(run.config.program_dir, written)
      .value_or(run.config.program_dir / written)
      .string();
}

void open_route_film(const ViewRun& run) {
  const std::string path = film_path(run, run.route.data_name);
  Dialogs& dialogs = run.platform.dialogs;
  const char* const codec = "DivXビデオコーデックがインストールされていない可能性があります。";
  switch (run.platform.film.avi_open(path)) {
    case kFilmOpened:
      break;
    case kFilmBadFormat:
      dialogs.message("映像ファイルを開けません" + path);
      break;
    case kFilmOutOfMemory:
      dialogs.message("メモリ不足");
      break;
    case kFilmReadError:
      dialogs.message("読み取りエラー");
      break;
    case kFilmCannotOpen:
      dialogs.message("映像オープンエラー");
      break;
    case kFilmNoInfo:
      dialogs.message("FileInfoエラー");
      break;
    case kFilmNoVideo:
      dialogs.message("GetStreamエラー");
      dialogs.message(codec);
      break;
    case kFilmNoDecoder:
      dialogs.message("GetFrameOpenエラー");
      dialogs.message(codec);
      break;
    default:
      dialogs.message("映像オープンエラー");
      break;
  }
  run.film.film_frame = run.route.start_pos;
  const int first = run.config.first_station;
  if (first >= 1 && static_cast<std::size_t>(first) < run.route.stations.size())
    run.film.film_frame = run.route.stations[static_cast<std::size_t>(first)].Start;
}

void setup_film(const ViewRun& run) {
  FilmState& f = run.film;
  f.film_length = run.platform.film.avi_length() * run.ui.film_length_factor;
  f.movie_state = MovieState::RouteFilm;
  f.film_reversed = 0;
  f.shown_frame = 1;
  f.switch_frame = 0;
  f.switch_done.assign(run.route.movie_switch.size(), false);
}

void show_film_frame(const ViewRun& run) {
  FilmState& f = run.film;
  const bool can_decode =
      f.movie_state != MovieState::Switching && run.platform.screen.can_draw() && f.film_frame >= 0;
  // A frame still being decoded is not waited for: asking for another one redirects the
  // source, and the one asked for last is shown once it is ready.
  // With no picture yet the current frame is wanted even when its number is the one last
  // asked for: a run starting at film frame 0 would otherwise show black until it moved.
  if (can_decode && f.movie_state == MovieState::RouteFilm && f.film_frame < f.film_length &&
      (f.film_frame != f.shown_frame || !f.picture))
    decode(run, f.film_frame);
  if (can_decode &&
      (f.movie_state == MovieState::StopFilm || f.movie_state == MovieState::RunningFilm)) {
    if (f.movie_state == MovieState::RunningFilm) f.switch_frame = f.film_frame - f.switch_base;
    if (f.switch_frame != f.shown_frame && f.switch_frame < f.switch_end && f.switch_frame >= 0 &&
        run.frame.film_ready)
      decode(run, f.switch_frame);
  }
  film_stop_points(run);
  f.film_frame_prev = f.film_frame;
  run.platform.screen.set_film_picture(f.picture);
}

void movie_switching(const ViewRun& run) {
  FilmState& f = run.film;
  const auto& entries = run.route.movie_switch;
  if (f.switch_done.size() != entries.size()) f.switch_done.assign(entries.size(), false);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MovieSwitchData& e = entries[i];
    const bool stop_type = e.swtype == 2;
    if (f.movie_state == MovieState::StopFilm && stop_type && in_stop_zone(run, e.next) &&
        e.soundf < f.switch_frame && f.switch_frame < e.soundf + 10) {
      const int channel = run.sound.route_channel(e.sound);
      if ((run.platform.sound.status(channel) & SoundDevice::kPlaying) == 0)
        run.platform.sound.play(channel);
    }
    const StationData* station =
        (e.next >= 0 && static_cast<std::size_t>(e.next) < run.route.stations.size())
            ? &run.route.stations[static_cast<std::size_t>(e.next)]
            : nullptr;
    if (static_cast<long long>(run.train.motion.speed) == 0 && stop_type && station != nullptr &&
        in_stop_zone(run, e.next) && e.time < run.train.motion.sim_ticks) {
      if (f.movie_state == MovieState::RouteFilm && !f.switch_done[i]) {
        f.movie_state = MovieState::StopFilm;
        f.film_frame = station->Start;
        run.train.motion.position_cm = station->position;
        f.switch_frame = 0;
        f.switch_base = f.film_frame;
        f.switch_end = e.endf;
        open_film(run, e.name);
        f.shown_frame = -1;
      } else if (f.movie_state == MovieState::StopFilm && f.switch_frame >= f.switch_end) {
        f.movie_state = MovieState::Switching;
        open_film(run, run.route.data_name);
        f.film_frame = station->Start;
        f.switch_frame = 0;
        f.shown_frame = -1;
        f.switch_done[i] = true;
        f.movie_state = MovieState::RouteFilm;
      }
    } else if (e.Start <= f.film_frame && f.film_frame <= e.Stop && e.swtype <= 1) {
      if (f.movie_state == MovieState::RouteFilm && !f.switch_done[i]) {
        f.movie_state = MovieState::Switching;
        f.switch_frame = f.film_frame - e.Start;
        f.switch_base = e.Start;
        open_film(run, e.name);
        f.switch_end = e.endf;
        // The first picture of the spliced film at once, so the cut shows no stale frame.
        const FilmFrame first = run.platform.film.avi_getframe(1, run.config.film_wait);
        if (first.status == FilmFrameStatus::kReady) f.picture = first.picture;
        f.shown_frame = -1;
        f.movie_state = MovieState::RunningFilm;
      }
    } else if (f.movie_state == MovieState::RunningFilm && f.switch_end <= f.switch_frame &&
               f.switch_frame <= f.switch_end + 60 && e.next > f.film_frame) {
      f.movie_state = MovieState::Switching;
      open_film(run, run.route.data_name);
      f.film_frame = e.next;
      f.switch_frame = 0;
      f.shown_frame = -1;
      f.switch_done[i] = true;
      f.movie_state = MovieState::RouteFilm;
    }
  }
}

void reopen_route_film(const ViewRun& run) {
  FilmState& f = run.film;
  if (f.movie_state == MovieState::RouteFilm && !f.film_failed) return;
  open_film(run, run.route.data_name);
  f.movie_state = MovieState::RouteFilm;
  f.switch_frame = 0;
  f.shown_frame = -1;
  if (f.film_failed && run.platform.film.is_open()) {
    f.film_failed = false;
    run.platform.events.event("device", "film back");
  }
}

void film_switches_after_jump(const ViewRun& run) {
  run.film.switch_done.assign(run.route.movie_switch.size(), false);
}

void reverse_at_film_stop(const ViewRun& run) {
  FilmState& f = run.film;
  if (run.route.movie_stop.empty() || !(std::fabs(run.train.motion.speed) < 0.1L)) return;
  const int first = run.route.movie_stop.front();
  if (first - 200 < f.film_frame && f.film_frame <= first) {
    f.film_frame = first + 2;
    f.film_reversed = 1;
  }
}

}  // namespace velmora
