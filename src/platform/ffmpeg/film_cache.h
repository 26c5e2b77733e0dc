#pragma once
// Decoded frames kept by number under a memory bound. No film library in here: the cache
// only sees pictures.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/film_picture.h"

namespace velmora {

class FilmFrameCache {
 public:
  explicit FilmFrameCache(std::size_t budget_bytes) : budget_(budget_bytes) {}

  // The picture of frame n, marked as just used; null when absent.
  std::shared_ptr<const FilmPicture> find(int n);
  bool contains(int n) const { return entries_.count(n) != 0; }

  // Adds (or replaces) picture->frame, then drops pictures until the bound holds: first the
  // least recently used outside [keep_lo, keep_hi] (the frames about to be shown), then
  // those inside it farthest from the playhead. The playhead's own picture is never dropped.
  void insert(std::shared_ptr<const FilmPicture> picture, int playhead, int keep_lo, int keep_hi);
  void clear();

  std::size_t budget() const { return budget_; }
  std::size_t bytes() const { return bytes_; }
  std::size_t peak_bytes() const { return peak_bytes_; }  // highest bytes() after an insert
  int frames() const { return static_cast<int>(entries_.size()); }

 private:
  struct Entry {
    std::shared_ptr<const FilmPicture> picture;
    std::uint64_t used;  // use clock reading of the last find or insert
  };
  void evict(int playhead, int keep_lo, int keep_hi);

  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::size_t peak_bytes_ = 0;
  std::uint64_t use_clock_ = 0;
  std::map<int, Entry> entries_;
};

}  // namespace velmora
