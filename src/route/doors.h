#pragma once
// The doors: the door command, closing complete, forced closing and the door texts.

#include "route/route_run.h"

namespace velmora {

// The door command (the one-man door switch and the conductor rules): opens shut doors of
// a train standing at a distance board or in a stop zone, or starts closing open ones at
// any speed. Door sounds of a one-man train play only when the zone's draw allows.
void Door_operate(const RouteRun& run);

// Once the doors are commanded shut and no door sound plays: the doors are closed, the
// departure signal sounds and the departure calls are made.
void door_closing_step(const RouteRun& run);

// Open doors start to close by themselves above 5 km/h.
void forced_door_closing(const RouteRun& run);

// The status line's door message.
void door_text_step(const RouteRun& run);

}  // namespace velmora
