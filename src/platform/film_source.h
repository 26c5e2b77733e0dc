#pragma once
// The film frame source: one AVI film open at a time, single frames by number.
//
// The run asks for the frame of the train's position once per pass and shows what comes
// back. Decoding happens elsewhere (a worker thread in the real source), so an answer may be
// "busy": the run keeps its last picture and asks again on the next pass, even if the train
// has stopped meanwhile, so a standing train never keeps a stale picture. A run that asks
// nothing while the frame number is unchanged costs the source nothing.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/film_picture.h"

namespace velmora {

// avi_open's result codes; start-up chooses its message by them.
enum FilmOpenResult : int {
  kFilmOpened = 0,
  kFilmBadFormat = 1,  // not a film this source reads
  kFilmOutOfMemory = 2,
  kFilmReadError = 3,
  kFilmCannotOpen = 4,  // missing, unreadable, or not a regular file
  kFilmNoInfo = 5,      // the video stream's information cannot be read
  kFilmNoVideo = 6,     // the file holds no video stream
  kFilmNoDecoder = 7,   // no decoder opens for the video stream
};

enum class FilmFrameStatus {
  kReady,        // picture holds the frame asked for
  kBusy,         // being decoded: ask again on a later pass
  kUnavailable,  // no film open, number out of range, or the frame cannot be decoded
  kFailed,       // the film could not be read here (the file shrank or went away, a disk
                 // error): the caller keeps its last picture; reopening the film may mend it
};

struct FilmFrame {
  FilmFrameStatus status = FilmFrameStatus::kUnavailable;
  std::shared_ptr<const FilmPicture> picture;  // set when ready; picture->frame is the number
};

// Counters for tests and benchmarks. They run on across films.
struct FilmSourceStats {
  std::int64_t requests = 0;     // avi_getframe calls that asked for a different frame
  std::int64_t decoded = 0;      // pictures that came out of the decoder
  std::int64_t seeks = 0;        // keyframe seeks
  std::int64_t read_errors = 0;  // reads of the film file that failed (see kFailed)
  std::size_t cache_bytes = 0;   // decoded frames held now
  std::size_t cache_peak_bytes = 0;
  int cache_frames = 0;
};

class FilmSource {
 public:
  virtual ~FilmSource() = default;

  // Opens the film at path, replacing the open one (whose frames are dropped; pictures the
  // caller still holds stay valid). Returns a FilmOpenResult; on failure no film is open.
  virtual int avi_open(const std::string& path) = 0;
  virtual void avi_close() = 0;
  virtual bool is_open() const = 0;
  // Frames in the open film's video stream; 0 with none open.
  virtual int avi_length() const = 0;
  // The film's own picture size in px; 0 with none open.
  virtual int film_width() const = 0;
  virtual int film_height() const = 0;

  // Asks for frame n (0-based, presentation order) and returns it when it is ready, waiting
  // at most `wait` for it. The request stands until another frame is asked for, so a frame
  // that was busy is ready on a later call without being asked for again in between. Also
  // tells the source which way the film runs, for reading ahead.
  virtual FilmFrame avi_getframe(int n, std::chrono::microseconds wait = {}) = 0;
  // True while the frame last asked for is still being decoded.
  virtual bool frame_busy() const = 0;

  virtual FilmSourceStats stats() const = 0;
};

}  // namespace velmora
