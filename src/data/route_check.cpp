#include "data/route_check.h"

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <system_error>

#include "common/paths.h"
#include "data/load_failure.h"
#include "data/route_loader.h"
#include "data/route_tables.h"

namespace velmora {
namespace {

class Checker {
 public:
  Checker(const RouteData& route, const std::filesystem::path& program_dir)
      : route_(route), program_dir_(program_dir), file_(route.source.path.filename().string()) {}

  void warn(int line, std::string text) { warnings_.push_back({file_, line, std::move(text)}); }
  int line_of(const std::string& section, std::size_t k) const {
    return route_.source.line_of(section, k);
  }

  bool covered(int frame) const {
    for (const SpeedUnitData& u : route_.speed_units)
      if (u.first_frame <= frame && frame <= u.last_frame) return true;
    return false;
  }

  // A place the speed profile does not reach cannot be given a distance.
  void place(const std::string& section, std::size_t k, const std::string& what, int frame,
             bool has_position = true) {
    if (covered(frame)) return;
    warn(line_of(section, k), what + " at frame " + std::to_string(frame) +
                                  " lies in no [SpeedUnit] entry" +
                                  (has_position ? ", so it sits at position 0" : ""));
  }

  void places() {
    const RouteData& r = route_;
    for (std::size_t k = 0; k < r.stations.size(); ++k)
      place("[Station]", k, "station " + std::to_string(k) + " \"" + r.stations[k].Name + "\"",
            r.stations[k].Start);
    for (std::size_t k = 0; k < r.signals.size(); ++k)
      place("[Signal]", k, "signal " + std::to_string(k), r.signals[k].frame);
    for (std::size_t k = 0; k < r.speed_limits.size(); ++k)
      place("[SpeedLimit]", k, "the speed limit", r.speed_limits[k].from_frame);
    const std::pair<const char*, const std::vector<SpeedCheckData>*> checks[] = {
        {"[SpeedCheck1]", &r.speed_check1},
        {"[SpeedCheck2]", &r.speed_check2},
        {"[SpeedCheck3]", &r.speed_check3}};
    for (const auto& [section, table] : checks)
      for (std::size_t k = 0; k < table->size(); ++k)
        place(section, k, "the speed check", (*table)[k].from_frame);
    for (std::size_t k = 0; k < r.crossings.size(); ++k) {
      // Crossings work by film frame alone; beyond the profile the train never reaches them.
      place("[Cross]", k, "the crossing's announce point", r.crossings[k].announce_frame, false);
      place("[Cross]", k, "the level crossing", r.crossings[k].passed_frame, false);
    }
    for (std::size_t k = 0; k < r.doppler.size(); ++k)
      place("[Doppler]", k, "the passing-sound source", r.doppler[k].frame);
    for (std::size_t k = 0; k < r.tunnels.size(); ++k) {
      place("[Tunnel]", k, "the tunnel entrance", r.tunnels[k].entrance_frame);
      place("[Tunnel]", k, "the tunnel exit", r.tunnels[k].exit_frame);
    }
    for (std::size_t k = 0; k < r.traffic_signals.size(); ++k) {
      place("[TrafficSignal]", k, "the traffic light's stop line", r.traffic_signals[k].stop_frame);
      if (r.traffic_signals[k].second_frame != 0)
        place("[TrafficSignal]", k, "the traffic light's distance point",
              r.traffic_signals[k].second_frame);
    }
  }

  void speed_profile() {
    const std::vector<SpeedUnitData>& units = route_.speed_units;
    if (units.empty()) warn(0, "there is no [SpeedUnit] entry: every place sits at position 0");
    for (std::size_t i = 0; i < units.size(); ++i) {
      const int line = line_of("[SpeedUnit]", i);
      if (units[i].last_frame < units[i].first_frame)
        warn(line, "the [SpeedUnit] entry runs backwards, from frame " +
                       std::to_string(units[i].first_frame) + " to frame " +
                       std::to_string(units[i].last_frame));
      if (i > 0 && units[i].first_frame != units[i - 1].last_frame)
        warn(line, "the [SpeedUnit] entry starts at frame " + std::to_string(units[i].first_frame) +
                       ", not where the one before ends (frame " +
                       std::to_string(units[i - 1].last_frame) + ")");
    }
  }

  void file(int line, const std::string& what, const std::string& name) {
    if (name.empty()) return;
    const std::optional<std::filesystem::path> found = resolve_data_file(program_dir_, name);
    std::error_code ec;
    if (!found || !std::filesystem::is_regular_file(*found, ec))
      warn(line, what + " \"" + name + "\" does not exist");
  }

