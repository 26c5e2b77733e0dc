#pragma once
// The films of the demo folder: each route's film rendered frame by frame from its line
// model, the crossing train's switched film, and the opening film. Films are written in
// parallel, one film per worker; each film's bytes depend only on its own content.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "line_model.h"

namespace velmora::demo {

struct FilmSize {
  int width = 800;
  int height = 600;
};

// The size of the route films, which is also the film area velmora.dat's [Disp] gives and
// the frame the route files place their overlays in: 800 x 600, or 256 x 192 for --short.
FilmSize route_film_size(bool short_mode);

struct FilmJob {
  std::string name;  // for the progress lines
  int frames = 0;
  // Writes the film; `progress(frames done)` is called now and then.
  std::function<void(const std::function<void(int)>& progress)> write;
};

// The route's film: movie\<key>.avi below `movie_dir`.
FilmJob route_film(const LineModel& line, const std::filesystem::path& path, FilmSize size);
// The switched film of a train crossing ours at a station, seen standing at its stop.
FilmJob crossing_film(const LineModel& line, int station, int frames,
                      const std::filesystem::path& path, FilmSize size);
// The opening film: the title over a short run along a line, with the jingle as sound.
FilmJob opening_film(const LineModel& line, const std::vector<short>& sound, int sound_rate,
                     const std::filesystem::path& path, FilmSize size, int frames);

// Runs the jobs on `workers` threads, largest first, printing progress to stdout.
void run_film_jobs(std::vector<FilmJob> jobs, int workers);


}  // namespace velmora::demo
