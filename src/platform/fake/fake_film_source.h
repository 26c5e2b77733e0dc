#pragma once
// A film source for tests and velmora-sim: every frame is a synthetic picture whose marks
// carry its number (read_frame_mark); open results, length and decoding delay are set by
// the test, and every request is counted.

#include <set>
#include <string>
#include <vector>

#include "platform/film_source.h"

namespace velmora {

class FakeFilmSource final : public FilmSource {
 public:
  int avi_open(const std::string& path) override {
    opened.push_back(path);
    open_ = open_result == kFilmOpened;
    asked_ = -1;
    return open_result;
  }
  void avi_close() override { open_ = false; }
  bool is_open() const override { return open_; }
  int avi_length() const override { return open_ ? length : 0; }
  int film_width() const override { return open_ ? width : 0; }
  int film_height() const override { return open_ ? height : 0; }

  FilmFrame avi_getframe(int n, std::chrono::microseconds) override {
    ++calls;
    if (!open_ || n < 0 || n >= length) return {};
    if (n != asked_) {
      asked_ = n;
      ++stats_.requests;
      busy_left_ = busy_calls;
      if (failed_frames.count(n) != 0) ++stats_.read_errors;
    }
    if (busy_left_ > 0) {
      --busy_left_;
      return {FilmFrameStatus::kBusy, nullptr};
    }
    if (failed_frames.count(n) != 0) return {FilmFrameStatus::kFailed, nullptr};
    if (!last_ || last_->frame != n) {
      NewFilmPicture made = make_film_picture(width, height);
      made.picture->frame = n;
      paint_frame_mark(made.planes[0], made.picture->strides[0], width, height, n);
      last_ = std::move(made.picture);
      ++stats_.decoded;
    }
    return {FilmFrameStatus::kReady, last_};
  }
  bool frame_busy() const override { return busy_left_ > 0; }
  FilmSourceStats stats() const override { return stats_; }

  int open_result = kFilmOpened;    // what avi_open answers
  int length = 1000;                // frames
  int width = 160;                  // px
  int height = 120;                 // px
  int busy_calls = 0;               // a newly asked frame answers busy on this many calls first
  std::set<int> failed_frames;      // frames that answer kFailed, as if the file could not be read
  std::vector<std::string> opened;  // every path avi_open was given
  int calls = 0;                    // avi_getframe calls, repeated frames included

 private:
  bool open_ = false;
  int asked_ = -1;
  int busy_left_ = 0;
  std::shared_ptr<const FilmPicture> last_;
  FilmSourceStats stats_;
};

}  // namespace velmora
