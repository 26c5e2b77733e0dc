#include "app/load_compensation.h"

#include "common/rounding.h"

namespace velmora {
namespace {

int loaded(const LoadPressure& p, int percent) {
  return static_cast<int>(round_half_even(percent * p.per_percent + p.empty));
}

Fixed4 loaded(const LoadMass& m, int percent) {
  return Fixed4(static_cast<long double>(round_half_even(percent * m.per_percent + m.empty)));
}

}  // namespace

void compensate_load(Run& run) {
  const VehicleData& v = run.vehicle;
  LoadState& load = run.load;
  const int index = run.station.station_index;
  const auto& stations = run.route.stations;
  int percent = 0;
  if (index > 0 && static_cast<std::size_t>(index) <= stations.size())
    percent = stations[static_cast<std::size_t>(index - 1)].percent;

  if (percent > 0) {
    load.bc_max = loaded(v.max_press, percent);
    load.bc_emergency = loaded(v.eb_press, percent);
    load.sap_max = loaded(v.sap_press, percent);
    load.total_mass = loaded(v.tons, percent);
    load.motor_mass = loaded(v.mt, percent);
    load.trailer_mass = loaded(v.tt, percent);
  } else {
    load.bc_max = v.max_press.empty;
    load.bc_emergency = v.eb_press.empty;
    load.sap_max = v.sap_press.empty;
    load.total_mass = v.tons.empty;
    load.motor_mass = v.mt.empty;
    load.trailer_mass = v.tt.empty;
  }
}

}  // namespace velmora
