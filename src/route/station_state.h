#pragma once
// Where the train is in the station table.

namespace velmora {

struct StationState {
  int station_index = 0;  // station the train is running to
  bool doors_open = false;
  long double stop_position = 0;  // cm, where the train is to stop next
};

}  // namespace velmora
