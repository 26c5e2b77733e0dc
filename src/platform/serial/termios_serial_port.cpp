#include "platform/serial/termios_serial_port.h"

#include <fcntl.h>
#include <libserialport.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {

namespace {

speed_t speed_of(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B0;
  }
}

}  // namespace

bool TermiosSerialPort::open(const SerialSettings& s, std::string& error) {
  close();
  const speed_t speed = speed_of(s.baud);
  if (speed == B0) {
    error = std::to_string(s.baud) + " baud is not a speed the port can take";
    return false;
  }
  const int fd = ::open(s.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = s.port + ": " + std::strerror(errno);
    return false;
  }
  termios t{};
  if (tcgetattr(fd, &t) != 0) {
    error = s.port + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  cfmakeraw(&t);
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag |= s.data_bits == 5 ? CS5 : s.data_bits == 6 ? CS6 : s.data_bits == 7 ? CS7 : CS8;
  if (s.stop_bits == 2) t.c_cflag |= CSTOPB;
  if (s.parity == 'E' || s.parity == 'O') t.c_cflag |= PARENB;
  if (s.parity == 'O') t.c_cflag |= PARODD;
  if (s.flow_control) t.c_cflag |= CRTSCTS;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &t) != 0) {
    error = s.port + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  // DTR and RTS off, as the controller expects; a pseudo-terminal has no such lines.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(fd, TIOCMBIC, &lines);
  fd_ = fd;
  path_ = s.port;
  failure_.clear();
  return true;
}

void TermiosSerialPort::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::string TermiosSerialPort::read_available() {
  std::string got;
  if (fd_ < 0) return got;
  char buffer[256];
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      got.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      // EIO: the far end of a pseudo-terminal closed, or the device failed.
      failure_ = path_ + ": " + std::strerror(errno);
      close();
      return got;
    }
    break;
  }
  // In raw mode without a minimum a read of nothing returns 0 either way; a port whose
  // adapter was pulled out (hung up) says so only to poll.
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    failure_ = path_ + ": the device hung up";
    close();
  }
  return got;
}

std::vector<std::string> list_serial_ports() {
  std::vector<std::string> out;
  sp_port** ports = nullptr;
  if (sp_list_ports(&ports) != SP_OK) return out;
  for (sp_port** p = ports; *p != nullptr; ++p) out.push_back(sp_get_port_name(*p));
  sp_free_port_list(ports);
  return out;
}

}  // namespace velmora
