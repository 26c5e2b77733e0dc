// Opening a film of arbitrary bytes and reading a few of its frames.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "input_file.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  velmora::set_film_library_quiet(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const velmora::FuzzInputFile input("film.avi");
  input.write(data, size);
  velmora::FilmSourceSettings settings;
  settings.cache_bytes = 16u << 20;
  velmora::FfmpegFilmSource source(settings);
  const int code = source.avi_open(input.path());
  if (code < velmora::kFilmOpened || code > velmora::kFilmNoDecoder) __builtin_trap();
  if (code != velmora::kFilmOpened) {
    if (source.is_open() || source.avi_length() != 0) __builtin_trap();
    return 0;
  }
  const int length = source.avi_length();
  const int width = source.film_width();
  const int height = source.film_height();
  if (length < 0 || width <= 0 || height <= 0) __builtin_trap();
  std::vector<std::uint8_t> bgra;
  for (int n : {0, length / 2, length - 1, 1}) {
    if (n < 0 || n >= length) continue;
    const velmora::FilmFrame f = source.avi_getframe(n, std::chrono::seconds(1));
    if (f.status != velmora::FilmFrameStatus::kReady) continue;
    const velmora::FilmPicture& p = *f.picture;
    if (p.frame != n || p.width != width || p.height != height) __builtin_trap();
    bgra.resize(static_cast<std::size_t>(width) * height * 4);
    velmora::film_picture_to_bgra(p, bgra.data(), width * 4);
  }
  return 0;
}
