#include "platform/ffmpeg/film_converter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>

#include "platform/ffmpeg/film_writer.h"
#include "platform/ffmpeg/av_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace velmora {
namespace {

std::string error_text(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

struct InputDeleter {
  void operator()(AVFormatContext* in) const { avformat_close_input(&in); }
};
using Input = std::unique_ptr<AVFormatContext, InputDeleter>;
using av::Codec;
using av::Frame;
using av::Packet;

std::string open_input(const std::string& path, Input& in) {
  AVFormatContext* raw = nullptr;
  int r = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (r < 0) return "cannot open " + path + ": " + error_text(r);
  in.reset(raw);
  r = avformat_find_stream_info(in.get(), nullptr);
  if (r < 0) return "cannot read " + path + ": " + error_text(r);
  return {};
}

std::string open_decoder(const AVStream* stream, int threads, Codec& codec) {
  const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (decoder == nullptr)
    return std::string("no decoder for ") + avcodec_get_name(stream->codecpar->codec_id);
  codec.reset(avcodec_alloc_context3(decoder));
  if (!codec) return "no memory";
  avcodec_parameters_to_context(codec.get(), stream->codecpar);
  codec->thread_count = threads;
  codec->pkt_timebase = stream->time_base;
  const int r = avcodec_open2(codec.get(), decoder, nullptr);
  if (r < 0) return std::string("cannot open the ") + decoder->name + " decoder: " + error_text(r);
  return {};
}

// A WAV file written as the sound is decoded; its sizes are filled in at the end. The
// canonical 44-byte header, which is what the simulator's length reading expects.
class WavWriter {
 public:
  bool open(const std::string& path) {
    out_.open(path, std::ios::binary | std::ios::trunc);
    out_.write(std::string(44, '\0').data(), 44);
    return static_cast<bool>(out_);
  }

  void add(const AVFrame* frame) {
    const int channels_in = frame->ch_layout.nb_channels;
    if (channels_in < 1) return;
    if (channels_ == 0) {
      channels_ = std::min(2, channels_in);
      rate_ = frame->sample_rate;
    }
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    const int bytes = av_get_bytes_per_sample(format);
    if (bytes == 0) return;
    buffer_.resize(static_cast<std::size_t>(frame->nb_samples) * channels_);
    for (int i = 0; i < frame->nb_samples; ++i)
      for (int c = 0; c < channels_; ++c) {
        const int ch = std::min(c, channels_in - 1);
        const std::uint8_t* p = planar ? frame->extended_data[ch] + static_cast<std::ptrdiff_t>(i) * bytes
                                       : frame->extended_data[0] + (static_cast<std::ptrdiff_t>(i) * channels_in + ch) * bytes;
        buffer_[static_cast<std::size_t>(i) * channels_ + c] = sample(p, av_get_packed_sample_fmt(format));
      }
    out_.write(reinterpret_cast<const char*>(buffer_.data()), static_cast<std::streamsize>(buffer_.size() * 2));
    data_bytes_ += buffer_.size() * 2;
  }

  // Fills in the header; false when the file could not be written.
  bool close() {
    if (channels_ == 0) channels_ = 1;
    if (rate_ <= 0) rate_ = 8000;
    const auto u32 = [](std::uint32_t v) {
      std::string s(4, '\0');
      for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
      return s;
    };
    const auto u16 = [](std::uint16_t v) { return std::string{static_cast<char>(v & 0xff), static_cast<char>(v >> 8)}; };
    const std::uint32_t data = static_cast<std::uint32_t>(std::min<std::uint64_t>(data_bytes_, 0xffffffffu - 36));
    const std::string header = "RIFF" + u32(data + 36) + "WAVEfmt " + u32(16) + u16(1) +
                               u16(static_cast<std::uint16_t>(channels_)) + u32(static_cast<std::uint32_t>(rate_)) +
                               u32(static_cast<std::uint32_t>(rate_ * channels_ * 2)) +
                               u16(static_cast<std::uint16_t>(channels_ * 2)) + u16(16) + "data" + u32(data);
    out_.seekp(0);
    out_.write(header.data(), static_cast<std::streamsize>(header.size()));
    out_.close();
    return !out_.fail();
  }

  double seconds() const { return rate_ > 0 && channels_ > 0 ? static_cast<double>(data_bytes_) / (2.0 * channels_ * rate_) : 0; }

 private:
  static std::int16_t sample(const std::uint8_t* p, AVSampleFormat format) {
    double v = 0;
    switch (format) {
      case AV_SAMPLE_FMT_U8: v = (p[0] - 128) / 128.0; break;
      case AV_SAMPLE_FMT_S16: { std::int16_t x; std::memcpy(&x, p, 2); return x; }
      case AV_SAMPLE_FMT_S32: { std::int32_t x; std::memcpy(&x, p, 4); v = x / 2147483648.0; break; }
      case AV_SAMPLE_FMT_S64: { std::int64_t x; std::memcpy(&x, p, 8); v = static_cast<double>(x) / 9223372036854775808.0; break; }
      case AV_SAMPLE_FMT_FLT: { float x; std::memcpy(&x, p, 4); v = x; break; }
      case AV_SAMPLE_FMT_DBL: { std::memcpy(&v, p, 8); break; }
      default: return 0;
    }
    if (!std::isfinite(v)) return 0;
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
  }

  std::ofstream out_;
  int channels_ = 0;
  int rate_ = 0;
  std::uint64_t data_bytes_ = 0;
  std::vector<std::int16_t> buffer_;
};

// Where the source picture lands in the result: the part of the source taken (x, y, w, h
// in source pixels) and the rectangle of the result it fills.
struct Placement {
  int sx = 0, sy = 0, sw = 0, sh = 0;
  int dx = 0, dy = 0, dw = 0, dh = 0;
};

int even(double v) { return std::max(2, static_cast<int>(std::lround(v / 2)) * 2); }

Placement place(const AVFrame* f, const FilmConversion& s) {
  Placement p{0, 0, f->width, f->height, 0, 0, s.width, s.height};
  if (s.fit == FilmFit::stretch) return p;
  const AVRational sar = f->sample_aspect_ratio;
  const double pixel = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
  const double shown_w = f->width * pixel;  // the picture's width as it is meant to be seen
  if (s.fit == FilmFit::pad) {
    const double scale = std::min(s.width / shown_w, static_cast<double>(s.height) / f->height);
    p.dw = std::min(s.width, even(shown_w * scale));
    p.dh = std::min(s.height, even(f->height * scale));
    p.dx = (s.width - p.dw) / 4 * 2;
    p.dy = (s.height - p.dh) / 4 * 2;
  } else {
    const double scale = std::max(s.width / shown_w, static_cast<double>(s.height) / f->height);
    p.sw = std::min(f->width, even(s.width / scale / pixel));
    p.sh = std::min(f->height, even(s.height / scale));
    p.sx = (f->width - p.sw) / 4 * 2;
    p.sy = (f->height - p.sh) / 4 * 2;
  }
  return p;
}

// The decoded pictures, scaled into the result's frame as they are needed.
class Resampler {
 public:
  explicit Resampler(const FilmConversion& s) : s_(s) {
    picture_.reset(av_frame_alloc());
    picture_->format = AV_PIX_FMT_YUV420P;
    picture_->width = s.width;
    picture_->height = s.height;
  }
  ~Resampler() { sws_freeContext(sws_); }
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  std::string init() { return av_frame_get_buffer(picture_.get(), 0) < 0 ? "no memory" : ""; }

  // Draws a decoded picture into the result's frame.
  std::string draw(const AVFrame* f) {
    const auto format = static_cast<AVPixelFormat>(f->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (desc == nullptr || (desc->flags & AV_PIX_FMT_FLAG_HWACCEL) != 0) return "a picture format that cannot be scaled";
    const Placement p = place(f, s_);
    sws_ = sws_getCachedContext(sws_, p.sw, p.sh, format, p.dw, p.dh, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                                nullptr, nullptr, nullptr);
    if (sws_ == nullptr) return std::string("no scaling from ") + desc->name;
    if (av_frame_make_writable(picture_.get()) < 0) return "no memory";
    if (p.dw != s_.width || p.dh != s_.height) {
      // Black bars (video range) around the picture.
      for (int y = 0; y < s_.height; ++y) std::memset(picture_->data[0] + static_cast<std::ptrdiff_t>(y) * picture_->linesize[0], 16, static_cast<std::size_t>(s_.width));
      for (int c = 1; c < 3; ++c)
        for (int y = 0; y < (s_.height + 1) / 2; ++y)
          std::memset(picture_->data[c] + static_cast<std::ptrdiff_t>(y) * picture_->linesize[c], 128, static_cast<std::size_t>((s_.width + 1) / 2));
    }
    const std::uint8_t* src[4] = {};
    int src_stride[4] = {};
    for (int plane = 0; plane < 4 && f->data[plane] != nullptr; ++plane) {
      int step = 0;
      for (int c = 0; c < desc->nb_components; ++c)
        if (desc->comp[c].plane == plane) step = std::max(step, desc->comp[c].step);
      const bool chroma = plane == 1 || plane == 2;
      const int hs = chroma ? desc->log2_chroma_w : 0, vs = chroma ? desc->log2_chroma_h : 0;
      src[plane] = f->data[plane] + static_cast<std::ptrdiff_t>(p.sy >> vs) * f->linesize[plane] + (p.sx >> hs) * step;
      src_stride[plane] = f->linesize[plane];
    }
    std::uint8_t* dst[4] = {};
    int dst_stride[4] = {};
    for (int c = 0; c < 3; ++c) {
      const int shift = c == 0 ? 0 : 1;
      dst[c] = picture_->data[c] + static_cast<std::ptrdiff_t>(p.dy >> shift) * picture_->linesize[c] + (p.dx >> shift);
      dst_stride[c] = picture_->linesize[c];
    }
    sws_scale(sws_, src, src_stride, 0, p.sh, dst, dst_stride);
    return {};
  }

  const AVFrame* picture() const { return picture_.get(); }

 private:
  const FilmConversion& s_;
  Frame picture_;
  SwsContext* sws_ = nullptr;
};

}  // namespace

std::string probe_film(const std::string& path, FilmInfo& info) {
  Input in;
  if (std::string e = open_input(path, in); !e.empty()) return e;
  const int v = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (v < 0) return path + " holds no video";
  const AVStream* stream = in->streams[v];
  info.width = stream->codecpar->width;
  info.height = stream->codecpar->height;
  info.codec = avcodec_get_name(stream->codecpar->codec_id);
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
    info.duration = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
  else if (in->duration != AV_NOPTS_VALUE && in->duration > 0)
    info.duration = static_cast<double>(in->duration) / AV_TIME_BASE;
  const AVRational rate = stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
  info.frame_rate = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
  const AVDictionaryEntry* created = av_dict_get(in->metadata, "creation_time", nullptr, 0);
  if (created == nullptr) created = av_dict_get(stream->metadata, "creation_time", nullptr, 0);
  info.creation_time = created != nullptr ? created->value : "";
  info.has_sound = av_find_best_stream(in.get(), AVMEDIA_TYPE_AUDIO, -1, v, nullptr, 0) >= 0;
  return {};
}

FilmConversionResult convert_film(const std::string& source, const std::string& target,
                                  const FilmConversion& s,
                                  const std::function<void(const FilmProgress&)>& progress) {
  FilmConversionResult result;
  const auto fail = [&](const std::string& e) {
    result.error = e;
    return result;
  };
  if (s.fps < 1 || s.width < 2 || s.height < 2 || s.width % 2 != 0 || s.height % 2 != 0)
    return fail("the film's size must be even and its rate at least 1");
  Input in;
  if (std::string e = open_input(source, in); !e.empty()) return fail(e);
  const int v = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (v < 0) return fail(source + " holds no video");
  AVStream* vstream = in->streams[v];
  Codec video;
  if (std::string e = open_decoder(vstream, s.threads, video); !e.empty()) return fail(e);
  Codec audio;
  WavWriter wav;
  int a = -1;
  if (!s.sound_wav.empty()) {
    a = av_find_best_stream(in.get(), AVMEDIA_TYPE_AUDIO, -1, v, nullptr, 0);
    if (a >= 0) {
      if (!open_decoder(in->streams[a], 1, audio).empty()) a = -1;
      else if (!wav.open(s.sound_wav)) return fail("cannot write " + s.sound_wav);
    }
  }
  for (unsigned i = 0; i < in->nb_streams; ++i)
    in->streams[i]->discard = static_cast<int>(i) == v || static_cast<int>(i) == a ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

  FilmWriterSettings w;
  const bool h264 = s.codec == "h264";
  if (!h264 && s.codec != "mpeg4") return fail("unknown codec " + s.codec + " (mpeg4 or h264)");
  w.encoder = h264 ? "libx264" : "mpeg4";
  w.fourcc = h264 ? "H264" : "XVID";
  w.quality = h264 ? 21 : 4;
  w.width = s.width;
  w.height = s.height;
  w.fps = s.fps;
  w.keyframe_interval = std::max(1, s.keyframe_interval);
  // Each keyframe group decodes on its own, which running backwards does group by group.
  w.closed_gop = true;
  if (!film_encoder_available(w.encoder)) return fail("FFmpeg here has no " + w.encoder + " encoder");
  FilmEncoder encoder;
  if (std::string e = encoder.open(target, w); !e.empty()) return fail(e);
  Resampler resampler(s);
  if (std::string e = resampler.init(); !e.empty()) return fail(e);

  const double tb = av_q2d(vstream->time_base);
  double duration = 0;
  if (vstream->duration != AV_NOPTS_VALUE && vstream->duration > 0) duration = static_cast<double>(vstream->duration) * tb;
  else if (in->duration != AV_NOPTS_VALUE && in->duration > 0) duration = static_cast<double>(in->duration) / AV_TIME_BASE;
  const int expected = static_cast<int>(std::lround(duration * s.fps));
  const auto started = std::chrono::steady_clock::now();

  Frame held(av_frame_alloc());  // the latest source picture, not yet drawn
  bool have_held = false, drawn = false;
  double first_time = 0, last_time = 0, last_duration = 0;
  int sources = 0;
  int emitted = 0;
  std::string error;
  // Writes the result's frames that show the held picture: those up to `until` seconds.
  const auto emit_until = [&](double until) {
    while (error.empty() && have_held && emitted + 0.5 < until * s.fps - 1e-6) {
      if (!drawn) {
        error = resampler.draw(held.get());
        drawn = true;
        if (!error.empty()) return;
      }
      const AVFrame* p = resampler.picture();
      error = encoder.add(p->data, p->linesize);
      ++emitted;
      if (progress && emitted % 30 == 0)
        progress({emitted, std::max(expected, emitted),
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()});
    }
  };
  Frame frame(av_frame_alloc());
  const auto take_video = [&] {
    while (error.empty() && avcodec_receive_frame(video.get(), frame.get()) == 0) {
      std::int64_t ts = frame->best_effort_timestamp;
      if (ts == AV_NOPTS_VALUE) ts = frame->pts;
      double t = ts == AV_NOPTS_VALUE ? last_time + (sources > 1 ? (last_time - first_time) / (sources - 1) : 1.0 / s.fps)
                                      : static_cast<double>(ts) * tb;
      if (sources == 0) first_time = t;
      t -= first_time;
      // A picture that does not come after the one before (a damaged or edited film) is left out.
      if (sources > 0 && t <= last_time) {
        av_frame_unref(frame.get());
        continue;
      }
      emit_until(t);
      av_frame_unref(held.get());
      av_frame_move_ref(held.get(), frame.get());
      have_held = true;
      drawn = false;
      last_duration = held->pkt_duration > 0 ? static_cast<double>(held->pkt_duration) * tb : 0;
      last_time = t;
      ++sources;
    }
  };
  const auto take_audio = [&] {
    while (avcodec_receive_frame(audio.get(), frame.get()) == 0) {
      wav.add(frame.get());
      av_frame_unref(frame.get());
    }
  };

  Packet packet(av_packet_alloc());
  while (error.empty() && av_read_frame(in.get(), packet.get()) >= 0) {
    if (packet->stream_index == v) {
      // A damaged packet is refused by the decoder; the pictures around it still come.
      avcodec_send_packet(video.get(), packet.get());
      take_video();
    } else if (packet->stream_index == a) {
      if (avcodec_send_packet(audio.get(), packet.get()) >= 0) take_audio();
    }
    av_packet_unref(packet.get());
  }
  avcodec_send_packet(video.get(), nullptr);
  take_video();
  if (a >= 0) {
    avcodec_send_packet(audio.get(), nullptr);
    take_audio();
  }
  if (error.empty() && sources == 0) error = source + ": no picture could be decoded";
  // The last picture lasts its own duration, or the mean of the others' when it has none or
  // a muxer's token tick (which would lose the picture from the result).
  const double mean = sources > 1 ? last_time / (sources - 1) : 1.0 / s.fps;
  if (last_duration < mean / 2) last_duration = mean;
  emit_until(last_time + last_duration);
  if (error.empty() && emitted == 0) {
    // A film shorter than half a frame of the result still gives its one picture.
    error = resampler.draw(held.get());
    if (error.empty()) error = encoder.add(resampler.picture()->data, resampler.picture()->linesize);
    ++emitted;
  }
  if (!error.empty()) return fail(error);
  if (std::string e = encoder.finish(); !e.empty()) return fail(e);
  if (progress)
    progress({emitted, emitted, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()});
  result.frames = emitted;
  if (a >= 0) {
    if (!wav.close()) return fail("cannot write " + s.sound_wav);
    result.sound_written = true;
    result.sound_seconds = wav.seconds();
  }
  return result;
}

}  // namespace velmora
