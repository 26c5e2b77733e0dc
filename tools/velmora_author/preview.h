#pragma once
// The preview picture of a route's speed profile, for the author to look over: the speed
// over distance along the line and over film frame, the filming train's measured speed
// under the route's when there is a track, the stations marked where the train stands,
// and the gradients as a strip under the distance plot.

#include <filesystem>
#include <string>
#include <vector>

#include "data/route_records.h"
#include "route_skeleton.h"

namespace velmora::author {

struct PreviewStation {
  std::string name;
  int frame = 0;
  int leaves = 0;  // last frame standing (the film's stand), = frame when unknown
};

struct PreviewData {
  std::string title;
  int fps = 30;
  int frames = 0;
  std::vector<SpeedUnitData> units;    // the route's [SpeedUnit] table
  std::vector<double> measured_kmh;    // per frame; empty without a track
  std::vector<double> measured_m;      // per frame; empty without a track
  std::vector<PreviewStation> stations;
  std::vector<SkeletonSlope> slopes;
};

// Draws the preview (1200 x 820 px PNG). Empty on success, otherwise what went wrong.
std::string write_preview_png(const PreviewData& data, const std::filesystem::path& path);

}  // namespace velmora::author
