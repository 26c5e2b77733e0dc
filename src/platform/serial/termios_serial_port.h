#pragma once
// The serial port with POSIX termios: any tty, pseudo-terminals included (the tests use
// them). Raw mode, no blocking reads. The ports present are listed with libserialport.

#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace velmora {

class TermiosSerialPort final : public SerialPort {
 public:
  TermiosSerialPort() = default;
  ~TermiosSerialPort() override { close(); }
  TermiosSerialPort(const TermiosSerialPort&) = delete;
  TermiosSerialPort& operator=(const TermiosSerialPort&) = delete;

  bool open(const SerialSettings& settings, std::string& error) override;
  void close() override;
  bool is_open() const override { return fd_ >= 0; }
  std::string read_available() override;
  std::string failure() const override { return failure_; }

 private:
  int fd_ = -1;
  std::string path_;
  std::string failure_;
};

// The serial ports of this machine by device path (e.g. /dev/ttyUSB0), first the default.
std::vector<std::string> list_serial_ports();

}  // namespace velmora
