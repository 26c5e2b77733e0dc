#include "route/protection.h"

#include "app/run.h"
#include "common/rounding.h"
#include "dynamics/handles.h"
#include "sound/vehicle_sounds.h"

namespace velmora {

namespace {

constexpr int kVigilanceBellMs = 60001;
constexpr int kVigilanceBrakeMs = 65001;

bool brake_at_emergency(const Run& run) { return run.handles.brake_handle == -run.vehicle.brake; }

}  // namespace

void vigilance_step(Run& run) {
  ProtectionState& p = run.protection;
  HandleState& h = run.handles;
  VehicleData& v = run.vehicle;
  // Nobody drives by hand under automatic running, so the device would only get in the way;
  // it stays off for the rest of the run.
  if (run.input.auto_run) v.eb = 0;
  if (run.motion.speed > 1 && v.eb == 1) p.eb_timer += static_cast<int>(round_half_away(run.frame.frame_ms));
  if (p.eb_timer >= kVigilanceBellMs) {
    if (!vehicle_sound_playing(run, v.sound_ebring)) vehicle_sound_loop(run, v.sound_ebring);
    p.eb_lamp = true;
    if (p.eb_timer >= kVigilanceBrakeMs) {
      p.eb_timer = 0;
      h.eb_device = true;
      masconupdate(run);
      set_handle_latches(run);
    }
  }
  if (h.eb_device && brake_at_emergency(run)) {
    h.eb_device = false;
    vehicle_sound_stop(run, v.sound_ebring);
    p.eb_lamp = false;
  }
}

}  // namespace velmora
