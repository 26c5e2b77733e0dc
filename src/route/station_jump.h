#pragma once
// The station jump of the Move menu and of the overrun dialog, and the end of the run.

#include "route/route_run.h"

namespace velmora {

// Whether the Move menu holds an item for station i ("Sta" + i): stops of type 0 or 2,
// first_station <= i < last_station, the route's last station excepted.
bool station_in_menu(const RouteData& route, const RunConfig& config, int station);

// Puts the train at the stop position of `station`, standing with its doors shut and the
// brake at the highest service notch, the clock set for its departure. An index outside
// the station table does nothing.
void StationClick(const RouteRun& run, int station);

// Ends the run with the closing fade.
void BackClick(const RouteRun& run);

// The overrun dialog (TkotaiStop): its texts and its one button, which moves the train
// back to the stop zone it last stood in.
inline constexpr const char* kKotaiCaption = "オーバーラン";
inline constexpr const char* kKotaiTexts[3] = {
    "停止位置を行き過ぎました。", "ワンマン運転のため、後退ができません。",
    "後部運転台に移動して停止位置を修正します（約3分かかります）。"};
inline constexpr const char* kKotaiButton = "停止位置修正";
void kotai_stop_click(const RouteRun& run);

}  // namespace velmora
