#include "platform/ffmpeg/film_plan.h"

#include <algorithm>

namespace velmora {

void FilmPlanner::set_request(int n) {
  if (request_ >= 0 && n < request_) {
    direction_ = -1;
  } else if (n > request_) {
    direction_ = 1;
    fill_floor_ = -1;
  }
  request_ = n;
}

int FilmPlanner::target(const FilmPlanView& view, int length, const FilmWindow& window) {
  const int n = request_;
  if (!view.settled(n)) return n;
  if (direction_ > 0) {
    const int last = std::min(length - 1, n + window.ahead);
    for (int i = n + 1; i <= last; ++i) {
      if (!view.settled(i)) return i;
    }
    return -1;
  }
  // Backward: refilling frame by frame as the window slides would mean a run from the
  // keyframe for every frame shown. Wait until a missing frame comes within `refill`, then
  // fill the whole window, nearest frames first.
  if (fill_floor_ >= n) fill_floor_ = -1;
  if (fill_floor_ < 0) {
    const int urgent_lo = std::max(0, n - std::max(1, window.refill));
    for (int i = n - 1; i >= urgent_lo; --i) {
      if (!view.settled(i)) {
        fill_floor_ = std::max(0, n - std::max(window.behind, window.refill));
        break;
      }
    }
  }
  if (fill_floor_ < 0) return -1;
  for (int i = n - 1; i >= fill_floor_; --i) {
    if (!view.settled(i)) return i;
  }
  fill_floor_ = -1;
  return -1;
}

FilmPlanStep FilmPlanner::next(const FilmPlanView& view, int length, const FilmWindow& window) {
  if (request_ < 0 || request_ >= length) return {};
  const int t = target(view, length, window);
  if (t < 0) return {};
  const int slot = view.keyframe_for(t);
  const int key_number = view.keyframe_number(slot);
  if (view.decoder_slot() >= 0) {
    const int next = view.decoder_next();
    // A run whose numbering is not settled yet is heading for the keyframe chosen anyway.
    if (next < 0 && view.decoder_slot() == slot) return {FilmPlanStep::Kind::kDecode, t, slot};
    if (next >= 0 && next <= t && next + kSeekMargin >= key_number) {
      return {FilmPlanStep::Kind::kDecode, t, slot};
    }
  }
  return {FilmPlanStep::Kind::kSeek, t, slot};
}

}  // namespace velmora
