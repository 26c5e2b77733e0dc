#pragma once
// How the sounds lie on the device's channels, and what is known of each.

#include <vector>

namespace velmora {

struct SoundState {
  int vehicle_count = 0;  // nV: vehicle sounds on channels 0 .. nV-1
  int route_count = 0;    // nE: route environment sounds from channel nV
  int motor_count = 0;    // nM: motor or engine sound rows after them
  int gear_count = 0;     // nH: gear-change sound rows after them
  std::vector<int> wave_seconds;  // play length per channel, whole seconds; 0 when empty

  int route_channel(int sound) const { return vehicle_count + sound; }
  int motor_channel(int row) const { return vehicle_count + route_count + row; }
  int gear_channel(int row) const { return vehicle_count + route_count + motor_count + row; }
  // One past the gear sounds: the channel the queued calls play on.
  int call_channel() const { return vehicle_count + route_count + motor_count + gear_count + 1; }
};

}  // namespace velmora
