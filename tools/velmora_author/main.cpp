// velmora-author: a drivable route from a cab film and its GPS track, or from places marked
// in the film; and the speed profile of an existing route.
//
//   velmora-author make --film FILM --gps TRACK --out DATA_DIR --name NAME [options]
//   velmora-author marks --film FILM --marks MARKS.csv --out DATA_DIR --name NAME [options]
//   velmora-author profile ROUTE.dat [--data DIR] [--preview FILE]

#include <iostream>

#include "author_options.h"
#include "make_route.h"
#include "pictures.h"
#include "platform/ffmpeg/ffmpeg_film_source.h"

int main(int argc, char** argv) {
  using namespace velmora::author;
  AuthorOptions options;
  try {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
      std::cout << kUsage;
      return 0;
    }
    options = parse_options(argc, argv);
  } catch (const UsageError& e) {
    std::cerr << "velmora-author: " << e.what() << "\n(velmora-author --help lists the options)\n";
    return 2;
  }
  velmora::set_film_library_quiet(true);
  int status = 1;
  try {
    status = options.command == Command::profile ? profile_route(options) : make_route(options);
  } catch (const std::exception& e) {
    std::cerr << "velmora-author: " << e.what() << '\n';
    status = 1;
  }
  velmora::demo::release_font_caches();
  return status;
}
