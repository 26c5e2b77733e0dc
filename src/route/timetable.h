#pragma once
// The timetable clock: its start, its setting on a station jump and its text and face.

#include <string>

#include "route/route_run.h"

namespace velmora {

// sim_ticks such that a stop at `station` ends exactly at its departure time: deptime less
// the lengths of its departure and arrival sounds. Never below 0.
int stop_end_ticks(const RouteRun& run, int station);

// The clock at the start of the run, from first_station (station 0 when it is below 1).
void start_clock(const RouteRun& run);

// The clock for a jump to `station`: its stop end when it has a time; otherwise the time
// interpolated by position between the nearest timed stations before and after it (the
// nearer one's time when only one side has one or the two share a position), less the
// station's sound lengths. No timed station anywhere leaves the clock as it is.
void jump_clock(const RouteRun& run, int station);

// "hh:mm:ss" of a clock reading; the hours run on past 24.
std::string clock_text_of(int ticks);

// The clock text and, with a [Clock] position in the vehicle file, the clock face; both
// change only when the seconds do.
void timecalc(const RouteRun& run, int ticks);

}  // namespace velmora