  void files(const std::string& film_folder) {
    const RouteData& r = route_;
    for (std::size_t k = 0; k < r.staf.size(); ++k)
      file(line_of("[Staf]", k), "the picture", r.staf[k]);
    for (std::size_t k = 0; k < r.sound_data.size(); ++k)
      file(line_of("[SoundData]", k), "the sound", r.sound_data[k]);
    for (std::size_t k = 0; k < r.call_voice.size(); ++k) {
      const int line = k < kFixedCallSlots ? line_of("[KankoSound1]", k)
                                           : line_of("[KankoSound2]", k - kFixedCallSlots);
      file(line, "the call", r.call_voice[k].filename);
    }
    for (std::size_t k = 0; k < r.other_kanko.size(); ++k)
      file(line_of("[OtherKanko]", k), "the call", r.other_kanko[k]);
    for (std::size_t k = 0; k < r.limit_kanko.size(); ++k)
      file(line_of("[LimitKanko]", k), "the call", r.limit_kanko[k]);
    if (!r.data_name.empty())
      file(line_of("[DataName]", 0), "the film", film_folder + r.data_name + ".avi");
    for (std::size_t k = 0; k < r.movie_switch.size(); ++k)
      file(line_of("[MovieSwitch]", k), "the film", film_folder + r.movie_switch[k].name + ".avi");
  }

  void signal_stretches() {
    const std::vector<SignalData>& s = route_.signals;
    for (std::size_t j = 1; j < s.size(); ++j)
      for (std::size_t i = 0; i < j; ++i) {
        const int from = std::max(s[i].show_from, s[j].show_from);
        const int to = std::min(s[i].frame, s[j].frame);
        if (from < to)
          warn(line_of("[Signal]", j), "signals " + std::to_string(i) + " and " +
                                           std::to_string(j) + " are both drawn from frame " +
                                           std::to_string(from) + " to " + std::to_string(to) +
                                           "; only signal " + std::to_string(j) + " shows there");
      }
  }

  void departure_times() {
    const std::vector<StationData>& s = route_.stations;
    // The last station ends the run, so it needs no departure time.
    for (std::size_t k = 0; k + 1 < s.size(); ++k)
      if (s[k].trntype == StopType::DoorStop && s[k].deptime == 0)
        warn(line_of("[Station]", k), "station " + std::to_string(k) + " \"" + s[k].Name +
                                          "\" stops with doors (type 0) but has no departure time");
  }

  void repeated_sections() {
    std::map<std::string, int> first;
    for (const auto& [name, line] : route_.source.opened) {
      auto [it, fresh] = first.emplace(name, line);
      if (!fresh)
        warn(line, name + " appears again (first at line " + std::to_string(it->second) +
                       "); this copy replaces the values read there");
    }
  }

  void letter_case() {
    std::set<int> read;  // lines the sections took as headers, values or entries
    for (const auto& [name, line] : route_.source.opened) read.insert(line);
    for (const auto& [name, lines] : route_.source.lines_of)
      read.insert(lines.begin(), lines.end());
    const std::vector<std::string>& names = route_section_names();
    const std::vector<std::string>& lines = route_.source.lines;
    for (std::size_t n = 0; n < lines.size(); ++n) {
      const std::string& line = lines[n];
      if (read.count(static_cast<int>(n + 1)) != 0 || line.empty() || line[0] != '[') continue;
      const bool exact = std::any_of(names.begin(), names.end(), [&](const std::string& s) {
        return line.compare(0, s.size(), s) == 0;
      });
      if (exact) continue;
      for (const std::string& s : names)
        if (line.size() >= s.size() && same_letters(line.substr(0, s.size()), s)) {
          warn(static_cast<int>(n + 1), "\"" + line.substr(0, s.size()) +
                                            "\" opens no section: it is written " + s +
                                            ", in that letter case");
          break;
        }
    }
  }

  std::vector<RouteWarning> result() {
    std::stable_sort(warnings_.begin(), warnings_.end(),
                     [](const RouteWarning& a, const RouteWarning& b) { return a.line < b.line; });
    return std::move(warnings_);
  }

 private:
  static bool same_letters(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
  }

  const RouteData& route_;
  const std::filesystem::path& program_dir_;
  std::string file_;
  std::vector<RouteWarning> warnings_;
};

std::filesystem::path find_in(const std::filesystem::path& folder, const std::string& name) {
  return resolve_data_file(folder, name).value_or(folder / name);
}

}  // namespace

LoadedRoute load_route_for_check(const std::filesystem::path& program_dir,
                                 const std::string& route_file, const std::string& vehicle_file,
                                 ImageList& images) {
  LoadedRoute loaded;
  loaded.ui = load_ui_texts(find_in(program_dir, "velmora.dat"));
  // The delays drawn here change no check.
  std::mt19937_64 rng(0);
  RouteLoadContext context{program_dir, vehicle_file, loaded.ui.film_width, loaded.ui.film_height,
                           rng};
  loaded.route = load_route(find_in(program_dir, route_file), context, images);
  build_route_tables(loaded.route, loaded.ui.film_fps);
  return loaded;
}

std::vector<RouteWarning> check_route(const RouteData& route,
                                      const std::filesystem::path& program_dir,
                                      const std::string& film_folder) {
  Checker c(route, program_dir);
  c.speed_profile();
  c.places();
  c.files(film_folder);
  c.signal_stretches();
  c.departure_times();
  c.repeated_sections();
  c.letter_case();
  return c.result();
}

}  // namespace velmora
