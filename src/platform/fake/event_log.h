#pragma once
// Everything the fakes were asked to do that a test or a trace reader wants to see, in
// order, stamped with the frame it happened in.

#include <string>
#include <vector>

namespace velmora {

struct Event {
  long long frame;
  std::string kind;    // "message", "status", "caption", "end", ...
  std::string detail;
};

class EventLog {
 public:
  long long frame = 0;  // stamped on each event; the driver of the run keeps it current
  std::vector<Event> events;

  void add(std::string kind, std::string detail = {}) {
    events.push_back({frame, std::move(kind), std::move(detail)});
  }
};

}  // namespace velmora
