#include "platform/ffmpeg/film_writer.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "platform/ffmpeg/av_handles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace velmora {

namespace {

constexpr int kSoundRate = 8000;  // Hz; silence needs no more

std::string error_text(const std::string& what, int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return what + ": " + text;
}

struct OutputDeleter {
  void operator()(AVFormatContext* out) const {
    if (out->pb != nullptr) avio_closep(&out->pb);
    avformat_free_context(out);
  }
};
using Output = std::unique_ptr<AVFormatContext, OutputDeleter>;
using av::Codec;
using av::Frame;
using av::Packet;

struct Track {
  Codec codec;
  AVStream* stream = nullptr;
  // Each picture's duration by its time (codec time base). The encoders do not pass it on,
  // and without it MP4 and MOV end their edit list at the last picture's start, which
  // readers then leave out.
  std::map<std::int64_t, std::int64_t> durations;
};

// Sends one frame (null: the end) and writes every packet that comes out.
int encode(AVFormatContext* out, Track& track, const AVFrame* frame, AVPacket* packet) {
  int r = avcodec_send_frame(track.codec.get(), frame);
  if (r < 0) return r;
  while ((r = avcodec_receive_packet(track.codec.get(), packet)) == 0) {
    if (const auto it = track.durations.find(packet->pts); it != track.durations.end()) {
      if (packet->duration == 0) packet->duration = it->second;
      track.durations.erase(it);
    }
    av_packet_rescale_ts(packet, track.codec->time_base, track.stream->time_base);
    packet->stream_index = track.stream->index;
    r = av_interleaved_write_frame(out, packet);
    if (r < 0) return r;
  }
  return r == AVERROR(EAGAIN) || r == AVERROR_EOF ? 0 : r;
}

std::string open_output(Output& out, const std::string& path) {
  AVFormatContext* raw = nullptr;
  const int r = avformat_alloc_output_context2(&raw, nullptr, "avi", path.c_str());
  if (r < 0) return error_text("output", r);
  out.reset(raw);
  // Allows codec tags the muxer does not list, for films no decoder reads.
  out->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
  return {};
}

std::string add_sound(AVFormatContext* out, Track& track, int rate = kSoundRate) {
  const AVCodec* pcm = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
  if (pcm == nullptr) return "no PCM encoder";
  track.codec.reset(avcodec_alloc_context3(pcm));
  track.codec->sample_fmt = AV_SAMPLE_FMT_S16;
  track.codec->sample_rate = rate;
  av_channel_layout_default(&track.codec->ch_layout, 1);
  track.codec->time_base = AVRational{1, rate};
  int r = avcodec_open2(track.codec.get(), pcm, nullptr);
  if (r < 0) return error_text("sound encoder", r);
  track.stream = avformat_new_stream(out, nullptr);
  if (track.stream == nullptr) return "no memory";
  avcodec_parameters_from_context(track.stream->codecpar, track.codec.get());
  track.stream->time_base = track.codec->time_base;
  return {};
}

Frame silence(const Track& track, int samples) {
  Frame frame(av_frame_alloc());
  frame->format = AV_SAMPLE_FMT_S16;
  frame->nb_samples = samples;
  frame->sample_rate = track.codec->sample_rate;
  av_channel_layout_copy(&frame->ch_layout, &track.codec->ch_layout);
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  std::memset(frame->data[0], 0, static_cast<std::size_t>(samples) * 2);
  return frame;
}

std::string configure_video(AVCodecContext* c, const AVCodec* codec, const FilmWriterSettings& s) {
  c->width = s.width;
  c->height = s.height;
  c->time_base = AVRational{1, s.fps};
  c->framerate = AVRational{s.fps, 1};
  c->gop_size = s.keyframe_interval;
  // Intra-only encoders refuse B-frames rather than ignore them.
  if ((codec->capabilities & AV_CODEC_CAP_DELAY) != 0) c->max_b_frames = s.b_frames;
  AVPixelFormat format = AV_PIX_FMT_YUV420P;
  if (!s.pixel_format.empty()) {
    format = av_get_pix_fmt(s.pixel_format.c_str());
    if (format == AV_PIX_FMT_NONE) return "unknown pixel format " + s.pixel_format;
  } else if (codec->pix_fmts != nullptr) {
    format = codec->pix_fmts[0];
  }
  c->pix_fmt = format;
  const std::string name = codec->name;
  if (name == "libx264") {
    av_opt_set(c->priv_data, "preset", "veryfast", 0);
    av_opt_set_int(c->priv_data, "crf", s.quality, 0);
    const std::string params = "keyint=" + std::to_string(s.keyframe_interval) +
                               ":min-keyint=" + std::to_string(s.keyframe_interval) +
                               ":scenecut=0:bframes=" + std::to_string(s.b_frames) +
                               (s.closed_gop ? "" : ":open-gop=1");
    av_opt_set(c->priv_data, "x264-params", params.c_str(), 0);
  } else if (name == "mpeg4" || name == "mjpeg") {
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * s.quality;
    if (s.closed_gop) c->flags |= AV_CODEC_FLAG_CLOSED_GOP;
    // Keyframes exactly every keyframe_interval frames, never at scene changes.
    av_opt_set_int(c, "sc_threshold", 1000000000, AV_OPT_SEARCH_CHILDREN);
  }
  return {};
}

}  // namespace

