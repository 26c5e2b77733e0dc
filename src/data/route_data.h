#pragma once
// The route file's values. Filled once at start-up by load_route and build_route_tables,
// read-only afterwards.

#include <array>
#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/fixed4.h"
#include "data/route_records.h"

namespace velmora {

// Table sizes. A list with more entries rejects the file with its message.
constexpr std::size_t kRouteListCapacity = 501;  // every list not named below
constexpr std::size_t kStationCapacity = 100;    // the per-station state holds 100 stations
constexpr std::size_t kSoundDataCapacity = 100;  // the route sound tables hold 100 sounds
constexpr std::size_t kStafSwitchCapacity = 10;  // first line included
constexpr std::size_t kMovieStopCapacity = 100;
constexpr std::size_t kMovieSwitchCapacity = 100;
constexpr std::size_t kSpeedSignalCapacity = 11;
constexpr std::size_t kAnnounceCapacity = 500;  // entries 1..500; index 0 is the header's
constexpr std::size_t kDopplerCapacity = 500;
constexpr std::size_t kCallListCapacity = 1000;  // [OtherKanko], [LimitKanko]
constexpr std::size_t kCrossCapacity = 1000;
constexpr std::size_t kTimeCapacity = 100;
constexpr std::size_t kSwitchCapacity = 101;
constexpr std::size_t kRouteEventCapacity = 501;
constexpr std::size_t kFixedCallSlots = 22;  // [KankoSound1]

// Where the values came from, for messages and for velmora-check.
struct RouteSource {
  std::filesystem::path path;
  std::vector<std::string> lines;  // the decoded file; line n is lines[n - 1]
  // Per section, the line numbers of the value lines read and of the entries stored, in
  // order, for the copy of the section that was read last.
  std::map<std::string, std::vector<int>, std::less<>> lines_of;
  // Every header that opened a section, in file order: (section name, line number).
  std::vector<std::pair<std::string, int>> opened;

  // The line number of a section's k-th value line or entry; 0 when there is none.
  int line_of(const std::string& section, std::size_t k) const {
    auto it = lines_of.find(section);
    return it == lines_of.end() || k >= it->second.size() ? 0 : it->second[k];
  }
  // The text of line n; empty when there is none.
  const std::string& text_of(int n) const {
    static const std::string none;
    return n >= 1 && static_cast<std::size_t>(n) <= lines.size() ? lines[n - 1] : none;
  }
};

struct RouteData {
  std::string line_name;   // [LineName]: the cab window's caption
  std::string line_name2;  // [LineName2]: read, no effect
  int start_pos = 0;       // [StartPos]: film frame where a run from the first station starts
  std::array<std::string, 3> staf;  // [Staf]: staff timetable, not-started and cab pictures
  Fixed4 route_friction;            // [Friction]: adhesion factor of the line
  std::vector<int> staf_switch;     // [StafSwitch]: read, no effect
  std::vector<int> movie_stop;      // [MovieStop]: film frames where the train is held
  std::vector<MovieSwitchData> movie_switch;
  std::vector<int> speed_signal;  // [Speed_Signal]: km/h per aspect; its size is the aspect count
  std::string data_name;          // [DataName]: base name of the route film
  long double perspective_p = 0;  // [Perspective] line 1: m to the half-way point
  int perspective_h = 0;          // [Perspective] line 2: px, horizon above the bottom edge
  int pre_train_frame = 0;        // [Pre_Train]: the preceding train's frame at start; 0 none
  int pre_train_end = 0;          // film frame beyond which it is removed
  std::vector<PreTrainData> pre_train;
  OneManMode one_man = OneManMode::Conductor;  // [OneMan] line 1; >= OneMan: one-man
  int one_man_display = 0;              // [OneMan] second value: 1 shows the one-man texts
  std::vector<std::string> sound_data;  // [SoundData]: sound number = index; "" no sound
  MonitorData monitor;
  int announce_open_sound = 0;  // [Announce] header field 2 (field 1 is announce[0].sound)
  std::vector<AnnounceData> announce{AnnounceData{}};  // entries from 1; count: size() - 1
  // The call voices: [KankoSound1] in slots 0..21, [KankoSound2] from slot 22.
  std::vector<Kanko> call_voice = std::vector<Kanko>(kFixedCallSlots);
  std::vector<TrackSoundData> sounds;         // [Sound]
  std::vector<StationRangeSoundData> sound2;  // [Sound2]
  std::vector<DopplerData> doppler;
  std::vector<TunnelData> tunnels;
  std::vector<AttenData> atten;
  int tunnel_r = 0;  // [TunnelR]: tunnel resistance factor
  std::vector<StationData> stations;
  std::vector<int> stop_sound;  // [StopSound]: read, no effect
  std::vector<SignalData> signals;
  std::vector<SignalChainData> signal_chain;  // [Signal2], parallel to `signals` once loaded
  std::vector<TrafficSignalData> traffic_signals;
  std::vector<SlopeData> slopes;
  std::vector<SignData> signs;
  std::vector<AnimData> anims;
  std::vector<SignalKankoData> signal_kanko;
  std::vector<StationKankoData> station_kanko;
  std::vector<SpeedCheckData> speed_limits;  // [SpeedLimit]
  int max_speed_check = 0;  // [MaxSpeedCheck]: 1 service brake, 2 emergency brake, else none
  std::vector<SpeedCheckData> speed_check1, speed_check2, speed_check3;
  std::array<OverlayPictureLine, 9> sign_images;    // [SignImageList], as read
  int signal_offset_x = 0, signal_offset_y = 0;     // px, [SignalImageList] line 1
  std::array<OverlayPictureLine, 4> signal_images;  // [SignalImageList]: main, S, L, R
  std::vector<std::string> other_kanko;             // [OtherKanko]: call voices by sign picture
  std::vector<std::string> limit_kanko;             // [LimitKanko]: call voices by limit picture
  std::vector<std::string> anim_images;             // [AnimImageList]; its size is the count
  std::vector<std::string> traffic_signal_images;   // [TrafficSignalImageList]
  std::vector<SpeedUnitData> speed_units;
  std::vector<CrossData> crossings;
  std::vector<TimeCheckData> time_checks;
  std::vector<SwitchData> switches;

  // Derived by build_route_tables: sorted by position, equal positions in list order.
  std::vector<RouteEvent> events;

  RouteSource source;
};

}  // namespace velmora
