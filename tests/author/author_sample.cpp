// Writes the tests' phone film and GPS track of one line into a folder, for trying
// velmora-author by hand: author-sample DIR  ->  DIR/film.mov, DIR/track.gpx.

#include <cstdio>
#include <filesystem>
#include <string>

#include "author_inputs.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: author-sample DIR\n");
    return 2;
  }
  namespace fs = std::filesystem;
  using namespace velmora;
  const fs::path dir = argv[1];
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) {
    std::fprintf(stderr, "author-sample: cannot make %s: %s\n", dir.c_str(), error.message().c_str());
    return 1;
  }
  set_film_library_quiet(true);
  const demo::LineModel line = demo::build_line(author_test::test_design(), false);
  const std::string film = (dir / "film.mov").string();
  if (const std::string e = author_test::write_phone_film(film, author_test::film_times(line), 320, 240, true); !e.empty()) {
    std::fprintf(stderr, "author-sample: %s: %s\n", film.c_str(), e.c_str());
    return 1;
  }
  author_test::save(dir / "track.gpx", author_test::gpx_track(line));
  std::printf("author-sample: wrote %s and %s (%.2f km, three stations)\n", film.c_str(),
              (dir / "track.gpx").c_str(), line.length_m / 1000);
  return 0;
}
