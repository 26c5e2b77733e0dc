#pragma once
// One decoded film frame as YUV 4:2:0 planes, its conversion to BGRA, and the frame-number
// marks that synthetic films carry so that a picture tells which frame it is.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace velmora {

// Immutable once made. The planes stay valid while the picture lives, even after the frame
// source has dropped it from its cache. Chroma planes hold (width + 1) / 2 samples on each
// of (height + 1) / 2 rows. The layout is what SDL_UpdateYUVTexture takes for an IYUV texture.
struct FilmPicture {
  int frame = -1;  // frame number in presentation order
  int width = 0;   // px, the film's own size
  int height = 0;  // px
  const std::uint8_t* planes[3] = {nullptr, nullptr, nullptr};  // Y, U (Cb), V (Cr)
  int strides[3] = {0, 0, 0};           // bytes from one row to the next, per plane
  bool full_range = false;              // samples span 0..255 (JPEG) instead of 16..235 (video)
  std::size_t bytes = 0;                // memory held by storage, for the cache's bound
  std::shared_ptr<const void> storage;  // owns the planes
};

// A picture with its own tightly packed planes (mid-grey), for fakes and tests, with
// writable pointers to fill them before the picture is handed out.
struct NewFilmPicture {
  std::shared_ptr<FilmPicture> picture;
  std::uint8_t* planes[3];
};
NewFilmPicture make_film_picture(int width, int height);

// BT.601 conversion into 4-byte pixels B, G, R, 255 (SDL_PIXELFORMAT_ARGB8888 on a
// little-endian machine). dst holds picture.height rows of dst_stride bytes.
void film_picture_to_bgra(const FilmPicture& picture, std::uint8_t* dst, int dst_stride);

// Frame-number marks: 16 bits as two rows of eight black or white blocks across the top
// quarter of the luma plane, large enough to survive lossy coding at any quality a film
// would use. Numbers are taken modulo 65536.
inline constexpr int kFrameMarkBits = 16;
void paint_frame_mark(std::uint8_t* luma, int stride, int width, int height, int number);
// The number the marks show, read from the centre of each block; -1 for a picture under
// 8 x 8 pixels.
int read_frame_mark(const std::uint8_t* luma, int stride, int width, int height);

}  // namespace velmora