bool film_encoder_available(const std::string& encoder) {
  return avcodec_find_encoder_by_name(encoder.c_str()) != nullptr;
}

struct FilmEncoder::Impl {
  FilmWriterSettings s;
  Output out;
  Track video;
  Track sound;
  Frame painted;    // the frame as given, 4:2:0
  Frame converted;  // in the encoder's format, when that is another
  std::unique_ptr<SwsContext, void (*)(SwsContext*)> sws{nullptr, sws_freeContext};
  Packet packet{av_packet_alloc()};
  Frame quiet;  // one frame's sound
  int sound_samples = 0;
  int frames = 0;
  bool finished = false;
};

FilmEncoder::FilmEncoder() : impl_(std::make_unique<Impl>()) {}
FilmEncoder::~FilmEncoder() = default;
int FilmEncoder::frames() const { return impl_->frames; }

std::string FilmEncoder::open(const std::string& path, const FilmWriterSettings& s) {
  Impl& m = *impl_;
  m.s = s;
  const AVCodec* codec = avcodec_find_encoder_by_name(s.encoder.c_str());
  if (codec == nullptr) return "no encoder " + s.encoder;
  const AVOutputFormat* format = av_guess_format(s.container.c_str(), nullptr, nullptr);
  if (format == nullptr) return "no container " + s.container;
  AVFormatContext* raw = nullptr;
  int r = avformat_alloc_output_context2(&raw, format, nullptr, path.c_str());
  if (r < 0) return error_text("output", r);
  m.out.reset(raw);
  // Allows codec tags the muxer does not list, for films no decoder reads.
  m.out->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
  if (!s.creation_time.empty()) av_dict_set(&m.out->metadata, "creation_time", s.creation_time.c_str(), 0);

  m.video.codec.reset(avcodec_alloc_context3(codec));
  if (!m.video.codec) return "no memory";
  if (std::string e = configure_video(m.video.codec.get(), codec, s); !e.empty()) return e;
  // Variable frame rates count in milliseconds.
  if (!s.frame_seconds.empty()) m.video.codec->time_base = AVRational{1, 1000};
  if ((m.out->oformat->flags & AVFMT_GLOBALHEADER) != 0) m.video.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  r = avcodec_open2(m.video.codec.get(), codec, nullptr);
  if (r < 0) return error_text("video encoder", r);
  m.video.stream = avformat_new_stream(m.out.get(), nullptr);
  if (m.video.stream == nullptr) return "no memory";
  avcodec_parameters_from_context(m.video.stream->codecpar, m.video.codec.get());
  m.video.stream->time_base = m.video.codec->time_base;
  // Without a tag of its own the muxer writes its standard one; for uncompressed pictures
  // that is the plain DIB, not the tag the raw encoder suggests, which AVI readers refuse.
  m.video.stream->codecpar->codec_tag =
      s.fourcc.size() == 4 ? MKTAG(s.fourcc[0], s.fourcc[1], s.fourcc[2], s.fourcc[3]) : 0;
  if (s.with_sound) {
    if (std::string e = add_sound(m.out.get(), m.sound, s.sound_rate); !e.empty()) return e;
  }

  r = avio_open(&m.out->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (r < 0) return error_text("open " + path, r);
  r = avformat_write_header(m.out.get(), nullptr);
  if (r < 0) return error_text("header", r);

  m.painted.reset(av_frame_alloc());
  m.painted->format = AV_PIX_FMT_YUV420P;
  m.painted->width = s.width;
  m.painted->height = s.height;
  if (av_frame_get_buffer(m.painted.get(), 0) < 0) return "no memory";
  const AVPixelFormat target = m.video.codec->pix_fmt;
  // The JPEG variant of 4:2:0 has the same layout.
  if (target != AV_PIX_FMT_YUV420P && target != AV_PIX_FMT_YUVJ420P) {
    m.converted.reset(av_frame_alloc());
    m.converted->format = target;
    m.converted->width = s.width;
    m.converted->height = s.height;
    if (av_frame_get_buffer(m.converted.get(), 0) < 0) return "no memory";
    m.sws.reset(sws_getContext(s.width, s.height, AV_PIX_FMT_YUV420P, s.width, s.height, target,
                               SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!m.sws) return "no conversion to " + s.pixel_format;
  }
  m.sound_samples = s.sound_rate / s.fps;
  if (s.with_sound) {
    m.quiet = silence(m.sound, m.sound_samples);
    if (!m.quiet) return "no memory";
  }
  return {};
}

std::string FilmEncoder::add(const std::uint8_t* const planes[3], const int strides[3]) {
  Impl& m = *impl_;
  if (!m.out || m.finished) return "the film is not open";
  if (av_frame_make_writable(m.painted.get()) < 0) return "no memory";
  for (int p = 0; p < 3; ++p) {
    const int w = p == 0 ? m.s.width : (m.s.width + 1) / 2;
    const int h = p == 0 ? m.s.height : (m.s.height + 1) / 2;
    for (int y = 0; y < h; ++y)
      std::memcpy(m.painted->data[p] + static_cast<std::ptrdiff_t>(y) * m.painted->linesize[p],
                  planes[p] + static_cast<std::ptrdiff_t>(y) * strides[p], static_cast<std::size_t>(w));
  }
  AVFrame* frame = m.painted.get();
  if (m.converted) {
    if (av_frame_make_writable(m.converted.get()) < 0) return "no memory";
    sws_scale(m.sws.get(), m.painted->data, m.painted->linesize, 0, m.s.height, m.converted->data,
              m.converted->linesize);
    frame = m.converted.get();
  }
  frame->format = m.video.codec->pix_fmt;
  const int i = m.frames;
  const std::vector<double>& t = m.s.frame_seconds;
  if (t.empty()) {
    frame->pts = i;
    m.video.durations[frame->pts] = 1;
  } else {
    const std::size_t k = static_cast<std::size_t>(i);
    if (k >= t.size()) return "more frames than frame times";
    frame->pts = std::llround(t[k] * 1000);
    // Until the next picture; the last as long as the mean, as a camera writes it.
    const double next = k + 1 < t.size() ? t[k + 1] : t.size() > 1 ? t[k] + (t[k] - t.front()) / (t.size() - 1.0) : t[k] + 1.0 / m.s.fps;
    m.video.durations[frame->pts] = std::max<std::int64_t>(1, std::llround(next * 1000) - frame->pts);
  }
  int r = encode(m.out.get(), m.video, frame, m.packet.get());
  if (r < 0) return error_text("encode", r);
  if (m.s.with_sound) {
    if (av_frame_make_writable(m.quiet.get()) < 0) return "no memory";
    auto* samples = reinterpret_cast<std::int16_t*>(m.quiet->data[0]);
    for (int k = 0; k < m.sound_samples; ++k) {
      const std::size_t at = static_cast<std::size_t>(i) * m.sound_samples + k;
      samples[k] = at < m.s.sound.size() ? m.s.sound[at] : 0;
    }
    m.quiet->pts = static_cast<std::int64_t>(i) * m.sound_samples;
    r = encode(m.out.get(), m.sound, m.quiet.get(), m.packet.get());
    if (r < 0) return error_text("encode sound", r);
  }
  ++m.frames;
  return {};
}

std::string FilmEncoder::finish() {
  Impl& m = *impl_;
  if (!m.out || m.finished) return "the film is not open";
  m.finished = true;
  int r = encode(m.out.get(), m.video, nullptr, m.packet.get());
  if (r < 0) return error_text("encode", r);
  if (m.s.with_sound) encode(m.out.get(), m.sound, nullptr, m.packet.get());
  r = av_write_trailer(m.out.get());
  m.out.reset();
  return r < 0 ? error_text("trailer", r) : std::string();
}

std::string write_film(const std::string& path, const FilmWriterSettings& s,
                       const FilmPainter& paint) {
  FilmEncoder encoder;
  if (std::string e = encoder.open(path, s); !e.empty()) return e;
  // Painted as 4:2:0 into a frame of the encoder's own layout.
  Frame painted(av_frame_alloc());
  painted->format = AV_PIX_FMT_YUV420P;
  painted->width = s.width;
  painted->height = s.height;
  if (av_frame_get_buffer(painted.get(), 0) < 0) return "no memory";
  for (int i = 0; i < s.frames; ++i) {
    paint(i, painted->data, painted->linesize);
    if (std::string e = encoder.add(painted->data, painted->linesize); !e.empty()) return e;
  }
  return encoder.finish();
}

std::string write_jpeg(const std::string& path, int width, int height, const FilmPainter& paint,
                       int quality) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
  if (codec == nullptr) return "no JPEG encoder";
  Codec c(avcodec_alloc_context3(codec));
  if (!c) return "no memory";
  c->width = width;
  c->height = height;
  c->time_base = AVRational{1, 25};
  c->pix_fmt = AV_PIX_FMT_YUVJ420P;
  c->flags |= AV_CODEC_FLAG_QSCALE;
  c->global_quality = FF_QP2LAMBDA * quality;
  int r = avcodec_open2(c.get(), codec, nullptr);
  if (r < 0) return error_text("JPEG encoder", r);
  Frame frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUVJ420P;
  frame->width = width;
  frame->height = height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return "no memory";
  paint(0, frame->data, frame->linesize);
  frame->pts = 0;
  frame->quality = c->global_quality;
  Packet packet(av_packet_alloc());
  r = avcodec_send_frame(c.get(), frame.get());
  if (r >= 0) r = avcodec_send_frame(c.get(), nullptr);
  if (r < 0) return error_text("encode", r);
  r = avcodec_receive_packet(c.get(), packet.get());
  if (r < 0) return error_text("encode", r);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return "cannot write " + path;
  const bool ok = std::fwrite(packet->data, 1, static_cast<std::size_t>(packet->size), file) ==
                  static_cast<std::size_t>(packet->size);
  return std::fclose(file) == 0 && ok ? std::string() : "cannot write " + path;
}

std::string write_sound_only_avi(const std::string& path, int seconds) {
  Output out;
  if (std::string e = open_output(out, path); !e.empty()) return e;
  Track sound;
  if (std::string e = add_sound(out.get(), sound); !e.empty()) return e;
  int r = avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (r < 0) return error_text("open " + path, r);
  r = avformat_write_header(out.get(), nullptr);
  if (r < 0) return error_text("header", r);
  Packet packet(av_packet_alloc());
  Frame quiet = silence(sound, kSoundRate / 10);
  if (!quiet) return "no memory";
  for (int i = 0; i < seconds * 10; ++i) {
    quiet->pts = static_cast<std::int64_t>(i) * (kSoundRate / 10);
    r = encode(out.get(), sound, quiet.get(), packet.get());
    if (r < 0) return error_text("encode sound", r);
  }
  encode(out.get(), sound, nullptr, packet.get());
  r = av_write_trailer(out.get());
  return r < 0 ? error_text("trailer", r) : std::string();
}

}  // namespace velmora
