#pragma once
// Passenger-load compensation of the masses and brake limits, first in every frame.

#include "app/run.h"

namespace velmora {

// With the load percent of the station before station_index (when that index is above 0
// and the percent above 0), each value is empty + percent × increase, rounded half to
// even; otherwise each is its empty value.
void compensate_load(Run& run);

}  // namespace velmora
