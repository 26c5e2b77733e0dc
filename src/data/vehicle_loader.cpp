#include "data/vehicle_loader.h"

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>

#include "common/paths.h"
#include "data/load_failure.h"
#include "data/text_file.h"
#include "data/vehicle_reading.h"

namespace velmora {
namespace {

const char* const kDefaultLabel = "- 列車の基本設定";

std::string number(long double value) {
  std::string s = std::to_string(value);
  s.erase(s.find_last_not_of('0') + 1);
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

// A settled value refused: names the line of the section's header when it was given.
class Refusal {
 public:
  Refusal(const VehicleSource& source, const std::filesystem::path& path)
      : source_(source), path_(path) {}

  [[noreturn]] void operator()(const std::string& section, const std::string& label,
                               const std::string& detail, std::string message = "") const {
    const auto it = source_.header_lines.find(section);
    const int line = it == source_.header_lines.end() ? 0 : it->second;
    throw LoadError(detail, label, section, path_, line, std::move(message));
  }

 private:
  const VehicleSource& source_;
  const std::filesystem::path& path_;
};

// Every force becomes an acceleration through the total mass and every brake force is a
// share of the emergency cylinder pressure, so neither may become 0 under any load.
void check_masses_and_pressures(const VehicleData& v, const Refusal& refuse) {
  if (v.tons.empty.raw() < Fixed4::kScale)
    refuse("[Tons]", kDefaultLabel,
           "[Tons]: the empty train mass is " + v.tons.empty.to_string() +
               " t; it must be at least 1 t");
  if (v.tons.per_percent.raw() < 0)
    refuse("[Tons]", kDefaultLabel, "[Tons]: the mass must not fall as the load grows");
  if (v.eb_press.empty < 1 || v.eb_press.per_percent < 0)
    refuse("[EBPress]", kDefaultLabel,
           "[EBPress]: the emergency cylinder pressure must be at least 1 kPa and must not fall "
           "as the load grows");
  // The gradient under the train is the mean over its cars, kept one value per car.
  if (v.cars < 1 || v.cars > kMaxCars)
    refuse("[Cars]", kDefaultLabel,
           "[Cars] is " + std::to_string(v.cars) + "; a train has 1 to " +
               std::to_string(kMaxCars) + " cars");
  // The friction curve divides by 1 + k v for speeds up to the reference speed.
  const long double r2 = v.air_brake_speed;
  if (r2 > 0 && 1 + v.brake_rate2 * r2 <= 0)
    refuse("[BrakeRate2]", kDefaultLabel,
           "[BrakeRate2] " + v.brake_rate2.to_string() +
               " makes the friction curve divide by zero below the [AirBrakeRate] speed " +
               number(r2) + " km/h");
}

void check_traction(const VehicleData& v, const Refusal& refuse) {
  if (v.engine_type == EngineType::Electric && v.power_type == 0) {
    if (v.current_p_reference == 0)
      refuse("[CurrentP]", "[CurrentP]", "[CurrentP]: the reference current must not be 0 A");
    // At or above this speed the force is divided by the speed, which may then be 0.
    if (v.current_p_falloff_speed <= 0)
      refuse("[CurrentP]", "[CurrentP]",
             "[CurrentP]: the speed of the 1/speed region must be above 0 km/h");
  }
}

// What the author hears of through velmora-check: a note under the line of the section's
// header read last.
class Notes {
 public:
  explicit Notes(VehicleSource& source) : source_(source) {}
  void operator()(const std::string& section, const std::string& text) {
    const auto it = source_.header_lines.find(section);
    source_.notes.push_back({section, it == source_.header_lines.end() ? 0 : it->second, text});
  }
  // The first of the sections that was given.
  std::string given(std::initializer_list<const char*> sections) const {
    for (const char* s : sections)
      if (source_.header_lines.count(s) != 0) return s;
    return *sections.begin();
  }

 private:
  VehicleSource& source_;
};

// Tables shorter than what indexes them: the missing rows read as zeros, which the run
// takes as no force. Loaded, filled up and noted, as are the other tables that give none.
void fill_short_tables(VehicleData& v, VehicleSource& source) {
  Notes note(source);
  if (v.engine_type == EngineType::Electric && v.power_type == 1) {
    const std::size_t rows = v.notch.size();
    // Rows past the table's capacity cannot be given; those notches read past the end.
    const std::size_t wanted = std::min<std::size_t>(std::max(v.power, 0), kNotchRowCapacity);
    if (rows < wanted) {
      v.notch.resize(wanted);
      note(note.given({"[Notch]", "[Power]"}),
           "[Notch] has " + std::to_string(rows) + " rows but [Power] is " +
               std::to_string(v.power) + ": " +
               (v.power > static_cast<int>(rows) + 1
                    ? "notches " + std::to_string(rows + 1) + " to " + std::to_string(v.power) +
                          " have no row and give"
                    : "notch " + std::to_string(rows + 1) + " has no row and gives") +
               " no force");
    }
    // The ammeter divides by this speed while running backwards under power.
    if (v.ammeter_mode == 1 && v.power >= 1 &&
        static_cast<std::size_t>(v.power) <= v.notch.size() &&
        v.notch[static_cast<std::size_t>(v.power) - 1].speed1 == 0)
      note(note.given({"[AmMeter]"}),
           "[AmMeter] mode 1 scales the current by the speed1 of [Notch] row " +
               std::to_string(v.power) +
               " ([Power]), which is 0: the ammeter shows 0 "
               "while running backwards under power");
  }
  if (v.engine_type == EngineType::Electric && v.power_type == 0 && v.current_p.empty())
    note("[CurrentP]",
         "[CurrentP] has no step entries: the motor current stays 0 and the train has no "
         "tractive force");
  if (v.engine_type == EngineType::Diesel) {
    if (v.engine.empty())
      note(note.given({"[Engine]", "[Engine_Type]"}),
           "a diesel vehicle without [Engine] gears has no tractive force");
    const std::size_t rates = v.engine_rate.size();
    if (rates < v.engine.size()) {
      v.engine_rate.resize(v.engine.size());
      note(note.given({"[EngineRate]", "[Engine]"}),
           "[EngineRate] has " + std::to_string(rates) + " rows for " +
               std::to_string(v.engine.size()) + " [Engine] gears: from gear " +
               std::to_string(rates) + " on the engine speed aims at 0");
    }
  }
}

}  // namespace

SectionedFormat vehicle_format(VehicleData& vehicle, PanelData& panel, VehicleSource& source,
                               PictureCheck picture_check) {
  auto target = std::make_shared<vehicle_reading::Target>(
      vehicle_reading::Target{vehicle, panel, source, std::move(picture_check)});
  SectionedFormat f;
  f.default_label = kDefaultLabel;
  vehicle_reading::add_train_sections(f.sections, target);
  vehicle_reading::add_panel_sections(f.sections, target);
  f.skipped = [&source](const std::string& line, int line_number) {
    source.stray_lines.push_back({"", line_number, line});
  };
  return f;
}

void settle_vehicle(VehicleData& v, VehicleSource& source, const std::filesystem::path& path) {
  const Refusal refuse(source, path);
  // The automatic air brake always has its four brake-valve positions.
  if (v.brake_type == BrakeType::AutomaticAir) {
    v.brake = 4;
  } else if (v.brake < 3) {
    refuse("[Brake]", kDefaultLabel,
           "[Brake] is " + std::to_string(v.brake) + "; [BrakeType] " +
               std::to_string(static_cast<int>(v.brake_type)) + " needs at least 3 brake positions",
           "ブレーキの段数を3段以上に設定してください");
  }
  check_masses_and_pressures(v, refuse);
  check_traction(v, refuse);
  fill_short_tables(v, source);
}

VehicleData read_vehicle(const std::vector<std::string>& lines, const std::filesystem::path& path,
                         PanelData& panel, VehicleSource& source, PictureCheck picture_check) {
  VehicleData vehicle;
  panel = PanelData{};
  source = VehicleSource{};
  read_sectioned(lines, vehicle_format(vehicle, panel, source, std::move(picture_check)), path);
  settle_vehicle(vehicle, source, path);
  return vehicle;
}

VehicleData load_vehicle(const std::filesystem::path& path, PanelData& panel,
                         VehicleSource* source) {
  VehicleSource own;
  VehicleSource& notes = source != nullptr ? *source : own;
  const std::filesystem::path folder = path.parent_path();
  try {
    std::vector<std::string> lines;
    try {
      lines = read_text_lines(path);
    } catch (const FileReadError& e) {
      throw LoadError(e.what(), kDefaultLabel, "", path, 0);
    }
    return read_vehicle(lines, path, panel, notes, [&folder](const std::string& name) {
      if (!resolve_data_file(folder, name))
        throw DataError("the picture \"" + name + "\" is not in the vehicle's folder");
    });
  } catch (const LoadError& e) {
    throw load_failure(DataFileKind::Vehicle, e);
  }
}

}  // namespace velmora
