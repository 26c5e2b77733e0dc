#pragma once
// Writes films with FFmpeg's encoders: the tests' and benchmarks' films, the demo content's
// and the films velmora-author converts. AVI unless another container is asked for (the
// tests' phone-like MP4 and MOV films). Frames come as YUV 4:2:0 and are converted for
// encoders that take another format.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

struct FilmWriterSettings {
  std::string encoder = "mpeg4";  // FFmpeg encoder name: mpeg4, mjpeg, libx264, rawvideo
  std::string fourcc;             // AVI codec tag such as "XVID"; empty: the muxer's own
  std::string pixel_format;       // what the encoder takes, e.g. "bgr24"; empty: its first
  int width = 160;                // px
  int height = 120;               // px
  int fps = 30;
  int frames = 300;
  int keyframe_interval = 300;  // frames from one keyframe to the next
  int b_frames = 2;             // consecutive B-frames at most
  bool closed_gop = false;      // B-frames before a keyframe refer only backwards
  int quality = 4;  // mpeg4 and mjpeg: quantiser, 2 (best) .. 31; libx264: constant rate factor
  bool with_sound = false;  // interleave a PCM track, as cameras record
  // The track's samples, mono 16-bit at sound_rate; silence where they run out.
  std::vector<std::int16_t> sound;
  int sound_rate = 8000;  // Hz
  std::string container = "avi";  // FFmpeg muxer name: avi, mp4, mov, matroska
  // Presentation time of each frame in seconds, for films of a variable frame rate (not
  // for AVI, whose frames follow each other at 1 / fps); empty: frame / fps.
  std::vector<double> frame_seconds;
  std::string creation_time;  // ISO 8601, kept in the container's metadata; empty: none
};

// Paints frame `frame` into Y, U and V planes of the settings' size.
using FilmPainter =
    std::function<void(int frame, std::uint8_t* const planes[3], const int strides[3])>;

bool film_encoder_available(const std::string& encoder);

// A film written frame by frame: open, add every frame, finish. Each step returns empty on
// success, otherwise what went wrong (the film is then unusable).
class FilmEncoder {
 public:
  FilmEncoder();
  ~FilmEncoder();
  FilmEncoder(const FilmEncoder&) = delete;
  FilmEncoder& operator=(const FilmEncoder&) = delete;

  // `settings.frames` is not used: the film holds what is added.
  std::string open(const std::string& path, const FilmWriterSettings& settings);
  // The next frame as Y, U and V planes of the settings' size.
  std::string add(const std::uint8_t* const planes[3], const int strides[3]);
  std::string finish();
  int frames() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Empty on success, otherwise what went wrong.
std::string write_film(const std::string& path, const FilmWriterSettings& settings,
                       const FilmPainter& paint);
// A JPEG picture (baseline, 4:2:0) painted like a film frame; quality as for mjpeg.
std::string write_jpeg(const std::string& path, int width, int height, const FilmPainter& paint,
                       int quality = 3);
// An AVI with one PCM sound stream and no video.
std::string write_sound_only_avi(const std::string& path, int seconds);

}  // namespace velmora
