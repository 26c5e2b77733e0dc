#pragma once
// The film source on FFmpeg. All reading and decoding runs on one worker thread; the
// caller's thread only posts requests and takes pictures from the cache, so no call blocks
// longer than the wait it asks for (avi_open excepted, which returns the open's result).
//
// The worker keeps a window of frames around the playhead: running forward it decodes on
// ahead of it; running backward it decodes the frames behind it ahead of time, a keyframe
// group at a time, and refills before the playhead reaches the end of what is ready. Jumps
// seek to the keyframe before the frame. Frames outside the window stay cached as long as
// the memory bound allows, least recently used dropped first.

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "platform/ffmpeg/film_cache.h"
#include "platform/ffmpeg/film_plan.h"
#include "platform/film_source.h"

namespace velmora {

class FilmDecoder;

struct FilmSourceSettings {
  std::size_t cache_bytes = 256u << 20;  // bytes of decoded frames kept; 256 MiB
  FilmWindow window;        // shrunk to fit the bound: at most a quarter ahead, half behind
  int decoder_threads = 1;  // FFmpeg's own threads per decoder
};

// FFmpeg's log output off, or back to its warnings; global to the process.
void set_film_library_quiet(bool quiet);

class FfmpegFilmSource final : public FilmSource {
 public:
  explicit FfmpegFilmSource(FilmSourceSettings settings = {});
  ~FfmpegFilmSource() override;
  FfmpegFilmSource(const FfmpegFilmSource&) = delete;
  FfmpegFilmSource& operator=(const FfmpegFilmSource&) = delete;

  int avi_open(const std::string& path) override;
  void avi_close() override;
  bool is_open() const override;
  int avi_length() const override;
  int film_width() const override;
  int film_height() const override;
  FilmFrame avi_getframe(int n, std::chrono::microseconds wait = {}) override;
  bool frame_busy() const override;
  FilmSourceStats stats() const override;

  // Blocks until the worker has nothing left to do for the current request (tests and
  // benchmarks: a settled source decodes nothing more until asked).
  void wait_idle();

 private:
  class PlanView;
  enum class Command { kNone, kOpen, kClose };

  void run();
  void run_command(std::unique_lock<std::mutex>& lock);
  void run_step(std::unique_lock<std::mutex>& lock, const FilmPlanStep& step);
  bool settled(int n) const { return cache_.contains(n) || failed_.count(n) != 0 || unreadable_; }
  FilmWindow window() const;

  const FilmSourceSettings settings_;
  std::unique_ptr<FilmDecoder> decoder_;  // worker only

  mutable std::mutex mutex_;
  std::condition_variable work_;  // to the worker: a command or a new request
  std::condition_variable done_;  // from the worker: a frame, a result, idleness
  bool stop_ = false;
  Command command_ = Command::kNone;
  std::string command_path_;
  int command_result_ = 0;
  std::uint64_t commands_done_ = 0;

  // Film and request, under mutex_.
  bool open_ = false;
  int length_ = 0;
  int width_ = 0;
  int height_ = 0;
  int request_ = -1;
  std::uint64_t request_serial_ = 0;
  bool idle_ = true;
  FilmFrameCache cache_;
  std::set<int> failed_;  // frames the film cannot give
  // A read of the file failed: every frame not cached is kFailed until the film is opened
  // again. Reading on would only run into the same cut or fault once for each frame.
  bool unreadable_ = false;
  FilmSourceStats stats_;
  FilmPlanner planner_;  // worker only
  int last_seek_slot_ = -1;
  int last_seek_target_ = -1;

  std::thread worker_;  // last: starts once everything above exists
};

}  // namespace velmora
