#pragma once
// Small films written by the tests themselves, and a reference: every frame of a film by
// decoding it straight from the start, numbered by the order the decoder gives them.

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "platform/ffmpeg/film_writer.h"
#include "platform/film_picture.h"

namespace velmora::film_test {

// A folder of its own per test process, removed at exit.
class Scratch {
 public:
  Scratch()
      : dir_(std::filesystem::temp_directory_path() /
             ("velmora-film-test-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

// Marks on top, and below them a pattern that moves every frame so that the encoder has
// real motion to code between keyframes.
inline void paint_test_frame(int frame, std::uint8_t* const planes[3], const int strides[3],
                             int width, int height) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      planes[0][y * strides[0] + x] = static_cast<std::uint8_t>(64 + ((x + 2 * frame) ^ y) % 128);
    }
  }
  for (int y = 0; y < (height + 1) / 2; ++y) {
    for (int x = 0; x < (width + 1) / 2; ++x) {
      planes[1][y * strides[1] + x] = static_cast<std::uint8_t>(96 + (x + frame) % 64);
      planes[2][y * strides[2] + x] = static_cast<std::uint8_t>(160 - (y + frame) % 64);
    }
  }
  paint_frame_mark(planes[0], strides[0], width, height, frame);
}

inline std::string make_film(const std::string& path, const FilmWriterSettings& s) {
  return write_film(path, s, [&](int frame, std::uint8_t* const planes[3], const int strides[3]) {
    paint_test_frame(frame, planes, strides, s.width, s.height);
  });
}

// One frame's planes, tightly packed.
struct Planes {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> y, u, v;
};

inline void copy_plane(std::vector<std::uint8_t>& to, const std::uint8_t* from, int stride,
                       int width, int height) {
  to.resize(static_cast<std::size_t>(width) * height);
  for (int row = 0; row < height; ++row) {
    std::memcpy(to.data() + static_cast<std::size_t>(row) * width,
                from + static_cast<std::ptrdiff_t>(row) * stride, width);
  }
}

inline Planes planes_of(const FilmPicture& p) {
  Planes out{p.width, p.height, {}, {}, {}};
  copy_plane(out.y, p.planes[0], p.strides[0], p.width, p.height);
  copy_plane(out.u, p.planes[1], p.strides[1], (p.width + 1) / 2, (p.height + 1) / 2);
  copy_plane(out.v, p.planes[2], p.strides[2], (p.width + 1) / 2, (p.height + 1) / 2);
  return out;
}

// Every frame in the order a plain decode from the start gives them.
inline std::vector<Planes> straight_decode(const std::string& path) {
  std::vector<Planes> frames;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return frames;
  avformat_find_stream_info(format, nullptr);
  const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const AVCodecParameters* par = format->streams[stream]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  AVCodecContext* c = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(c, par);
  c->thread_count = 1;
  avcodec_open2(c, codec, nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  AVFrame* converted = av_frame_alloc();
  SwsContext* sws = nullptr;
  auto take = [&] {
    while (avcodec_receive_frame(c, frame) == 0) {
      const auto fmt = static_cast<AVPixelFormat>(frame->format);
      AVFrame* src = frame;
      if (fmt != AV_PIX_FMT_YUV420P && fmt != AV_PIX_FMT_YUVJ420P) {
        sws = sws_getCachedContext(sws, frame->width, frame->height, fmt, par->width, par->height,
                                   AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
        av_frame_unref(converted);
        converted->format = AV_PIX_FMT_YUV420P;
        converted->width = par->width;
        converted->height = par->height;
        av_frame_get_buffer(converted, 0);
        sws_scale(sws, frame->data, frame->linesize, 0, frame->height, converted->data,
                  converted->linesize);
        src = converted;
      }
      Planes p{par->width, par->height, {}, {}, {}};
      copy_plane(p.y, src->data[0], src->linesize[0], p.width, p.height);
      copy_plane(p.u, src->data[1], src->linesize[1], (p.width + 1) / 2, (p.height + 1) / 2);
      copy_plane(p.v, src->data[2], src->linesize[2], (p.width + 1) / 2, (p.height + 1) / 2);
      frames.push_back(std::move(p));
      av_frame_unref(frame);
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == stream) {
      avcodec_send_packet(c, packet);
      take();
    }
    av_packet_unref(packet);
  }
  avcodec_send_packet(c, nullptr);
  take();
  sws_freeContext(sws);
  av_frame_free(&converted);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&c);
  avformat_close_input(&format);
  return frames;
}

inline bool same_planes(const Planes& a, const Planes& b) {
  return a.width == b.width && a.height == b.height && a.y == b.y && a.u == b.u && a.v == b.v;
}

}  // namespace velmora::film_test
