#include "app/film_advance.h"

#include <cmath>

namespace velmora {

void advance_film_frame(FilmState& film, MotionState& motion, int film_fps,
                        long double frame_ms) {
  const long double speed = motion.speed;
  film.frame_accum += std::fabs(film_fps / (1000.0L / frame_ms) * speed);
  if (motion.film_speed == 0) motion.film_speed = 0.1L;
  const long double film_speed = motion.film_speed;
  if (film.frame_accum < film_speed) return;

  const long double frames = film.frame_accum / film_speed;
  const long double whole = std::trunc(frames);
  const long double rest = film.frame_accum - whole * film_speed;
  // Out of int range is far past the ten-second cap, so the cast only sees small values.
  const int step = frames < 10.0L * film_fps ? static_cast<int>(whole) : film_fps;
  if (speed > 0)
    film.film_frame += step;
  else if (speed < 0)
    film.film_frame -= step;
  film.frame_accum = rest;
}

}  // namespace velmora
