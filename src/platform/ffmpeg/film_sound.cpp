#include "platform/ffmpeg/film_sound.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace velmora {

namespace {

struct Closer {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
  void operator()(AVPacket* p) const { av_packet_free(&p); }
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};

std::int16_t to_s16(float v) { return static_cast<std::int16_t>(std::clamp(v, -1.0f, 1.0f) * 32767.0f); }

// One sample of channel c at index i, whatever layout the decoder gave, as 16 bits.
bool sample(const AVFrame& f, int channels, int c, int i, std::int16_t& out) {
  const auto fmt = static_cast<AVSampleFormat>(f.format);
  const bool planar = av_sample_fmt_is_planar(fmt) != 0;
  const int at = planar ? i : i * channels + c;
  const std::uint8_t* data = f.extended_data[planar ? c : 0];
  switch (av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_U8: out = static_cast<std::int16_t>((data[at] - 128) << 8); return true;
    case AV_SAMPLE_FMT_S16: std::memcpy(&out, data + 2 * at, 2); return true;
    case AV_SAMPLE_FMT_S32: {
      std::int32_t v;
      std::memcpy(&v, data + 4 * at, 4);
      out = static_cast<std::int16_t>(v >> 16);
      return true;
    }
    case AV_SAMPLE_FMT_FLT: {
      float v;
      std::memcpy(&v, data + 4 * at, 4);
      out = to_s16(v);
      return true;
    }
    case AV_SAMPLE_FMT_DBL: {
      double v;
      std::memcpy(&v, data + 8 * at, 8);
      out = to_s16(static_cast<float>(v));
      return true;
    }
    default: return false;
  }
}

void put(std::ofstream& out, std::uint32_t v, int bytes) {
  for (int b = 0; b < bytes; ++b) out.put(static_cast<char>(v >> (8 * b) & 0xff));
}

}  // namespace

FilmSound extract_film_sound(const std::filesystem::path& film, const std::filesystem::path& wav,
                             std::string& error) {
  const std::string name = film.string();
  AVFormatContext* opened = nullptr;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int status = avformat_open_input(&opened, name.c_str(), av_find_input_format("avi"), &options);
  av_dict_free(&options);
  if (status < 0) {
    error = name + ": the film cannot be opened";
    return FilmSound::Failed;
  }
  std::unique_ptr<AVFormatContext, Closer> format(opened);
  if (avformat_find_stream_info(format.get(), nullptr) < 0) {
    error = name + ": the film's streams cannot be read";
    return FilmSound::Failed;
  }
  const AVCodec* codec = nullptr;
  const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (stream < 0 || codec == nullptr) return FilmSound::NoSound;
  std::unique_ptr<AVCodecContext, Closer> decoder(avcodec_alloc_context3(codec));
  if (!decoder || avcodec_parameters_to_context(decoder.get(), format->streams[stream]->codecpar) < 0 ||
      avcodec_open2(decoder.get(), codec, nullptr) < 0) {
    error = name + ": the film's sound cannot be decoded";
    return FilmSound::Failed;
  }
  const int channels = std::clamp(decoder->ch_layout.nb_channels, 1, 2);
  const int rate = decoder->sample_rate;
  std::vector<std::int16_t> pcm;
  std::unique_ptr<AVPacket, Closer> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, Closer> frame(av_frame_alloc());
  bool unknown_format = false;
  const auto drain = [&] {
    while (avcodec_receive_frame(decoder.get(), frame.get()) == 0) {
      for (int i = 0; i < frame->nb_samples; ++i)
        for (int c = 0; c < channels; ++c) {
          std::int16_t v = 0;
          if (!sample(*frame, decoder->ch_layout.nb_channels, c, i, v)) unknown_format = true;
          pcm.push_back(v);
        }
      av_frame_unref(frame.get());
    }
  };
  while (av_read_frame(format.get(), packet.get()) >= 0) {
    if (packet->stream_index == stream && avcodec_send_packet(decoder.get(), packet.get()) >= 0) drain();
    av_packet_unref(packet.get());
  }
  avcodec_send_packet(decoder.get(), nullptr);
  drain();
  if (unknown_format) {
    error = name + ": the film's sound has a sample format that cannot be played";
    return FilmSound::Failed;
  }

  std::ofstream out(wav, std::ios::binary | std::ios::trunc);
  const auto bytes = static_cast<std::uint32_t>(pcm.size() * 2);
  out.write("RIFF", 4);
  put(out, 36 + bytes, 4);
  out.write("WAVEfmt ", 8);
  put(out, 16, 4);
  put(out, 1, 2);  // PCM
  put(out, static_cast<std::uint32_t>(channels), 2);
  put(out, static_cast<std::uint32_t>(rate), 4);
  put(out, static_cast<std::uint32_t>(rate * channels * 2), 4);
  put(out, static_cast<std::uint32_t>(channels * 2), 2);
  put(out, 16, 2);
  out.write("data", 4);
  put(out, bytes, 4);
  for (std::int16_t v : pcm) put(out, static_cast<std::uint16_t>(v), 2);
  if (!out) {
    error = wav.string() + ": the film's sound cannot be written";
    return FilmSound::Failed;
  }
  return FilmSound::Written;
}

}  // namespace velmora
