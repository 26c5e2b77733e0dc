#include "common/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {

bool write_whole_file(const std::filesystem::path& path, const std::string& text,
                      std::string& error) {
  std::error_code ec;
  const std::filesystem::path temp = path.string() + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = temp.string() + ": " + std::strerror(errno);
    return false;
  }
  std::size_t done = 0;
  int failed = 0;
  while (done < text.size() && failed == 0) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n > 0)
      done += static_cast<std::size_t>(n);
    else if (n < 0 && errno != EINTR)
      failed = errno;
  }
  if (failed == 0 && ::fsync(fd) != 0) failed = errno;
  if (::close(fd) != 0 && failed == 0) failed = errno;
  if (failed != 0) {
    error = temp.string() + ": " + std::strerror(failed);
    std::filesystem::remove(temp, ec);
    return false;
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    error = path.string() + ": " + ec.message();
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace velmora
