#include "app/drive_report.h"

namespace velmora {

void feed_run_log(Run& run) {
  const RunLogPass pass{run.frame.frame_ms,
                        run.film.film_frame,
                        run.route,
                        run.vehicle.brake,
                        run.vehicle.ats_type == AtsType::Pattern,
                        run.panel.lamp_signal_speeds,
                        run.train.motion,
                        run.train.handles,
                        run.train.traction,
                        run.station,
                        run.protection,
                        run.signals};
  run_log_step(run.run_log, pass);
}

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
