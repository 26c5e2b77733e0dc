#pragma once
// The checks velmora-check makes, run on what velmora-author wrote: the vehicle and the
// route loaded as the simulator loads them, the route's warnings, then the cab's pictures.

#include <filesystem>
#include <ostream>
#include <string>

namespace velmora::author {

struct CheckOutcome {
  bool loaded = false;  // both files load and the pictures can be made
  int warnings = 0;
};

// Prints each warning as velmora-check does (FILE:LINE: warning: TEXT) and a failure's
// messages (message: TEXT, then the detail) to `out`.
CheckOutcome check_written(const std::filesystem::path& data_dir, const std::string& vehicle,
                           const std::string& route, std::ostream& out);

}  // namespace velmora::author
