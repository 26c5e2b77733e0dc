#pragma once
// Draws the cab view of a demo line with cairo: the sky and hills, the track with its
// ballast, sleepers and rails, and the scenery beside it (poles and wires, platforms with
// name boards, tunnel mouths and tunnel darkness, level crossings, bridges, signs, trees
// and buildings), as seen from a camera at a given place on the line. The picture then
// becomes YUV 4:2:0 planes for the film writer.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "line_model.h"

namespace velmora::demo {

struct Scene;  // the line's world, built once per route

// A train on another track, for the switched film of a crossing train.
struct OtherTrain {
  double front_m = 0;  // m along our line of its front end
  double lateral_m = 4;
  int cars = 2;
  double car_m = 20;
  bool towards_us = true;  // its front faces the camera
};

std::shared_ptr<const Scene> build_scene(const LineModel& line);

class FilmRenderer {
 public:
  FilmRenderer(std::shared_ptr<const Scene> scene, int width, int height);
  ~FilmRenderer();
  FilmRenderer(const FilmRenderer&) = delete;
  FilmRenderer& operator=(const FilmRenderer&) = delete;

  // The view from `metres` along the line; `tick` (film frame) drives the blinking lamps.
  void draw(double metres, int tick, const std::vector<OtherTrain>& trains = {});
  // The last picture as YUV 4:2:0 (BT.601, limited range).
  void to_yuv(std::uint8_t* const planes[3], const int strides[3]) const;
  cairo_surface_t* surface() const { return surface_; }

 private:
  std::shared_ptr<const Scene> scene_;
  int width_, height_;
  cairo_surface_t* surface_ = nullptr;
  cairo_surface_t* background_ = nullptr;  // sky above ground, twice the film's height
  cairo_surface_t* hills_ = nullptr;       // the far hills all round
};

}  // namespace velmora::demo
