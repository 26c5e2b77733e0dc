#include "app/drive_report.h"

namespace velmora {

RunReport drive_report(const Run& run) {
  RunReport r;
  r.line_name = run.route.line_name;
  r.route_file = run.config.route_file;
  r.vehicle_file = run.config.vehicle_file;
  r.seed = run.config.seed;
  r.frames = run.frame.frames_run;
  r.log = run.run_log;
  r.score = score_run(r.log);
  return r;
}

}  // namespace velmora
