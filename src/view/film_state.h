#pragma once
// The train's place on the film: the frame counter the picture follows.

namespace velmora {

struct FilmState {
  int film_frame = 0;         // frame of the route film at the train's position
  int film_frame_prev = 0;    // film_frame at the end of the previous frame
  long double frame_accum = 0;  // advance not yet whole frames, in units of film_speed
  int shown_frame = 1;        // frame last decoded; any other value forces a decode
  int movie_state = 0;        // 0 route film, 1 stop film, 2 running film, 9 switching
  int switch_frame = 0;       // frame of a switched film
  int switch_end = 0;         // its last frame
};

}  // namespace velmora
