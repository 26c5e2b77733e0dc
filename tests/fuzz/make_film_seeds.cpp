// Writes the film fuzzer's seeds: tiny AVI films of the kinds the simulator reads, a few
// kilobytes each, so that the fuzzer starts from valid headers, indexes and frames.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/ffmpeg/film_writer.h"
#include "platform/film_picture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_film_seeds DIR\n");
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  velmora::FilmWriterSettings xvid;
  xvid.fourcc = "XVID";
  velmora::FilmWriterSettings mjpeg;
  mjpeg.encoder = "mjpeg";
  mjpeg.with_sound = true;
  const struct {
    const char* name;
    velmora::FilmWriterSettings settings;
  } seeds[] = {{"xvid_bframes.avi", xvid}, {"mjpeg_sound.avi", mjpeg}};
  for (auto seed : seeds) {
    seed.settings.width = 32;
    seed.settings.height = 24;
    seed.settings.frames = 12;
    seed.settings.keyframe_interval = 5;
    seed.settings.quality = 20;
    const std::string path = std::string(argv[1]) + "/" + seed.name;
    const std::string error = velmora::write_film(
        path, seed.settings, [](int frame, std::uint8_t* const planes[3], const int strides[3]) {
          for (int y = 0; y < 24; ++y) std::memset(planes[0] + y * strides[0], 100, 32);
          for (int y = 0; y < 12; ++y) {
            std::memset(planes[1] + y * strides[1], 128, 16);
            std::memset(planes[2] + y * strides[2], 128, 16);
          }
          velmora::paint_frame_mark(planes[0], strides[0], 32, 24, frame);
        });
    if (!error.empty()) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
      return 1;
    }
  }
  return 0;
}
