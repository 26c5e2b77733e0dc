#include "route/doors.h"

#include <cmath>

#include "route/route_run.h"
#include "sound/call_queue.h"
#include "sound/calls.h"
#include "sound/vehicle_sounds.h"

namespace velmora {
namespace {

constexpr int kDepartureCallSlot = 19;  // the fixed call vocabulary's departure call

}  // namespace

void Door_operate(const RouteRun& run) {
  StationState& st = run.station;
  const bool one_man = run.route.one_man >= OneManMode::OneMan;
  st.door_cmd = false;
  if (one_man) st.train_info_text.clear();
  // Only at a distance board or in a stop zone.
  if (st.teimoku_frame == 0) return;
  // Doors never open while moving; open doors may be closed at any speed.
  if (!st.doors_open && std::fabs(run.train.motion.speed) >= 0.05L) return;
  const bool heard = !one_man || st.door_draw <= st.door_chance;
  if (!st.doors_open) {
    st.door_cmd = true;
    if (heard) vehicle_sound_restart(run.sounds, run.vehicle.sound_door_open);
    st.doors_open = true;
    st.door_lamp_lit = false;
  } else if (heard) {
    // They stay open until the closing is complete.
    vehicle_sound_restart(run.sounds, run.vehicle.sound_door_close);
  }
}

void door_closing_step(const RouteRun& run) {
  StationState& st = run.station;
  if (st.door_cmd || !st.doors_open) return;
  if (vehicle_sound_playing(run.sounds, run.vehicle.sound_door_open) ||
      vehicle_sound_playing(run.sounds, run.vehicle.sound_door_close))
    return;
  st.door_lamp_lit = true;
  st.doors_open = false;
  vehicle_sound_restart(run.sounds, run.vehicle.dep_sign);
  st.cur_station += 1;
  kanko_queue_add(run.sounds, kDepartureCallSlot);
  station_call(run.sounds, 3, st.zone_station);
}

void forced_door_closing(const RouteRun& run) {
  const StationState& st = run.station;
  if (std::fabs(run.train.motion.speed) > 5 && st.door_cmd && st.doors_open) Door_operate(run);
}

void door_text_step(const RouteRun& run) {
  StationState& st = run.station;
  if (st.door_cmd)
    st.door_text = "ドアが開いています";
  else if (st.doors_open)
    st.door_text = "ドアを閉めています";
  else
    st.door_text.clear();
}

}  // namespace velmora
