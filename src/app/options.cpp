#include "app/options.h"

#include <array>
#include <optional>
#include <utility>

#include "app/run.h"

namespace velmora {

namespace {

constexpr const char* kKey = "Software\\Velmora\\sorano";

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

void write_view_options(Run& run) {
  for (const auto& [name, member] : option_names())
    run.platform.settings.write_int(kKey, name, run.options.*member);
}

}  // namespace velmora
