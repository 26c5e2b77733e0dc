#include "data/route_tables.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "common/rounding.h"
#include "data/load_failure.h"

namespace velmora {
namespace {

constexpr int kSignalEventKind = 2;
constexpr int kStationEventKind = 3;
constexpr int kSignalEventTarget = 10;  // km/h

[[noreturn]] void table_failure(const RouteData& route, const std::string& section, std::size_t k,
                                const std::string& why) {
  const int line = route.source.line_of(section, k);
  throw load_failure(DataFileKind::Route,
                     LoadError(why, section, route.source.text_of(line), route.source.path, line));
}

bool fits_int(long double v) {
  return std::isfinite(v) && v >= std::numeric_limits<int>::min() &&
         v <= std::numeric_limits<int>::max();
}

bool fits_int(std::int64_t v) {
  return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

// Converts a table's frames entry by entry. Entries are visited in file order, the table's
// items in table order for each, so a frame on a shared boundary is converted twice and
// the later entry's value is the one that stays.
class Converter {
 public:
  Converter(RouteData& route, int fps) : route_(route), fps_(fps) {}

  // Calls store(item index, cm) for each item whose frame(item) the entry covers.
  template <typename Frame, typename Store>
  void each(std::size_t count, Frame frame, Store store) {
    const std::vector<SpeedUnitData>& units = route_.speed_units;
    for (std::size_t i = 0; i < units.size(); ++i) {
      const std::int64_t start = i == 0 ? 0 : units[i - 1].distance_end;
      for (std::size_t k = 0; k < count; ++k) {
        const std::optional<long double> offset = distance_in_unit(units[i], frame(k), fps_);
        if (!offset) continue;
        const long double cm = static_cast<long double>(start) + *offset;
        if (!fits_int(cm))
          table_failure(route_, "[SpeedUnit]", i,
                        "frame " + std::to_string(frame(k)) + " lies too far along the line");
        store(k, static_cast<int>(start + round_half_even(*offset)));
      }
    }
  }

 private:
  RouteData& route_;
  int fps_;
};

void measure_speed_units(RouteData& route, int fps) {
  std::int64_t total = 0;
  for (std::size_t i = 0; i < route.speed_units.size(); ++i) {
    SpeedUnitData& u = route.speed_units[i];
    // The mean speed over the entry times its duration.
    const long double length = (u.speed_first + u.speed_last) *
                               (static_cast<long double>(u.last_frame) - u.first_frame) /
                               (fps * 0.072L);
    if (!fits_int(length) || !fits_int(total + round_half_even(length)))
      table_failure(route, "[SpeedUnit]", i, "the line grows too long here");
    total += round_half_even(length);
    u.distance_end = static_cast<int>(total);
  }
}

void add_event(RouteData& route, const std::string& section, std::size_t k, RouteEvent event) {
  if (route.events.size() >= kRouteEventCapacity)
    table_failure(route, section, k,
                  "the route has more than " + std::to_string(kRouteEventCapacity) +
                      " signal, limit and stop events");
  route.events.push_back(event);
}

void clear_derived(RouteData& route) {
  route.events.clear();
  for (SpeedCheckData& c : route.speed_limits) c.position = 0;
  for (auto* table : {&route.speed_check1, &route.speed_check2, &route.speed_check3})
    for (SpeedCheckData& c : *table) c.position = 0;
  for (StationData& s : route.stations) s.position = 0;
  for (TrafficSignalData& t : route.traffic_signals) t.stop_position = t.second_position = 0;
  for (DopplerData& d : route.doppler) d.position = 0;
  for (TunnelData& t : route.tunnels) t.entrance = t.exit = 0;
}

}  // namespace

std::optional<long double> distance_in_unit(const SpeedUnitData& unit, int frame, int film_fps) {
  if (frame < unit.first_frame || frame > unit.last_frame) return std::nullopt;
  const long double span = static_cast<long double>(unit.last_frame) - unit.first_frame;
  const long double t = static_cast<long double>(frame) - unit.first_frame;
  const long double cm = ((unit.speed_last - unit.speed_first) / span * t + 2 * unit.speed_first) /
                         7.2L * (t / film_fps) * 100;
  if (!std::isfinite(cm)) return std::nullopt;
  return cm;
}

std::optional<std::int64_t> frame_to_distance(const RouteData& route, int frame, int film_fps) {
  std::optional<std::int64_t> found;
  for (std::size_t i = 0; i < route.speed_units.size(); ++i) {
    const std::optional<long double> offset =
        distance_in_unit(route.speed_units[i], frame, film_fps);
    if (!offset || std::fabs(*offset) > 9e18L) continue;
    const std::int64_t start = i == 0 ? 0 : route.speed_units[i - 1].distance_end;
    found = start + round_half_even(*offset);
  }
  return found;
}

void build_route_tables(RouteData& route, int film_fps) {
  if (film_fps < 1)
    throw LoadFailure({"stringファイルに誤りがあります"},
                      "velmora.dat: [Disp]: a film frame rate of " + std::to_string(film_fps) +
                          " cannot turn film frames into distances");
  clear_derived(route);
  measure_speed_units(route, film_fps);
  Converter convert(route, film_fps);

  convert.each(
      route.signals.size(), [&](std::size_t k) { return route.signals[k].frame; },
      [&](std::size_t k, int cm) {
        add_event(route, "[Signal]", k,
                  {cm, kSignalEventTarget, static_cast<int>(k), 0, kSignalEventKind});
      });
  convert.each(
      route.speed_limits.size(), [&](std::size_t k) { return route.speed_limits[k].from_frame; },
      [&](std::size_t k, int cm) {
        SpeedCheckData& limit = route.speed_limits[k];
        limit.position = cm;
        add_event(route, "[SpeedLimit]", k, {cm, limit.speed, 0, 0, limit.kind});
      });
  for (auto* table : {&route.speed_check1, &route.speed_check2, &route.speed_check3})
    convert.each(
        table->size(), [&](std::size_t k) { return (*table)[k].from_frame; },
        [&](std::size_t k, int cm) { (*table)[k].position = cm; });
  convert.each(
      route.stations.size(), [&](std::size_t k) { return route.stations[k].Start; },
      [&](std::size_t k, int cm) {
        StationData& s = route.stations[k];
        if (s.trntype == StopType::DoorStop && s.pattern >= 1) {
          const std::int64_t end = cm + static_cast<std::int64_t>(s.pattern) * 100;
          if (!fits_int(end))
            table_failure(route, "[Station]", k, "the stop pattern ends too far along the line");
          add_event(route, "[Station]", k,
                    {static_cast<int>(end), 0, 0, static_cast<int>(k), kStationEventKind});
        }
        s.position = cm;
      });
  convert.each(
      route.traffic_signals.size(),
      [&](std::size_t k) { return route.traffic_signals[k].stop_frame; },
      [&](std::size_t k, int cm) { route.traffic_signals[k].stop_position = cm; });
  convert.each(
      route.traffic_signals.size(),
      [&](std::size_t k) { return route.traffic_signals[k].second_frame; },
      [&](std::size_t k, int cm) { route.traffic_signals[k].second_position = cm; });
  convert.each(
      route.doppler.size(), [&](std::size_t k) { return route.doppler[k].frame; },
      [&](std::size_t k, int cm) { route.doppler[k].position = cm; });
  convert.each(
      route.tunnels.size(), [&](std::size_t k) { return route.tunnels[k].entrance_frame; },
      [&](std::size_t k, int cm) { route.tunnels[k].entrance = cm; });
  convert.each(
      route.tunnels.size(), [&](std::size_t k) { return route.tunnels[k].exit_frame; },
      [&](std::size_t k, int cm) { route.tunnels[k].exit = cm; });

  // A stable sort: events at the same place keep the order they were listed in (signals,
  // then limits, then stations), which the protection's walk relies on.
  std::stable_sort(
      route.events.begin(), route.events.end(),
      [](const RouteEvent& a, const RouteEvent& b) { return a.position < b.position; });

  for (std::size_t k = 0; k < route.stations.size(); ++k) {
    StationData& s = route.stations[k];
    const std::int64_t from = static_cast<std::int64_t>(s.position) - s.genkai;
    const std::int64_t to = static_cast<std::int64_t>(s.position) + s.genkai;
    if (!fits_int(from) || !fits_int(to))
      table_failure(route, "[Station]", k, "the stop tolerance reaches beyond the line");
    s.position_s = static_cast<int>(from);
    s.position_e = static_cast<int>(to);
  }
}

}  // namespace velmora
