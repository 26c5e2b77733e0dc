#pragma once
// The report of a run as it stands: the log the frame kept, scored, with what names the
// drive (line, files, seed, frames).

#include "app/run.h"
#include "report/run_report.h"

namespace velmora {

// Hands the run log this pass's state; the frame calls it last, after the route step.
void feed_run_log(Run& run);

RunReport drive_report(const Run& run);

}  // namespace velmora
