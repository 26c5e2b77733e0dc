#pragma once
// Happenings of a run that have no picture or sound of their own yet, or that a replay
// wants to see (the calls asked for, the protection log, the end of the run). The desktop
// program may ignore them; the headless run writes them to its events file.

#include <string>

namespace velmora {

class EventSink {
 public:
  virtual ~EventSink() = default;
  // kind: one word ("call", "log", ...); detail: fields separated by one blank.
  virtual void event(const std::string& kind, const std::string& detail) = 0;
};

}  // namespace velmora
