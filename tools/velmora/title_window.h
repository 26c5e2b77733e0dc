#pragma once
// The title window: the opening film, the title picture with its staggered buttons and
// jingle, the three routes (a right click picks another vehicle), help and quit. A chosen
// route runs in the cab window; its end brings the title window back.

#include <cstdint>
#include <filesystem>
#include <functional>

#include "cab_session.h"

namespace velmora {

// Runs until the title window is closed or Quit is chosen; the process's exit status.
int run_title_window(const std::filesystem::path& data, const SessionOptions& options,
                     DesktopServices services, const std::function<std::uint64_t()>& seed);

}  // namespace velmora
