#pragma once
// What a picture file says it is before it is decoded: its kind by content (not by name) and
// the size its header gives. A header claiming an enormous picture is refused here, before a
// decoder allocates memory for it on the file's word.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velmora {

enum class PictureKind { Unknown, Bmp, Png, Jpeg };

struct PictureHeader {
  PictureKind kind = PictureKind::Unknown;
  long long width = -1, height = -1;  // px as the header gives them; -1 when it gives none
};

inline constexpr long long kMaxPictureSide = 32768;          // px
inline constexpr long long kMaxPicturePixels = 64ll << 20;   // 256 MiB as 32-bit pixels
inline constexpr long long kMaxPictureFileBytes = 256ll << 20;

PictureHeader read_picture_header(std::span<const std::uint8_t> file);

// Empty when the header allows decoding; otherwise why not, for a message after the name.
std::string picture_header_problem(const PictureHeader& header);

}  // namespace velmora
