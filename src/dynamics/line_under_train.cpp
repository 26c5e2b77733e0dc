#include "dynamics/line_under_train.h"

#include <cmath>

#include "common/rounding.h"

namespace velmora {
namespace {

// The gradient of the [Slope] entry holding the frame; level between entries.
Fixed4 gradient_at(const RouteData& route, int frame) {
  for (const SlopeData& s : route.slopes)
    if (s.from_frame <= frame && frame < s.end_frame) return s.gradient;
  return Fixed4();
}

}  // namespace

void sample_gradient(MotionState& m, const TrainInputs& in) {
  const VehicleData& v = in.vehicle;
  if (v.cars < 1) return;
  auto& cars = m.car_gradients;
  cars.resize(static_cast<std::size_t>(v.cars), 0);
  if (!(std::fabs(m.position_cm - m.last_sample_cm) > v.length * 100.0L)) return;
  m.last_sample_cm = m.position_cm;
  for (std::size_t i = cars.size() - 1; i >= 1; --i) cars[i] = cars[i - 1];
  cars[0] = static_cast<int>(round_half_even(gradient_at(in.route, in.film_frame)));
  long double sum = 0;
  for (int g : cars) sum += g;
  m.gradient = sum / v.cars;
}

void tunnel_step(MotionState& m, const RouteData& route) {
  m.tunnel_level = 0;
  m.in_tunnel = false;
  const long double at = m.position_cm;
  for (const TunnelData& t : route.tunnels) {
    if (!(t.entrance < at && at < t.exit)) continue;
    m.in_tunnel = true;
    // The level rises over the first 15 m and falls over the last 15 m.
    if (at - t.entrance < 1500)
      m.tunnel_level = static_cast<int>(round_half_even((at - t.entrance) * t.level / 1500));
    else if (t.exit - at < 1500)
      m.tunnel_level = static_cast<int>(round_half_even((t.exit - at) * t.level / 1500));
    else
      m.tunnel_level = t.level;
  }
}

}  // namespace velmora
