#pragma once
// The tables derived from the route file once at start-up: every place given as a film
// frame becomes centimetres along the line, through the filming train's speed profile
// ([SpeedUnit]), and the places the protection looks ahead to form the route event list.

#include <cstdint>
#include <optional>

#include "data/route_data.h"

namespace velmora {

// Centimetres from the start of [SpeedUnit] entry `unit` to `frame`, the speed rising
// linearly from speed_first to speed_last; empty when the frame lies outside the entry
// (both end frames belong to it) or the result is not a number.
std::optional<long double> distance_in_unit(const SpeedUnitData& unit, int frame, int film_fps);

// The distance of a frame along the line, in cm, rounded half to even; from the last entry
// holding the frame, so the later of two entries sharing a boundary frame wins. Empty when
// no entry holds it. Needs the entries' `distance_end` (build_route_tables).
std::optional<std::int64_t> frame_to_distance(const RouteData& route, int frame, int film_fps);

// Computes each entry's `distance_end`, every derived position and the sorted route event
// list. A place no entry covers keeps position 0 and makes no event. Throws LoadFailure
// with the route-file messages when a distance does not fit the tables or there are more
// events than the list holds, and with the velmora.dat message for a frame rate below 1.
void build_route_tables(RouteData& route, int film_fps);

}  // namespace velmora
