#pragma once
// The cab film: opening the route film, showing the frame of the train's place, the film
// stop points and the films spliced into the run.

#include <string>

#include "view/view_run.h"

namespace velmora {

// Start-up: opens the route film and tells the user when it cannot be shown (the run
// goes on without pictures); puts film_frame at [StartPos] or the first station's frame.
void open_route_film(const ViewRun& run);

// Environment setup: the film length and the film state at the start of a run.
void setup_film(const ViewRun& run);

// Once a pass after the film advance: asks for the frame that belongs to film_frame (or
// to the switched film), applies the film stop points and hands the picture to the screen.
void show_film_frame(const ViewRun& run);

// Route step: starts and ends the stop-type and running-type switched films.
void movie_switching(const ViewRun& run);

// Station jump: back to the route film when a switched film is playing, or opened afresh
// when it could not be read (the driver is told when it opens again).
void reopen_route_film(const ViewRun& run);

// Station jump: every switched film may play again.
void film_switches_after_jump(const ViewRun& run);

// Backspace at rest near the first film stop point: the film runs the other way from
// just beyond it.
void reverse_at_film_stop(const ViewRun& run);

// The full path of a film by its base name ([Path] + name + ".avi", found as data-file
// names are).
std::string film_path(const ViewRun& run, const std::string& name);

}  // namespace velmora
