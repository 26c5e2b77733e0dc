#pragma once
// Where the filming train stood: stands on the track, timed to a fraction of a second, and
// the stands long enough to be a stop at a station rather than a pause at a signal.
//
// A stand's ends are timed on the raw fixes: while a train brakes steadily to a stand (or
// starts steadily from one), its distance from the standing place grows with the square of
// the time to the stand, so the square roots of the fixes' distances lie on a line that
// meets zero at the moment it stopped (or started). The smoothed distance, which blurs that
// corner, is drawn onto the same curve there.

#include <vector>

#include "film_motion.h"

namespace velmora::author {

struct Stop {
  int first = 0;  // film frame where the train comes to rest
  int last = 0;   // last film frame it stands (first <= last)
};

constexpr double kStopMinSeconds = 10;  // shorter stands are pauses, not stops

// Times the stands given by `standing` (one flag per fix: the train stands there) and puts
// them into `profile`: its distance flat through each, on the braking and starting curves
// next to it, and exact at its two ends, which become points of the profile.
void time_stands(const Track& track, const std::vector<bool>& standing, TrackProfile& profile);

// The stands of at least min_seconds within the film, as film frames (frame f is the
// track's time film_start + f / fps).
std::vector<Stop> stops_from_stands(const std::vector<Stand>& stands, double film_start, int frames,
                                    int fps, double min_seconds = kStopMinSeconds);

// Holds the distance through each stop at its value where the stop begins (what the
// track gained there, which is noise, is taken off every later frame) and sets the speed
// there to 0, so that a stop is one standing entry of the speed profile.
void hold_stops(FilmMotion& motion, const std::vector<Stop>& stops);

}  // namespace velmora::author
