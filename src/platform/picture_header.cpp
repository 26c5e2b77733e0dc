#include "platform/picture_header.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace velmora {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
int le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
int be16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }

void read_bmp(std::span<const std::uint8_t> f, PictureHeader& h) {
  if (f.size() < 26) return;
  const std::uint32_t info = le32(&f[14]);
  if (info == 12) {  // the old core header: 16-bit sizes
    h.width = le16(&f[18]);
    h.height = le16(&f[20]);
  } else {
    // Negative heights mark top-down rows; the size is the magnitude.
    h.width = std::llabs(static_cast<long long>(static_cast<std::int32_t>(le32(&f[18]))));
    h.height = std::llabs(static_cast<long long>(static_cast<std::int32_t>(le32(&f[22]))));
  }
}

void read_png(std::span<const std::uint8_t> f, PictureHeader& h) {
  if (f.size() < 24 || std::memcmp(&f[12], "IHDR", 4) != 0) return;
  h.width = be32(&f[16]);
  h.height = be32(&f[20]);
}

// The size is in the first start-of-frame segment; segments before it are skipped by length.
void read_jpeg(std::span<const std::uint8_t> f, PictureHeader& h) {
  std::size_t at = 2;
  while (at + 4 <= f.size()) {
    if (f[at] != 0xff) return;
    const int marker = f[at + 1];
    if (marker == 0xff) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {  // no length
      at += 2;
      continue;
    }
    if (marker == 0xd9 || marker == 0xda) return;  // end, or scan data before any frame
    const int length = be16(&f[at + 2]);
    const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
                       marker != 0xcc;
    if (frame) {
      if (at + 9 > f.size()) return;
      h.height = be16(&f[at + 5]);
      h.width = be16(&f[at + 7]);
      return;
    }
    if (length < 2) return;
    at += 2 + static_cast<std::size_t>(length);
  }
}

}  // namespace

PictureHeader read_picture_header(std::span<const std::uint8_t> f) {
  PictureHeader h;
  static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (f.size() >= 2 && f[0] == 'B' && f[1] == 'M') {
    h.kind = PictureKind::Bmp;
    read_bmp(f, h);
  } else if (f.size() >= 8 && std::memcmp(f.data(), kPng, 8) == 0) {
    h.kind = PictureKind::Png;
    read_png(f, h);
  } else if (f.size() >= 3 && f[0] == 0xff && f[1] == 0xd8 && f[2] == 0xff) {
    h.kind = PictureKind::Jpeg;
    read_jpeg(f, h);
  }
  return h;
}

std::string picture_header_problem(const PictureHeader& h) {
  if (h.kind == PictureKind::Unknown) return "not a BMP, PNG or JPEG picture";
  if (h.width < 0 || h.height < 0) return "";  // the decoder judges a header it cannot read
  if (h.width > kMaxPictureSide || h.height > kMaxPictureSide ||
      h.width * h.height > kMaxPicturePixels)
    return "a picture of " + std::to_string(h.width) + " x " + std::to_string(h.height) +
           " px, larger than pictures are read (" + std::to_string(kMaxPictureSide) +
           " px a side, " + std::to_string(kMaxPicturePixels >> 20) + " million px in all)";
  return "";
}

std::string picture_file_problem(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return "no such picture file";
  std::ifstream in(file, std::ios::binary);
  if (!in) return "cannot be opened";
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size < 0 || size > kMaxPictureFileBytes)
    return "larger than pictures are read (" + std::to_string(kMaxPictureFileBytes >> 20) + " MiB)";
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return "cannot be read";
  const PictureHeader header = read_picture_header(bytes);
  if (std::string problem = picture_header_problem(header); !problem.empty()) return problem;
  if (header.width <= 0 || header.height <= 0)
    return "not a BMP, PNG or JPEG picture that can be read (its header gives no size)";
  return "";
}

}  // namespace velmora
