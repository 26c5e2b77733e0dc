#pragma once
// The world of one demo line as the film renderer sees it: the track's plan and height
// sampled every metre, and the objects beside it. Shared by the track drawing and the
// scenery drawing; not part of make-demo's interface.

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "film_render.h"
#include "line_model.h"

namespace velmora::demo {

enum class ItemKind {
  tree, building, pole, signal, limit_sign, limit_end, grade_post, sign_board,
  distance_board, stop_marker, name_board, crossing, buffer, km_post, footbridge, shelter, column
};

struct Item {
  ItemKind kind;
  double s = 0;        // m along the line
  double lateral = 0;  // m, right of the track centre positive
  double size = 1;     // kind-dependent: height, width, ...
  double size2 = 1;
  std::uint32_t colour = 0x808080;
  int number = 0;      // kind-dependent: speed, per mille, distance, aspect, ...
  std::string text;
  std::string reading;  // a name board's kana line
};

// An item of the scene; `colour` 0 leaves the kind's own colour to the renderer.
inline Item make_item(ItemKind kind, double s, double lateral, double size = 1, double size2 = 1,
                      std::uint32_t colour = 0, int number = 0) {
  Item it;
  it.kind = kind;
  it.s = s;
  it.lateral = lateral;
  it.size = size;
  it.size2 = size2;
  it.colour = colour;
  it.number = number;
  return it;
}

struct TrackRun {  // a further track beside ours
  double from_m, to_m;
  double lateral;
};

struct PlatformRun {
  double from_m, to_m;
  double edge;    // m: lateral place of the edge along its track; the platform lies away from 0
  double width;   // m
  bool roof;      // a roof on pillars over its middle
  double height = 1.05;  // m above the rail
};

struct Shed {  // a train shed's roof over platforms and tracks
  double from_m, to_m;
  double left, right;  // m lateral
  double height;       // m above the rail, its underside
};

struct Scene {
  const LineModel* line = nullptr;
  double origin_m = -300;  // the first sample
  std::vector<double> x, y, z, heading;  // plan (m), height (m), heading (rad), per metre
  std::vector<Item> items;               // sorted by s
  std::vector<TrackRun> tracks;          // beside ours
  std::vector<PlatformRun> platforms;
  std::vector<Shed> sheds;
  std::vector<Stretch> roads;            // level crossings: road bands
  std::vector<Stretch> turnouts;         // value: +1 to the right, -1 to the left
  double end_m = 0;                      // the track ends (buffer stop)
  std::uint32_t seed = 1;
  bool electrified = true;
};

// A point in the camera's frame: forward, right and up, metres.
struct CamPoint {
  double fwd, lat, up;
};

class View {
 public:
  View(const Scene& scene, double metres, int width, int height);

  // A place beside the track: along-distance s, lateral offset, height above the rail.
  CamPoint at(double s, double lateral, double height) const;
  // Screen position of a camera point in front of the camera.
  double sx(const CamPoint& p) const { return cx_ + focal_ * p.lat / p.fwd; }
  double sy(const CamPoint& p) const { return cy_ - focal_ * p.up / p.fwd; }
  double focal() const { return focal_; }
  double horizon() const { return cy_ + focal_ * std::tan(pitch_); }
  double heading() const { return heading_; }
  double metres() const { return metres_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Fills a polygon of camera points, clipped to the space in front of the camera.
  void fill(cairo_t* cr, const std::vector<CamPoint>& points, std::uint32_t rgb) const;
  // Adds that clipped polygon to the current path; false when nothing of it is in front.
  bool trace(cairo_t* cr, const std::vector<CamPoint>& points) const;
  // A quad standing across the track (a board facing the train), its lower edge at height.
  bool board(double s, double lateral, double height, double width, double tall, double& x,
             double& y, double& w, double& h) const;

 private:
  const Scene& scene_;
  double metres_;
  int width_, height_;
  double focal_, cx_, cy_;
  double px_, py_, pz_, heading_, pitch_;
};

void set_rgb(cairo_t* cr, std::uint32_t rgb, double alpha = 1.0);
std::uint32_t shade(std::uint32_t rgb, double factor);

// Track-side sample of the line's plan at s (interpolated).
void track_point(const Scene& scene, double s, double& x, double& y, double& z, double& heading);

// The scenery objects in view between from_m and to_m, far to near.
void draw_items(cairo_t* cr, const View& view, const Scene& scene, int tick, double from_m,
                double to_m);
// Platforms and their roofs along the stretch in view.
void draw_platforms(cairo_t* cr, const View& view, const Scene& scene);
// Bridge girders along the stretch in view.
void draw_bridges(cairo_t* cr, const View& view, const Scene& scene);
// Train-shed roofs overhead, drawn after what lies beyond them.
void draw_sheds(cairo_t* cr, const View& view, const Scene& scene);
// The items that belong to a station's look: footbridges, shelters, shed columns.
void draw_station_item(cairo_t* cr, const View& view, const Item& item);
// The overhead wires of an electrified line.
void draw_wires(cairo_t* cr, const View& view, const Scene& scene);
// Trains on other tracks.
void draw_trains(cairo_t* cr, const View& view, const std::vector<OtherTrain>& trains);
// Builds the objects of the scene from the line.
void place_items(Scene& scene);
// The platforms, roofs, sheds, extra tracks and boards of every station, by its look.
void place_stations(Scene& scene);
// Whether a place belongs to a station (a platform, a shed and their surroundings), where
// no tree or house may stand.
bool under_station(const Scene& scene, double s, double lateral);

}  // namespace velmora::demo
