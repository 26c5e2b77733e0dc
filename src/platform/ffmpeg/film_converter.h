#pragma once
// Turns a film from a phone or a camera (any container and codec FFmpeg reads, a variable
// frame rate included) into the AVI a route names: a constant frame rate and size, and a
// keyframe interval short enough for running backwards. Frame k of the result is the
// source picture shown at k / fps seconds after the source's first picture (the nearest
// one: the last that starts no later than half a frame after). The sound, when wanted, goes
// to a WAV file of its own (16-bit PCM, the source's rate, mono or stereo).

#include <functional>
#include <string>

namespace velmora {

struct FilmInfo {
  int width = 0;            // px, as stored
  int height = 0;           // px
  double duration = 0;      // s of video
  double frame_rate = 0;    // frames per second, the film's average
  std::string codec;        // the video codec's name
  std::string creation_time;  // the container's creation_time as written (ISO 8601); empty: none
  bool has_sound = false;
};

// Empty on success, otherwise what went wrong (for the author: "cannot open ...").
std::string probe_film(const std::string& path, FilmInfo& info);

enum class FilmFit {
  pad,      // the whole picture, bars where the shapes differ
  crop,     // filling the frame, the picture's edges cut where the shapes differ
  stretch,  // filling the frame, the picture distorted
};

struct FilmConversion {
  int fps = 30;
  int width = 800;   // px
  int height = 600;  // px
  std::string codec = "mpeg4";  // mpeg4 (AVI tag XVID) or h264 (libx264, AVI tag H264)
  int keyframe_interval = 30;   // frames
  FilmFit fit = FilmFit::pad;
  std::string sound_wav;  // where the sound goes; empty: dropped
  int threads = 0;        // decoder threads; 0: FFmpeg chooses
};

struct FilmProgress {
  int frames_done = 0;   // of the result
  int frames_total = 0;  // expected, from the source's duration
  double seconds = 0;    // s since the conversion began
};

struct FilmConversionResult {
  std::string error;  // empty on success
  int frames = 0;     // frames written
  bool sound_written = false;
  double sound_seconds = 0;
};

// Converts `source` into the AVI `target`. `progress` is called every few frames.
FilmConversionResult convert_film(const std::string& source, const std::string& target,
                                  const FilmConversion& settings,
                                  const std::function<void(const FilmProgress&)>& progress = {});

}  // namespace velmora
