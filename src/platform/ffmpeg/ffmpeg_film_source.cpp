#include "platform/ffmpeg/ffmpeg_film_source.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "platform/ffmpeg/film_decoder.h"

namespace velmora {
namespace {

constexpr int kWorkerNice = 10;  // below the frame loop's 0; a failure to lower it is harmless

}  // namespace

void set_film_library_quiet(bool quiet) { av_log_set_level(quiet ? AV_LOG_QUIET : AV_LOG_WARNING); }

// The planner's view of the cache and the decoder; used by the worker with mutex_ held.
class FfmpegFilmSource::PlanView final : public FilmPlanView {
 public:
  explicit PlanView(const FfmpegFilmSource& source) : s_(source) {}
  bool settled(int n) const override { return s_.settled(n); }
  int keyframe_for(int n) const override { return s_.decoder_->keyframe_for(n); }
  int keyframe_number(int slot) const override { return s_.decoder_->keyframe_number(slot); }
  int decoder_slot() const override { return s_.decoder_->slot(); }
  int decoder_next() const override { return s_.decoder_->next_number(); }

 private:
  const FfmpegFilmSource& s_;
};

FfmpegFilmSource::FfmpegFilmSource(FilmSourceSettings settings)
    : settings_(settings),
      decoder_(std::make_unique<FilmDecoder>(settings.decoder_threads)),
      cache_(settings.cache_bytes),
      worker_([this] { run(); }) {}

FfmpegFilmSource::~FfmpegFilmSource() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  work_.notify_all();
  worker_.join();
}

int FfmpegFilmSource::avi_open(const std::string& path) {
  std::unique_lock<std::mutex> lock(mutex_);
  command_ = Command::kOpen;
  command_path_ = path;
  const std::uint64_t serial = commands_done_;
  work_.notify_all();
  done_.wait(lock, [&] { return commands_done_ != serial; });
  return command_result_;
}

void FfmpegFilmSource::avi_close() {
  std::unique_lock<std::mutex> lock(mutex_);
  command_ = Command::kClose;
  const std::uint64_t serial = commands_done_;
  work_.notify_all();
  done_.wait(lock, [&] { return commands_done_ != serial; });
}

bool FfmpegFilmSource::is_open() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_;
}

int FfmpegFilmSource::avi_length() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return length_;
}

int FfmpegFilmSource::film_width() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return width_;
}

int FfmpegFilmSource::film_height() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return height_;
}

FilmFrame FfmpegFilmSource::avi_getframe(int n, std::chrono::microseconds wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!open_ || n < 0 || n >= length_) return {};
  if (n != request_) {
    request_ = n;
    ++request_serial_;
    ++stats_.requests;
    idle_ = false;
    work_.notify_all();
  }
  if (wait.count() > 0 && !settled(n)) done_.wait_for(lock, wait, [&] { return settled(n); });
  if (auto picture = cache_.find(n)) return {FilmFrameStatus::kReady, std::move(picture)};
  if (failed_.count(n) != 0) return {};
  if (unreadable_) return {FilmFrameStatus::kFailed, nullptr};
  return {FilmFrameStatus::kBusy, nullptr};
}

bool FfmpegFilmSource::frame_busy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_ && request_ >= 0 && !settled(request_);
}

FilmSourceStats FfmpegFilmSource::stats() const {
  std::lock_guard<std::mutex> lock(mutex_);
  FilmSourceStats s = stats_;
  s.cache_bytes = cache_.bytes();
  s.cache_peak_bytes = cache_.peak_bytes();
  s.cache_frames = cache_.frames();
  return s;
}

void FfmpegFilmSource::wait_idle() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return idle_ && command_ == Command::kNone; });
}

