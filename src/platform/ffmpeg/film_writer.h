#pragma once
// Writes AVI films with FFmpeg's encoders: the tests' and benchmarks' films and the demo
// content's. Frames are painted as YUV 4:2:0 and converted for encoders that take another
// format.

#include <cstdint>
#include <functional>
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
};

// Paints frame `frame` into Y, U and V planes of the settings' size.
using FilmPainter =
    std::function<void(int frame, std::uint8_t* const planes[3], const int strides[3])>;

bool film_encoder_available(const std::string& encoder);

// Empty on success, otherwise what went wrong.
std::string write_film(const std::string& path, const FilmWriterSettings& settings,
                       const FilmPainter& paint);
// A JPEG picture (baseline, 4:2:0) painted like a film frame; quality as for mjpeg.
std::string write_jpeg(const std::string& path, int width, int height, const FilmPainter& paint,
                       int quality = 3);
// An AVI with one PCM sound stream and no video.
std::string write_sound_only_avi(const std::string& path, int seconds);

}  // namespace velmora
