#pragma once
// Reading the station table as the station rules need it.

#include <cstddef>

#include "data/route_data.h"
#include "route/station_state.h"

namespace velmora {

// Station i, or an empty record past either end of the table: the rules look one station
// beyond the last, where a fixed-size table held empty records.
inline const StationData& station_at(const RouteData& route, int i) {
  static const StationData none{};
  return i >= 0 && static_cast<std::size_t>(i) < route.stations.size()
             ? route.stations[static_cast<std::size_t>(i)]
             : none;
}

inline int station_count(const RouteData& route) { return static_cast<int>(route.stations.size()); }

// All per-station flags false, sized to `count` stations (st_arrived one more).
inline void clear_station_flags(StationState& st, int count) {
  const auto n = static_cast<std::size_t>(count > 0 ? count : 0);
  st.st_arrived.assign(n + 1, false);
  st.st_doors_done.assign(n, false);
  st.st_departed.assign(n, false);
  st.st_stop_done.assign(n, false);
  st.st_oneman_called.assign(n, false);
  st.st_announce_pending.assign(n, false);
  st.st_overrun_called.assign(n, false);
}

}  // namespace velmora

namespace velmora {

// Flag i of a per-station array; the callers keep i inside the table.
inline std::vector<bool>::reference flag(std::vector<bool>& flags, int i) {
  return flags[static_cast<std::size_t>(i)];
}
inline bool flag(const std::vector<bool>& flags, int i) {
  return flags[static_cast<std::size_t>(i)];
}

// Sizes the flags to the table when they are not (a run that never started its stations).
inline void fit_station_flags(StationState& st, int count) {
  if (st.st_doors_done.size() != static_cast<std::size_t>(count > 0 ? count : 0))
    clear_station_flags(st, count);
}

}  // namespace velmora
