#pragma once
// Where the train is in the station table.

namespace velmora {

struct StationState {
  int station_index = 0;  // station the train is running to
  bool doors_open = false;
};

}  // namespace velmora
