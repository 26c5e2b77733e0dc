#include <cmath>

#include "sound/sound_run.h"
#include "sound/vehicle_sounds.h"

namespace velmora {

namespace {

int entry(const std::vector<std::array<int, 2>>& table, int k, int field) {
  return k >= 0 && static_cast<std::size_t>(k) < table.size()
             ? table[static_cast<std::size_t>(k)][field]
             : 0;
}
int entry(const std::vector<int>& table, int k) {
  return k >= 0 && static_cast<std::size_t>(k) < table.size() ? table[static_cast<std::size_t>(k)]
                                                              : 0;
}

void start_if_idle(const SoundRun& run, int number) {
  if (!vehicle_sound_playing(run, number)) vehicle_sound_restart(run, number);
}

}  // namespace

void handle_sounds(const SoundRun& run, int power_before, int brake_before) {
  const VehicleData& v = run.vehicle;
  const HandleState& h = run.train.handles;
  const int s = -h.brake_handle, s0 = -brake_before;  // brake steps: 0 released .. [Brake]
  const int p = h.power_handle, p0 = power_before;
  const int top = v.brake;

  if (s > s0) {
    // A further application cuts short the release and application hisses still going.
    for (int k = 0; k < top; ++k)
      for (const auto* table : {&v.sound_bk, &v.sound_br, &v.sound_ba})
        vehicle_sound_stop(run, entry(*table, k, 1));
  }
  if (v.brake_type == BrakeType::AutomaticAir) {
    if (s == 0 && s0 > 0)
      start_if_idle(run, entry(v.sound_bk, s0 - 1, 1));
    else if (s < s0)
      start_if_idle(run, entry(v.sound_br, s0 - 1, 1));
    else if (s0 < s && s < top)
      start_if_idle(run, entry(v.sound_ba, s0, 1));
  } else {
    if (s0 < s && s <= top) {
      // Into emergency at speed the application hiss waits for the emergency valve.
      if (s != top || std::fabs(run.train.motion.speed) <= 15 ||
          vehicle_sound_playing(run, entry(v.sound_ba, top, 1)))
        start_if_idle(run, entry(v.sound_ba, s - 1, 1));
      vehicle_sound_restart(run, entry(v.sound_ba, s - 1, 0));
    }
    if (0 <= s && s < s0) vehicle_sound_restart(run, entry(v.sound_br, s, 0));
    if (s == 0 && s0 > 0 && !h.ats_eb && !h.eb_device && !h.ats_service)
      vehicle_sound_restart(run, entry(v.sound_bk, s0 - 1, 0));
  }
  if (p == 0 && p0 > 0)
    vehicle_sound_restart(run, entry(v.sound_pk, p0 - 1));
  else if (p > p0)
    vehicle_sound_restart(run, entry(v.sound_pa, p0));
  else if (p < p0)
    vehicle_sound_restart(run, entry(v.sound_pr, p0 - 1));
}

}  // namespace velmora
