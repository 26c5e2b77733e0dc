#pragma once
// Places the author marked while stepping through the film, instead of a GPS track: one
// "frame,distance_m" per line (a kilometre post at its frame, say). Between two marks the
// distance runs on a smooth curve through them (monotone cubic: it never goes back, and
// it is flat between two marks of the same distance, which are a stop); before the first
// and after the last mark the film runs on at the speed between the nearest two.

#include <string_view>
#include <vector>

#include "film_motion.h"
#include "stops.h"
#include "track.h"

namespace velmora::author {

struct Mark {
  double frame = 0;       // frame of the film as the author counted it
  double distance_m = 0;  // m along the line
  int line = 0;
};

// Reads the marks; lines starting with # and a first line of column names are skipped.
// Throws TrackError with the line for anything else that is not two numbers, and for
// frames that do not rise or distances that fall.
std::vector<Mark> read_marks(std::string_view text);

struct MarkedMotion {
  FilmMotion motion;
  std::vector<Stop> stops;  // one per pair of neighbouring marks of the same distance
};

// The motion over `frames` film frames at `fps`; a mark's frame f is the film's frame
// f * fps / marks_fps (the author may have counted the frames of the film at its own rate).
MarkedMotion motion_from_marks(const std::vector<Mark>& marks, double marks_fps, int frames, int fps);

}  // namespace velmora::author
