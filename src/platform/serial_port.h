#pragma once
// The serial master controller's port: opened with the user's settings, read for whatever
// bytes have arrived.

#include <string>

namespace velmora {

struct SerialSettings {
  std::string port;  // device path, e.g. /dev/ttyUSB0
  int baud = 9600;
  int data_bits = 8;          // 5 .. 8
  int stop_bits = 1;          // 1 or 2
  char parity = 'N';          // N, E or O
  bool flow_control = false;  // RTS/CTS
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Opens the port (closing one that is open); false with the system's error text when it
  // cannot, the port then stays closed.
  virtual bool open(const SerialSettings& settings, std::string& error) = 0;
  virtual void close() = 0;
  virtual bool is_open() const = 0;
  // Every byte that has arrived since the last read; empty when none (never waits). A port
  // whose device fails or hangs up (an adapter pulled out, the far end of a line closed) is
  // closed by the read, which keeps why in `failure()` until the next open.
  virtual std::string read_available() = 0;
  virtual std::string failure() const = 0;
};

}  // namespace velmora
