#include "sound/calls.h"

#include <string>

#include "app/run.h"

namespace velmora {

void kanko_queue_add(Run& run, int slot) {
  const auto& voices = run.route.call_voice;
  std::string detail = std::to_string(slot);
  if (slot >= 0 && static_cast<std::size_t>(slot) < voices.size() &&
      !voices[static_cast<std::size_t>(slot)].filename.empty())
    detail += " " + voices[static_cast<std::size_t>(slot)].filename;
  run.platform.events.event("call", detail);
}

void station_call(Run& run, int event, int station) {
  run.platform.events.event("call",
                            "station " + std::to_string(event) + " " + std::to_string(station));
}

}  // namespace velmora
