#include "app/options.h"

#include <array>
#include <optional>
#include <utility>

#include "app/run.h"

namespace velmora {

namespace {

constexpr const char* kKey = "Software\\Velmora\\sorano";
constexpr const char* kControllerKey = "Software\\Velmora\\dgcontroller";

// The values in the order they are read, with the option each one holds.
std::array<std::pair<const char*, int Options::*>, 5> option_names() {
  return {{{"Kanko", &Options::opt_kanko_off},
           {"Information", &Options::opt_info_off},
           {"ATS", &Options::opt_ats_reg},
           {"Tunnel", &Options::opt_effects_off},
           {"Moji", &Options::opt_moji}}};
}

}  // namespace

void read_view_options(Run& run) {
  Options read;
  for (const auto& [name, member] : option_names()) {
    const std::optional<int> value = run.platform.settings.read_int(kKey, name);
    if (!value) {
      run.options = Options{};
      return;
    }
    read.*member = *value;
  }
  run.options = read;
}

void read_dg_button_map(Run& run) {
  static constexpr std::array<const char*, 16> kNames = {"P0", "P1", "P2", "P3", "P4", "P5", "B0", "B1",
                                                         "B2", "B3", "B4", "B5", "B6", "B7", "B8", "EB"};
  run.input.dg_button_map.fill(0);
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    const std::optional<int> value = run.platform.settings.read_int(kControllerKey, kNames[i]);
    if (!value) return;
    run.input.dg_button_map[i] = *value;
  }
}

void write_view_options(Run& run) {
  for (const auto& [name, member] : option_names())
    run.platform.settings.write_int(kKey, name, run.options.*member);
}

}  // namespace velmora
