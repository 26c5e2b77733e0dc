#include "films.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "film_render.h"
#include "pictures.h"
#include "platform/ffmpeg/film_writer.h"

namespace velmora::demo {
namespace {

velmora::FilmWriterSettings demo_settings(FilmSize size, int frames) {
  velmora::FilmWriterSettings s;
  s.encoder = "mpeg4";
  s.fourcc = "XVID";
  s.width = size.width;
  s.height = size.height;
  s.fps = kFilmFps;
  s.frames = frames;
  s.keyframe_interval = 300;
  s.quality = 7;
  s.with_sound = true;
  return s;
}

void write_or_throw(const std::filesystem::path& path, const velmora::FilmWriterSettings& s,
                    const FilmPainter& paint) {
  std::filesystem::create_directories(path.parent_path());
  const std::string error = write_film(path.string(), s, paint);
  if (!error.empty()) throw std::runtime_error(path.string() + ": " + error);
}

}  // namespace

FilmSize route_film_size(bool short_mode) { return short_mode ? FilmSize{256, 192} : FilmSize{800, 600}; }

FilmJob route_film(const LineModel& line, const std::filesystem::path& path, FilmSize size) {
  FilmJob job;
  job.name = path.filename().string();
  job.frames = line.frame_count;
  job.write = [&line, path, size](const std::function<void(int)>& progress) {
    FilmRenderer renderer(build_scene(line), size.width, size.height);
    write_or_throw(path, demo_settings(size, line.frame_count),
                   [&](int frame, std::uint8_t* const planes[3], const int strides[3]) {
                     renderer.draw(line.at_frame(frame), frame);
                     renderer.to_yuv(planes, strides);
                     if (frame % 500 == 0) progress(frame);
                   });
  };
  return job;
}

FilmJob crossing_film(const LineModel& line, int station, int frames,
                      const std::filesystem::path& path, FilmSize size) {
  FilmJob job;
  job.name = path.filename().string();
  job.frames = frames;
  job.write = [&line, station, frames, path, size](const std::function<void(int)>& progress) {
    FilmRenderer renderer(build_scene(line), size.width, size.height);
    const double at = line.stations[static_cast<std::size_t>(station)].at_m;
    write_or_throw(path, demo_settings(size, frames),
                   [&](int frame, std::uint8_t* const planes[3], const int strides[3]) {
                     // The other train comes in on the loop at 35 km/h, braking to a stand
                     // beside us over the film's last part.
                     const double t = static_cast<double>(frame) / kFilmFps;
                     const double total = static_cast<double>(frames) / kFilmFps;
                     const double v0 = 35 / 3.6, stop_at = total * 0.75;
                     const double run = t < stop_at ? v0 * t - v0 / (2 * stop_at) * t * t : v0 * stop_at / 2;
                     const double start = at + 8 + v0 * stop_at / 2;
                     OtherTrain other;
                     other.front_m = start + 40 - run;
                     other.lateral_m = 3.8;
                     renderer.draw(at, frame, {other});
                     renderer.to_yuv(planes, strides);
                     if (frame % 100 == 0) progress(frame);
                   });
  };
  return job;
}

FilmJob opening_film(const LineModel& line, const std::vector<short>& sound, int sound_rate,
                     const std::filesystem::path& path, FilmSize size, int frames) {
  FilmJob job;
  job.name = path.filename().string();
  job.frames = frames;
  job.write = [&line, sound, sound_rate, path, size, frames](const std::function<void(int)>& progress) {
    FilmRenderer renderer(build_scene(line), size.width, size.height);
    velmora::FilmWriterSettings s = demo_settings(size, frames);
    s.sound = sound;
    s.sound_rate = sound_rate;
    write_or_throw(path, s, [&](int frame, std::uint8_t* const planes[3], const int strides[3]) {
      // A run out of the first station at a steady 60 km/h with the title faded in.
      const double metres = 40 + frame * 60 / 3.6 / kFilmFps;
      renderer.draw(metres, frame);
      cairo_t* cr = cairo_create(renderer.surface());
      const double fade = std::clamp((frame - 20) / 40.0, 0.0, 1.0);
      cairo_set_source_rgba(cr, 0, 0, 0, 0.45 * fade);
      cairo_rectangle(cr, 0, size.height * 0.38, size.width, size.height * 0.24);
      cairo_fill(cr);
      cairo_set_source_rgba(cr, 1, 1, 1, fade);
      text_at(cr, "VELMORA", size.width / 2.0, size.height * 0.46, size.height * 0.1, true, true, size.width * 0.9);
      text_at(cr, "前面展望 運転シミュレータ", size.width / 2.0, size.height * 0.56, size.height * 0.045, true, true,
              size.width * 0.9);
      cairo_destroy(cr);
      renderer.to_yuv(planes, strides);
      if (frame % 100 == 0) progress(frame);
    });
  };
  return job;
}

void run_film_jobs(std::vector<FilmJob> jobs, int workers) {
  std::stable_sort(jobs.begin(), jobs.end(), [](const FilmJob& a, const FilmJob& b) { return a.frames > b.frames; });
  std::mutex print;
  std::atomic<std::size_t> next{0};
  std::vector<std::string> errors(jobs.size());
  const auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      const FilmJob& job = jobs[i];
      try {
        job.write([&](int done) {
          const std::lock_guard<std::mutex> lock(print);
          std::cout << "  film " << job.name << ": " << done << " / " << job.frames << " frames\n" << std::flush;
        });
        const std::lock_guard<std::mutex> lock(print);
        std::cout << "  film " << job.name << ": done, " << job.frames << " frames\n" << std::flush;
      } catch (const std::exception& e) {
        errors[i] = e.what();
      }
    }
  };
  std::vector<std::thread> threads;
  for (int w = 1; w < std::max(1, workers); ++w) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
  for (const std::string& e : errors)
    if (!e.empty()) throw std::runtime_error(e);
}

}  // namespace velmora::demo
