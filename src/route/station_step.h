#pragma once
// The station rules of the route step: next-station texts, distance boards, stop zones,
// background sounds, the stop sequence of arrival, departure and doors, and the end of the
// run at the last station.

#include "route/route_run.h"

namespace velmora {

// The start of the run: the train stands at first_station, at the stop position, with its
// doors open at a stopping station; flags cleared, texts and the line's maximum speed set.
void start_stations(const RouteRun& run);

// The line's maximum speed of the station interval the train is in; left as it was before
// the first station and beyond the last.
void line_max_speed_step(const RouteRun& run);

// Steps A to E for every station in index order, then F (background sounds out of range).
void station_step(const RouteRun& run);

// Points the train at the first stop after station `from`, skipping stations passed
// without stopping; nothing changes when no stop follows.
void set_next_stop(const RouteRun& run, int from);

// Standing with the doors shut beyond the stop and outside every stop zone: the first
// [Announce] header sound plays once for cur_station and its announcement waits for the
// doors to open.
void overrun_step(const RouteRun& run);

// The distance-board pattern of the stop-position marker for `stop_distance` (cm): boards
// at 300, 200, 150, 100 and 50 m, each shown over the 25 m (50 m board: 20 m) before it.
int distance_board(long double stop_distance);

// The station background sound's volume, hundredths of a dB, `distance` cm from the stop
// position: 0 there, falling towards 20 m, where it is the device's lowest.
int background_volume(long double distance);

}  // namespace velmora
