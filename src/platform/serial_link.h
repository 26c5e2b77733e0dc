#pragma once
// The master controller's connection as the driver sees it: connected from the Controller
// menu, and kept connected through a cable pulled out and plugged back. A port that fails
// is reported lost once; while the drive goes on, the same port is tried again with the
// same settings about once a second and reported back when it opens.

#include <cstdint>
#include <string>

#include "platform/serial_port.h"

namespace velmora {

struct SerialPoll {
  enum class Change { none, lost, back };
  std::string received;  // what arrived, before any loss this poll reports
  Change change = Change::none;
  std::string why;  // lost: the port's failure
};

class SerialLink {
 public:
  static constexpr std::int64_t kRetryMs = 1000;

  explicit SerialLink(SerialPort& port) : port_(port) {}

  // The Controller menu's connect: opens the port with these settings; false with the
  // system's error text, and nothing is retried.
  bool connect(const SerialSettings& settings, std::string& error);
  // The menu's disconnect: closes the port and stops any retrying.
  void disconnect();
  // Connected by the driver: open, or lost and being tried again.
  bool connected() const { return wanted_; }

  // Reads what arrived, notices a loss, and tries a lost port again when due. `now_ms`
  // is any steadily rising clock in milliseconds.
  SerialPoll poll(std::int64_t now_ms);

 private:
  SerialPort& port_;
  SerialSettings settings_;
  bool wanted_ = false;
  bool lost_ = false;
  std::int64_t retry_at_ms_ = 0;
};

}  // namespace velmora
