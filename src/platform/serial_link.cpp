#include "platform/serial_link.h"

namespace velmora {

bool SerialLink::connect(const SerialSettings& settings, std::string& error) {
  lost_ = false;
  wanted_ = port_.open(settings, error);
  if (wanted_) settings_ = settings;
  return wanted_;
}

void SerialLink::disconnect() {
  port_.close();
  wanted_ = false;
  lost_ = false;
}

SerialPoll SerialLink::poll(std::int64_t now_ms) {
  SerialPoll got;
  if (!wanted_) return got;
  if (!lost_) {
    got.received = port_.read_available();
    if (port_.is_open()) return got;
    lost_ = true;
    retry_at_ms_ = now_ms + kRetryMs;
    got.change = SerialPoll::Change::lost;
    got.why = port_.failure();
    return got;
  }
  if (now_ms < retry_at_ms_) return got;
  std::string ignored;  // the port is still away: nothing new to tell
  if (port_.open(settings_, ignored)) {
    lost_ = false;
    got.change = SerialPoll::Change::back;
  } else {
    retry_at_ms_ = now_ms + kRetryMs;
  }
  return got;
}

}  // namespace velmora
