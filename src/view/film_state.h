#pragma once
// The train's place on the film, the picture shown, and the films spliced into the run.

#include <memory>
#include <vector>

#include "data/modes.h"
#include "platform/film_picture.h"

namespace velmora {

struct FilmState {
  int film_frame = 0;           // frame of the route film at the train's position
  int film_frame_prev = 0;      // film_frame at the end of the previous frame
  long double frame_accum = 0;  // advance not yet whole frames, in units of film_speed
  int shown_frame = 1;          // frame last decoded; any other value forces a decode
  MovieState movie_state = MovieState::RouteFilm;
  int switch_frame = 0;           // frame of a switched film
  int switch_base = 0;            // film_frame at frame 0 of a running-type switched film
  int switch_end = 0;             // frames 0 .. switch_end - 1 of the switched film are shown
  int film_length = 0;            // route film frames × film_length_factor
  int film_reversed = 0;          // 1 after reversing at the first film stop point
  std::vector<bool> switch_done;  // per [MovieSwitch] entry: played in this run
  bool film_failed = false;       // the open film could not be read: told once, reopened by a jump
  std::shared_ptr<const FilmPicture> picture;  // the frame last decoded (what the film area shows)
};

}  // namespace velmora
