#pragma once
// What a picture file says it is before it is decoded: its kind by content (not by name) and
// the size its header gives. A header claiming an enormous picture is refused here, before a
// decoder allocates memory for it on the file's word. No drawing library is needed: the
// drawing layer and the fakes of the headless programs judge a picture alike.

#include <cstddef>
#include <cstdint>
#include <filesystem>
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

// The judgement of a layer that decodes nothing: empty when the file can be read, is no
// larger than pictures are read, and its header is a BMP, PNG or JPEG header giving a size
// within the limits; otherwise why not, for a message after the name. A header that gives
// no size, or a side of 0, is a picture no decoder makes.
std::string picture_file_problem(const std::filesystem::path& file);

}  // namespace velmora
