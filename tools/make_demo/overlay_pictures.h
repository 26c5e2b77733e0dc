#pragma once
// The pictures a demo route lays over its film and shows beside it: the trackside overlay
// strips of [SignImageList] and [SignalImageList], the staff timetable, the picture shown
// before the run starts, and the sub display behind the cab's text labels.

#include <filesystem>
#include <string>
#include <vector>

#include "line_model.h"

namespace velmora::demo {

// px: the remaining-distance board's width on an 800 px film. Narrow, since the board
// is opaque and slides over everything at the film's right edge.
constexpr int kRemainWidthFull = 40;

struct OverlaySizes {
  int marker = 128;  // stop-position marker frames, px square
  int line = 4;      // stop lines, px high
  int post = 96;     // gradient posts, limit signs, other signs
  int remain = kRemainWidthFull;  // remaining-distance board, px wide (900 high)
  int cross = 64;
  int head_w = 48, head_h = 112;  // signal main heads
  int sub = 32;                   // small sub-head
  int side = 40;                  // left and right sub-heads
};

OverlaySizes overlay_sizes(int film_width);

// The limit pictures: one per distinct limit speed, then one end picture.
struct LimitPictures {
  std::vector<int> speeds;  // picture k + 1 shows speeds[k]
  int end_picture = 0;
};

struct SignPicture {
  std::string text;   // what it says
  bool warning;       // yellow board
};

// Draws every overlay picture of the route into `data_dir` / image / key.
void draw_overlays(const LineModel& line, const std::filesystem::path& data_dir, int film_width,
                   int film_height, const LimitPictures& limits,
                   const std::vector<SignPicture>& signs);

// The staff timetable, the standby picture and the sub display.
void draw_route_pictures(const LineModel& line, const std::filesystem::path& data_dir,
                         int film_width, int film_height);

}  // namespace velmora::demo
