#pragma once
// The three demo routes as a designer lays them out: stations, speeds, gradients, curves,
// tunnels, bridges, crossings, signals and signs, each at a place relative to a station.
// The short version keeps every feature on a line a fraction as long.

#include <vector>

#include "line_model.h"

namespace velmora::demo {

RouteDesign express_design(bool short_mode);  // line_exp.dat with train_85.dat
RouteDesign rapid_design(bool short_mode);    // line_rapid.dat with train_75.dat
RouteDesign local_design(bool short_mode);    // line_local.dat with train_313_2cars.dat

std::vector<RouteDesign> demo_designs(bool short_mode);

}  // namespace velmora::demo
