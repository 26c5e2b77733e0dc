#include "platform/ffmpeg/film_cache.h"

#include <algorithm>
#include <cstdlib>

namespace velmora {

std::shared_ptr<const FilmPicture> FilmFrameCache::find(int n) {
  auto it = entries_.find(n);
  if (it == entries_.end()) return nullptr;
  it->second.used = ++use_clock_;
  return it->second.picture;
}

void FilmFrameCache::insert(std::shared_ptr<const FilmPicture> picture, int playhead, int keep_lo,
                            int keep_hi) {
  const int n = picture->frame;
  auto [it, added] = entries_.try_emplace(n, Entry{nullptr, 0});
  if (!added) bytes_ -= it->second.picture->bytes;
  bytes_ += picture->bytes;
  it->second = Entry{std::move(picture), ++use_clock_};
  evict(playhead, keep_lo, keep_hi);
  peak_bytes_ = std::max(peak_bytes_, bytes_);
}

void FilmFrameCache::evict(int playhead, int keep_lo, int keep_hi) {
  while (bytes_ > budget_) {
    // A few hundred entries at most, and one eviction per insert in steady running: a scan
    // costs less than keeping a second index in step.
    auto victim = entries_.end();
    bool victim_kept = true;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->first == playhead) continue;
      const bool kept = it->first >= keep_lo && it->first <= keep_hi;
      if (victim == entries_.end() || (victim_kept && !kept)) {
        victim = it;
        victim_kept = kept;
      } else if (kept == victim_kept) {
        const bool older = kept
                               ? std::abs(it->first - playhead) > std::abs(victim->first - playhead)
                               : it->second.used < victim->second.used;
        if (older) victim = it;
      }
    }
    if (victim == entries_.end()) return;
    bytes_ -= victim->second.picture->bytes;
    entries_.erase(victim);
  }
}

void FilmFrameCache::clear() {
  entries_.clear();
  bytes_ = 0;
}

}  // namespace velmora
