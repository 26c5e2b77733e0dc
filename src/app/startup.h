#pragma once
// Building a run: the start-up sequence of the cab window, and the start / pause command.

#include "app/run.h"

namespace velmora {

// The start-up sequence: reads the data files in order with their progress texts,
// derives the initial state and starts the run. Throws LoadFailure when a file cannot
// be loaded; the caller shows its messages and ends the process with a failure status.
void FormCreate(Run& run);

// Start / pause: pauses a running run, or starts or resumes one that is not running.
void start1Click(Run& run);

// The cab window became active: while the run is not running, its picture is the route's
// not-started picture over the desk.
void FormActivate(Run& run);

// A click on the cab window at (x, y) in its layout's px: on the back button the run ends
// (the closing fade); on the cab surface a paused run starts again (movieclick).
void cab_window_click(Run& run, int x, int y);

// End of the run (the cab window closed): the loop stops for good. The settings are saved
// only when the start-up sequence had completed.
void FormCloseQuery(Run& run);

}  // namespace velmora
