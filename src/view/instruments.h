#pragma once
// The cab desk's instruments: needles, linear gauges, the digital speed, lamps, indicators
// and extra pictures, updated from the train's state; and the sway of the whole desk.

#include "view/view_run.h"

namespace velmora {

// Degrees to the drawing layer's rotation units.
constexpr long double kUnitsPerDegree = 1023.0L / 360.0L;

// Every frame, after the film picture: the ammeter mode, the needles, the linear gauges and
// the digital speed.
void instruments_step(const ViewRun& run);

// Every route step: the voltmeter and brake command values, the lamps, the extra pictures
// and the cab signal.
void cab_lamps_step(const ViewRun& run);

// With each application of the handle state: the reverser lamps and the notch and gear
// indicators.
void indicators_update(const ViewRun& run);

// Every frame after the flip: each element at its place plus the sway offset.
void CommonUtil(const ViewRun& run, int offset);

// The speedometer's angle in degrees at `kmh` (>= 0) for a needle of `zero`, `one` and the
// low-speed slope `c` (0: one slope).
long double speedometer_degrees(long double kmh, int zero, long double one, long double c);

}  // namespace velmora
