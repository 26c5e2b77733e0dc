#include "common/sjis.h"

#include <iconv.h>

#include <cerrno>

#include <stdexcept>

namespace velmora {
namespace {

// Runs iconv over the whole input; on an unconvertible sequence appends `bad` and skips
// one input character (one byte of CP932 input, one whole UTF-8 sequence).
std::string convert(const char* to, const char* from, std::string_view in, std::string_view bad) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
  std::string out;
  out.reserve(in.size() * 3 / 2 + 8);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char buffer[1024];
  while (src_left > 0) {
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    const std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL (a lead byte cut off at the end): mark it and go on.
      out.append(bad);
      const bool utf8_in = std::string_view(from) == "UTF-8";
      do {
        ++src;
        --src_left;
      } while (utf8_in && src_left > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string cp932_to_utf8(std::string_view bytes) {
  // Plain ASCII is the same in both; skip iconv for it (most lines of most files).
  bool ascii = true;
  for (unsigned char c : bytes) {
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return std::string(bytes);
  return convert("UTF-8", "CP932", bytes, "\xEF\xBF\xBD");
}

std::string utf8_to_cp932(std::string_view text) { return convert("CP932", "UTF-8", text, "?"); }

}  // namespace velmora