FilmWindow FfmpegFilmSource::window() const {
  // Keep the window within the bound so that reading ahead never evicts the frames it is
  // reading for.
  const std::size_t frame_bytes =
      std::max<std::size_t>(1, static_cast<std::size_t>(width_) * height_ * 3 / 2);
  const int fit = static_cast<int>(std::min<std::size_t>(1 << 20, cache_.budget() / frame_bytes));
  FilmWindow w = settings_.window;
  w.ahead = std::max(0, std::min(w.ahead, fit / 4));
  w.behind = std::max(1, std::min(w.behind, fit / 2));
  w.refill = std::max(1, std::min(w.refill, w.behind / 2));
  return w;
}

void FfmpegFilmSource::run() {
  // Reading ahead must never delay a frame: with as many busy threads as cores, the frame
  // loop waking from its pause would otherwise wait a whole time slice behind this one.
  // A batch thread also never takes the core from the frame loop when the frame loop's
  // request wakes it: a normal one, woken with a sleeper's credit, did so in the middle of
  // a frame (the slow passes of a drive were mostly that). Its share of the processor
  // against other programs stays that of its nice value.
  const sched_param batch{};
  pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
  setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNice);
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    if (command_ != Command::kNone) {
      run_command(lock);
      continue;
    }
    FilmPlanStep step;
    if (open_ && request_ >= 0) {
      if (planner_.request() != request_) planner_.set_request(request_);
      step = planner_.next(PlanView(*this), length_, window());
    }
    if (step.kind == FilmPlanStep::Kind::kIdle) {
      idle_ = true;
      done_.notify_all();
      const std::uint64_t serial = request_serial_;
      work_.wait(lock,
                 [&] { return stop_ || command_ != Command::kNone || request_serial_ != serial; });
      continue;
    }
    run_step(lock, step);
  }
}

void FfmpegFilmSource::run_command(std::unique_lock<std::mutex>& lock) {
  const Command command = command_;
  const std::string path = command_path_;
  command_ = Command::kNone;
  lock.unlock();
  decoder_->close();
  const int result = command == Command::kOpen ? decoder_->open(path) : kFilmOpened;
  lock.lock();
  cache_.clear();
  failed_.clear();
  unreadable_ = false;
  request_ = -1;
  planner_.reset();
  last_seek_slot_ = last_seek_target_ = -1;
  open_ = command == Command::kOpen && result == kFilmOpened;
  length_ = open_ ? decoder_->length() : 0;
  width_ = open_ ? decoder_->width() : 0;
  height_ = open_ ? decoder_->height() : 0;
  command_result_ = result;
  ++commands_done_;
  done_.notify_all();
}

void FfmpegFilmSource::run_step(std::unique_lock<std::mutex>& lock, const FilmPlanStep& step) {
  if (step.kind == FilmPlanStep::Kind::kSeek) {
    if (step.slot == last_seek_slot_ && step.target == last_seek_target_) {
      // The same keyframe again for the same frame: the last run from it passed without
      // giving that frame, so the film cannot give it.
      failed_.insert(step.target);
      last_seek_slot_ = last_seek_target_ = -1;
      done_.notify_all();
      return;
    }
    last_seek_slot_ = step.slot;
    last_seek_target_ = step.target;
  }
  const FilmWindow w = window();
  const int lo = request_ - w.behind;
  const int hi = request_ + w.ahead;
  lock.unlock();

  std::vector<std::shared_ptr<const FilmPicture>> pictures;
  bool positioned = true;
  if (step.kind == FilmPlanStep::Kind::kSeek) positioned = decoder_->seek(step.slot);
  if (positioned) {
    decoder_->step([lo, hi](int k) { return k >= lo && k <= hi; }, pictures);
  }

  lock.lock();
  if (decoder_->read_failed()) {
    ++stats_.read_errors;
    unreadable_ = true;
  } else if (!positioned && step.slot == 0) {
    failed_.insert(step.target);
  }
  const FilmWindow now = window();
  for (auto& picture : pictures) {
    if (picture->frame == last_seek_target_) last_seek_slot_ = last_seek_target_ = -1;
    cache_.insert(std::move(picture), request_, request_ - now.behind, request_ + now.ahead);
  }
  stats_.decoded = decoder_->decoded();
  stats_.seeks = decoder_->seeks();
  done_.notify_all();
}

}  // namespace velmora
