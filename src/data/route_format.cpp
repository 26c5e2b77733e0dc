// The route file's sections in their checking order. The order also decides the context
// label of an error: a section without a label of its own reads under the label of the
// section checked before it.

#include <cstdint>
#include <limits>
#include <map>

#include "common/fields.h"
#include "common/numbers.h"
#include "common/random_below.h"
#include "data/route_reader.h"

namespace velmora {

Section RouteReader::fixed(const std::string& name, const std::string& label,
                           std::function<void(ValueLines&)> read) {
  return {name,
          label,
          [this, name, read](ValueLines& in) {
            std::vector<int>& lines = lines_of(name);
            lines.clear();
            RecordedLines recorded(in, lines, header_line_ + 1);
            read(recorded);
          },
          {},
          {},
          0};
}

template <typename T, typename Parse>
Section RouteReader::list(const std::string& name, const std::string& label, std::vector<T>& table,
                          std::size_t capacity, Parse parse) {
  return {name,
          label,
          {},
          [this, name, &table, parse](const std::string& entry, std::size_t index) {
            std::vector<int>& lines = lines_of(name);
            if (index == 0) {
              table.clear();
              lines.clear();
            }
            table.push_back(parse(entry));
            lines.push_back(header_line_ + 1 + static_cast<int>(index));
          },
          [this, name, &table](std::size_t count) {
            if (count == 0) {
              table.clear();
              lines_of(name).clear();
            }
          },
          capacity};
}

template <typename T, typename Parse>
Section RouteReader::commented_list(const std::string& name, std::vector<T>& table,
                                    std::size_t capacity, Parse parse) {
  // The reader counts every line; comment lines are left out here, and so is the capacity
  // check, which counts stored entries only.
  return {name,
          name,
          {},
          [this, name, &table, capacity, parse](const std::string& entry, std::size_t index) {
            std::vector<int>& lines = lines_of(name);
            if (index == 0) {
              table.clear();
              lines.clear();
            }
            if (!entry.empty() && entry[0] == ';') return;
            if (table.size() >= capacity) throw DataError(over_capacity(name, capacity));
            table.push_back(parse(entry));
            lines.push_back(header_line_ + 1 + static_cast<int>(index));
          },
          [this, name, &table](std::size_t count) {
            if (count == 0) {
              table.clear();
              lines_of(name).clear();
            }
          },
          std::numeric_limits<std::size_t>::max()};
}

Section RouteReader::headed_list(
    const std::string& name, const std::string& label, std::size_t capacity,
    std::function<void(const std::string& first)> head,
    std::function<void(const std::string& entry, std::size_t index)> entry) {
  return {name,
          label,
          [this, name, capacity, head, entry](ValueLines& in) {
            std::vector<int>& lines = lines_of(name);
            lines.clear();
            RecordedLines recorded(in, lines, header_line_ + 1);
            head(recorded.next());
            for (std::size_t count = 0;; ++count) {
              const std::string* line = nullptr;
              try {
                line = &recorded.next();
              } catch (const DataError&) {
                throw DataError(name + " is not closed by a line starting with #");
              }
              if (!line->empty() && (*line)[0] == '#') {
                lines.pop_back();
                return;
              }
              if (count >= capacity) throw DataError(over_capacity(name, capacity));
              entry(*line, count);
            }
          },
          {},
          {},
          0};
}

void RouteReader::read_pre_train_entry(const std::string& line, std::size_t index) {
  std::vector<PreTrainData>& table = route.pre_train;
  if (index == 0) table.clear();
  PreTrainData p = parse_pre_train(line);
  // Delays accumulate along the list: each stop adds its own draw to the total so far.
  const std::int64_t before = table.empty() ? 0 : table.back().delay;
  const std::int64_t delay = before + random_below(context.rng, p.delay_width);
  const std::int64_t departure = static_cast<std::int64_t>(p.departure) + delay;
  constexpr std::int64_t kMax = std::numeric_limits<int>::max();
  if (delay > kMax || departure > kMax || departure < std::numeric_limits<int>::min())
    throw DataError("the departure time with the delays so far lies beyond the clock's range");
  p.delay = static_cast<int>(delay);
  p.departure = static_cast<int>(departure);
  table.push_back(p);
}

void RouteReader::read_kanko_sound2(const std::string& line, std::size_t index) {
  if (index == 0) route.call_voice.resize(kFixedCallSlots);
  route.call_voice.push_back({static_cast<int>(index), line});
}

SectionedFormat RouteReader::format() {
  RouteData& r = route;
  const auto text = [](std::string& value) {
    return [&value](ValueLines& in) { value = in.next(); };
  };
  const auto number = [](int& value) {
    return [&value](ValueLines& in) { value = to_int(in.next()); };
  };
  const auto as_int = [](const std::string& line) { return to_int(line); };
  const auto as_text = [](const std::string& line) { return line; };

  SectionedFormat f;
  f.default_label = "その他";
  f.sections = {
      fixed("[LineName]", "", text(r.line_name)),
      fixed("[LineName2]", "", text(r.line_name2)),
      fixed("[StartPos]", "", number(r.start_pos)),
      fixed("[Staf]", "",
            [&r](ValueLines& in) {
              for (std::string& name : r.staf) name = in.next();
            }),
      fixed("[Friction]", "", [&r](ValueLines& in) { r.route_friction = to_fixed(in.next()); }),
      headed_list(
          "[StafSwitch]", "[StafSwitch]", kStafSwitchCapacity - 1,
          [&r](const std::string& first) { r.staf_switch = {to_int(first)}; },
          [&r](const std::string& entry, std::size_t) { r.staf_switch.push_back(to_int(entry)); }),
      list("[MovieStop]", "[MovieStop]", r.movie_stop, kMovieStopCapacity, as_int),
      list("[MovieSwitch]", "[MovieSwitch]", r.movie_switch, kMovieSwitchCapacity,
           parse_movie_switch),
      list("[Speed_Signal]", "[Speed_Signal]", r.speed_signal, kSpeedSignalCapacity, as_int),
      fixed("[DataName]", "", text(r.data_name)),
      fixed("[Perspective]", "",
            [&r](ValueLines& in) {
              r.perspective_p = to_real(in.next());
              r.perspective_h = to_int(in.next());
            }),
      headed_list(
          "[Pre_Train]", "[Pre_Train]", kRouteListCapacity,
          [&r](const std::string& first) {
            r.pre_train_frame = int_field(first, 1);
            r.pre_train_end = int_field(first, 2);
            r.pre_train.clear();
          },
          [this](const std::string& entry, std::size_t index) {
            read_pre_train_entry(entry, index);
          }),
      fixed("[OneMan]", "",
            [&r](ValueLines& in) {
              r.one_man = static_cast<OneManMode>(to_int(in.next()));
              r.one_man_display = to_int(in.next());
            }),
      list("[SoundData]", "[SoundData]", r.sound_data, kSoundDataCapacity, as_text),
      fixed("[Monitor]", "", [this](ValueLines& in) { read_monitor(in); }),
      headed_list(
          "[Announce]", "[Announce]", kAnnounceCapacity,
          [&r](const std::string& first) {
            r.announce.assign(1, AnnounceData{});
            r.announce[0].sound = int_field(first, 1);
            r.announce_open_sound = int_field(first, 2);
          },
          [&r](const std::string& entry, std::size_t) {
            r.announce.push_back(parse_announce(entry));
          }),
      fixed("[KankoSound1]", "[KankoSound1]",
            [&r](ValueLines& in) {
              // Always 22 lines, whatever they hold: slot = line number - 1.
              for (std::size_t slot = 0; slot < kFixedCallSlots; ++slot)
                r.call_voice[slot] = {static_cast<int>(slot), in.next()};
            }),
      {"[KankoSound2]",
       "[KankoSound2]",
       {},
       [this](const std::string& entry, std::size_t index) {
         std::vector<int>& lines = lines_of("[KankoSound2]");
         if (index == 0) lines.clear();
         read_kanko_sound2(entry, index);
         lines.push_back(header_line_ + 1 + static_cast<int>(index));
       },
       [this](std::size_t count) {
         if (count == 0) {
           route.call_voice.resize(kFixedCallSlots);
           lines_of("[KankoSound2]").clear();
         }
       },
       kRouteListCapacity},
      commented_list("[Sound]", r.sounds, kRouteListCapacity, parse_track_sound),
      commented_list("[Sound2]", r.sound2, kRouteListCapacity, parse_station_range_sound),
      list("[Doppler]", "[Doppler]", r.doppler, kDopplerCapacity, parse_doppler),
      list("[Tunnel]", "[Tunnel]", r.tunnels, kRouteListCapacity, parse_tunnel),
      list("[Atten]", "[Atten]", r.atten, kRouteListCapacity, parse_atten),
      fixed("[TunnelR]", "[TunnelR]", number(r.tunnel_r)),
      list("[Station]", "[Station]", r.stations, kStationCapacity, parse_station),
      list("[StopSound]", "[StopSound]", r.stop_sound, kRouteListCapacity, as_int),
      list("[Signal]", "[Signal]", r.signals, kRouteListCapacity, parse_signal),
      list("[Signal2]", "[Signal2]", r.signal_chain, kRouteListCapacity, parse_signal_chain),
      list("[TrafficSignal]", "[TrafficSignal]", r.traffic_signals, kRouteListCapacity,
           parse_traffic_signal),
      list("[Slope]", "[Slope]", r.slopes, kRouteListCapacity, parse_slope),
      list("[Sign]", "[Sign]", r.signs, kRouteListCapacity, parse_sign),
      list("[Anim]", "[Anim]", r.anims, kRouteListCapacity, parse_anim),
      list("[SignalKanko]", "[SignalKanko]", r.signal_kanko, kRouteListCapacity,
           parse_signal_kanko),
      list("[StationKanko]", "[StationKanko]", r.station_kanko, kRouteListCapacity,
           parse_station_kanko),
      list("[SpeedLimit]", "[SpeedLimit]", r.speed_limits, kRouteListCapacity, parse_speed_limit),
      fixed("[MaxSpeedCheck]", "[MaxSpeedCheck]", number(r.max_speed_check)),
      list("[SpeedCheck1]", "[SpeedCheck1]", r.speed_check1, kRouteListCapacity,
           parse_speed_check1),
      list("[SpeedCheck2]", "[SpeedCheck2]", r.speed_check2, kRouteListCapacity,
           parse_speed_check_range),
      list("[SpeedCheck3]", "[SpeedCheck3]", r.speed_check3, kRouteListCapacity,
           parse_speed_check_range),
      fixed("[SignImageList]", "[SignImageList]", [this](ValueLines& in) { read_sign_images(in); }),
      fixed("[SignalImageList]", "[SignalImageList]",
            [this](ValueLines& in) { read_signal_images(in); }),
      list("[OtherKanko]", "[OtherKanko]", r.other_kanko, kCallListCapacity, as_text),
      list("[LimitKanko]", "[LimitKanko]", r.limit_kanko, kCallListCapacity, as_text),
      list("[AnimImageList]", "[AnimImageList]", r.anim_images, kRouteListCapacity,
           [this](const std::string& file) {
             load_listed_picture(PictureList::Animation, file);
             return file;
           }),
      list("[TrafficSignalImageList]", "[TrafficSignalImageList]", r.traffic_signal_images,
           kRouteListCapacity,
           [this](const std::string& file) {
             load_listed_picture(PictureList::TrafficLight, file);
             return file;
           }),
      list("[SpeedUnit]", "[SpeedUnit]", r.speed_units, kRouteListCapacity, parse_speed_unit),
      list("[Cross]", "[Cross]", r.crossings, kCrossCapacity, parse_cross),
      list("[Time]", "[Time]", r.time_checks, kTimeCapacity, parse_time_check),
      list("[Switch]", "[Switch]", r.switches, kSwitchCapacity, parse_switch),
  };
  // The label in force when a section opens: the last one given at or before it in the
  // checking order, as the reader reports a failure.
  std::map<std::string, std::string> labels;
  std::string label = f.default_label;
  for (const Section& section : f.sections) {
    if (!section.label.empty()) label = section.label;
    labels.emplace(section.name, label);
  }
  f.opened = [this, labels](const Section& section, int line) {
    header_line_ = line;
    label_ = labels.at(section.name);
    route.source.opened.emplace_back(section.name, line);
  };
  return f;
}

}  // namespace velmora
