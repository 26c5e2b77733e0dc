#pragma once
// Inside the route loader: the reader state shared by the files that build the route
// format, and the section shapes the route file uses beyond the common ones.

#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "data/route_loader.h"
#include "data/sectioned_file.h"

namespace velmora {

// Value lines that note the line number of each line they hand out.
class RecordedLines final : public ValueLines {
 public:
  RecordedLines(ValueLines& in, std::vector<int>& lines, int first_line)
      : in_(in), lines_(lines), next_line_(first_line) {}
  const std::string& next() override {
    const std::string& line = in_.next();
    lines_.push_back(next_line_++);
    return line;
  }

 private:
  ValueLines& in_;
  std::vector<int>& lines_;
  int next_line_;
};

class RouteReader {
 public:
  RouteReader(RouteData& route, RouteLoadContext& context, std::vector<RoutePicture>& pictures)
      : route(route), context(context), pictures(pictures) {}

  // The 49 sections in checking order, with their context labels.
  SectionedFormat format();

  RouteData& route;
  RouteLoadContext& context;
  std::vector<RoutePicture>& pictures;  // named so far, in file order

 private:
  // Section shapes. Each notes the line numbers of what it reads in route.source.
  // A fixed section of value lines.
  Section fixed(const std::string& name, const std::string& label,
                std::function<void(ValueLines&)> read);
  // A list: one entry per line up to "#".
  template <typename T, typename Parse>
  Section list(const std::string& name, const std::string& label, std::vector<T>& table,
               std::size_t capacity, Parse parse);
  // A list in which a line starting with ";" is a comment ([Sound], [Sound2]).
  template <typename T, typename Parse>
  Section commented_list(const std::string& name, std::vector<T>& table, std::size_t capacity,
                         Parse parse);
  // A first value line, then a list up to "#". `entry` gets each entry with its index.
  Section headed_list(const std::string& name, const std::string& label, std::size_t capacity,
                      std::function<void(const std::string& first)> head,
                      std::function<void(const std::string& entry, std::size_t index)> entry);

  std::vector<int>& lines_of(const std::string& section) { return route.source.lines_of[section]; }

  // Sections with more to them than their shape (route_format.cpp).
  void read_pre_train_entry(const std::string& entry, std::size_t index);
  void read_kanko_sound2(const std::string& entry, std::size_t index);

  // Pictures (route_pictures.cpp).
  void read_monitor(ValueLines& in);
  void read_sign_images(ValueLines& in);
  void read_signal_images(ValueLines& in);
  void load_listed_picture(PictureList list, const std::string& file);
  [[noreturn]] void picture_failure(const std::string& message, const std::string& why,
                                    int line) const;
  // What an overlay picture reports when it cannot be read: its own message.
  LoadFailure overlay_failure(const std::string& message, const std::string& why, int line) const;
  // What a picture of [Monitor] or a picture list reports: the route-file pair for `line`.
  LoadFailure route_failure(const std::string& why, const std::string& line, int line_number) const;

  int header_line_ = 0;       // line of the header being read
  std::string label_;         // context label of the section being read
  int anim_pictures_ = 0;     // pictures in the animation list so far
  int traffic_pictures_ = 0;  // pictures in the traffic-light list so far
};

// Line parsers (route_entries.cpp). Each converts its fields left to right and throws
// ConversionError for the first that is not a number, DataError for a refused value.
int int_field(const std::string& line, int k);
MovieSwitchData parse_movie_switch(const std::string& line);
PreTrainData parse_pre_train(const std::string& line);
AnnounceData parse_announce(const std::string& line);
TrackSoundData parse_track_sound(const std::string& line);
StationRangeSoundData parse_station_range_sound(const std::string& line);
DopplerData parse_doppler(const std::string& line);
TunnelData parse_tunnel(const std::string& line);
AttenData parse_atten(const std::string& line);
StationData parse_station(const std::string& line);
SignalData parse_signal(const std::string& line);
SignalChainData parse_signal_chain(const std::string& line);
TrafficSignalData parse_traffic_signal(const std::string& line);
SlopeData parse_slope(const std::string& line);
SignData parse_sign(const std::string& line);
AnimData parse_anim(const std::string& line);
SignalKankoData parse_signal_kanko(const std::string& line);
StationKankoData parse_station_kanko(const std::string& line);
SpeedCheckData parse_speed_limit(const std::string& line);
SpeedCheckData parse_speed_check1(const std::string& line);
SpeedCheckData parse_speed_check_range(const std::string& line);  // [SpeedCheck2], [SpeedCheck3]
SpeedUnitData parse_speed_unit(const std::string& line);
CrossData parse_cross(const std::string& line);
TimeCheckData parse_time_check(const std::string& line);
SwitchData parse_switch(const std::string& line);

// "[X] holds more than N entries": the message of a list past its capacity.
std::string over_capacity(const std::string& section, std::size_t capacity);

}  // namespace velmora
