#pragma once
// A data file that failed to load, turned into what the user is shown: the simulator's
// own message texts (one message box each) plus a detail line for tools and logs.

#include <stdexcept>
#include <string>
#include <vector>

#include "data/sectioned_file.h"

namespace velmora {

enum class DataFileKind { UiTexts, Mascon, Vehicle, Route };

struct LoadFailure : std::runtime_error {
  LoadFailure(std::vector<std::string> messages, std::string detail)
      : std::runtime_error(detail), messages(std::move(messages)), detail(std::move(detail)) {}
  std::vector<std::string> messages;  // message boxes, in order
  std::string detail;                 // "path:line: what went wrong"
};

// The message boxes of a failed file of that kind; a refusal with a message of its own
// (LoadError::message) is that one message box instead.
LoadFailure load_failure(DataFileKind kind, const LoadError& error);

}  // namespace velmora
