#pragma once
// Which frame the decoder works on next, and whether it gets there by decoding on or by a
// keyframe seek. No film library in here: the planner sees the cache and the decoder through
// FilmPlanView, so its choices are tested on their own.

namespace velmora {

// Frames kept ready around the playhead.
struct FilmWindow {
  int ahead = 30;    // decoded ahead of the playhead when the film runs forward
  int behind = 120;  // decoded behind it, ahead of time, when the film runs backward
  int refill = 60;   // backward: a refill starts once a frame this close is missing
};

class FilmPlanView {
 public:
  virtual ~FilmPlanView() = default;
  // Cached, or known to be undecodable: nothing more to do for frame n.
  virtual bool settled(int n) const = 0;
  // The keyframe to start from for frame n, as a slot number, and the number of its picture
  // (exact once learned, estimated before).
  virtual int keyframe_for(int n) const = 0;
  virtual int keyframe_number(int slot) const = 0;
  // The slot the decoder's current run started from; -1 when it is not positioned.
  virtual int decoder_slot() const = 0;
  // Number of the next picture the decoder gives; -1 until its numbering is known.
  virtual int decoder_next() const = 0;
};

struct FilmPlanStep {
  enum class Kind { kIdle, kDecode, kSeek };
  Kind kind = Kind::kIdle;
  int target = -1;  // the frame this step works towards
  int slot = -1;    // kSeek: the keyframe slot to seek to
};

class FilmPlanner {
 public:
  // Decoding on past this many frames is cheaper than seeking back to a keyframe.
  static constexpr int kSeekMargin = 8;

  void reset() { *this = FilmPlanner(); }
  // A new frame asked for; its direction from the last one decides which way to read ahead.
  void set_request(int n);
  int request() const { return request_; }
  int direction() const { return direction_; }

  FilmPlanStep next(const FilmPlanView& view, int length, const FilmWindow& window);

 private:
  int target(const FilmPlanView& view, int length, const FilmWindow& window);

  int request_ = -1;
  int direction_ = 1;    // +1 forward, -1 backward
  int fill_floor_ = -1;  // backward refill under way down to this frame; -1 when none
};

}  // namespace velmora
