#include "platform/ffmpeg/film_decoder.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "platform/ffmpeg/film_frame_pool.h"
#include "platform/film_source.h"

namespace velmora {

namespace {

int open_error_code(int error) {
  switch (error) {
    case AVERROR(ENOMEM):
      return kFilmOutOfMemory;
    case AVERROR(EIO):
      return kFilmReadError;
    case AVERROR(ENOENT):
    case AVERROR(EACCES):
    case AVERROR(EPERM):
    case AVERROR(EISDIR):
    case AVERROR(ENOTDIR):
    case AVERROR(ELOOP):
    case AVERROR(ENAMETOOLONG):
      return kFilmCannotOpen;
    default:
      // Anything else went wrong while reading the file's headers.
      return kFilmBadFormat;
  }
}

// Only local files, and only the AVI reader: a film never pulls in a network address or
// another container's parser.
int open_input(AVFormatContext** format, const std::string& path) {
  *format = avformat_alloc_context();
  if (*format == nullptr) return AVERROR(ENOMEM);
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int result =
      avformat_open_input(format, path.c_str(), av_find_input_format("avi"), &options);
  av_dict_free(&options);
  return result;
}

int first_video_stream(const AVFormatContext* format) {
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVStream* s = format->streams[i];
    if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
        (s->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void free_frame(AVFrame* frame) { av_frame_free(&frame); }

}  // namespace

FilmDecoder::FilmDecoder(int threads) : threads_(threads) {}

FilmDecoder::~FilmDecoder() { close(); }

void FilmDecoder::close() {
  end_run();
  av_bsf_free(&unpack_);
  avcodec_free_context(&codec_);
  frames_.reset();
  avformat_close_input(&format_);
  sws_freeContext(sws_);
  sws_ = nullptr;
  av_packet_free(&packet_);
  av_packet_free(&filtered_);
  av_frame_free(&frame_);
  path_.clear();
  size_at_open_ = 0;
  packet_dts_.clear();
  packet_size_.clear();
  slots_.clear();
  read_failed_ = false;
  stream_ = -1;
  width_ = height_ = 0;
  lead_ = 0;
}

int FilmDecoder::open(const std::string& path) {
  close();
  const int result = open_stream(path);
  if (result != kFilmOpened) close();
  return result;
}

int FilmDecoder::open_stream(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return kFilmCannotOpen;
  path_ = path;
  size_at_open_ = std::filesystem::file_size(path, error);
  if (error) return kFilmCannotOpen;

  int r = open_input(&format_, path);
  if (r < 0) {
    format_ = nullptr;  // freed by avformat_open_input
    return open_error_code(r);
  }
  r = avformat_find_stream_info(format_, nullptr);
  if (r < 0) return r == AVERROR(ENOMEM) ? kFilmOutOfMemory : kFilmNoInfo;
  stream_ = first_video_stream(format_);
  if (stream_ < 0) return kFilmNoVideo;
  for (unsigned i = 0; i < format_->nb_streams; ++i) {
    if (static_cast<int>(i) != stream_) format_->streams[i]->discard = AVDISCARD_ALL;
  }

  const AVCodecParameters* par = format_->streams[stream_]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  if (codec == nullptr) return kFilmNoDecoder;
  if (par->width <= 0 || par->height <= 0) return kFilmNoInfo;
  if (par->width > kMaxSide || par->height > kMaxSide ||
      static_cast<std::int64_t>(par->width) * par->height > kMaxArea) {
    return kFilmBadFormat;
  }
  width_ = par->width;
  height_ = par->height;

  codec_ = avcodec_alloc_context3(codec);
  if (codec_ == nullptr) return kFilmOutOfMemory;
  if (avcodec_parameters_to_context(codec_, par) < 0) return kFilmNoDecoder;
  codec_->thread_count = threads_;
  // The numbering needs one picture out per packet in. Without this, H.264 after a seek to
  // a keyframe that is no IDR holds pictures back until one has been shown and drops those
  // still held when the film ends: its last frames went missing or took wrong numbers.
  // Pictures the decoder really cannot make whole (those before the keyframe's own) are
  // dropped by the numbering.
  codec_->flags |= AV_CODEC_FLAG_OUTPUT_CORRUPT;
  frames_ = std::make_unique<FilmFramePool>();
  // The pool lays its pictures out on the first request: one decoding thread only, as
  // FFmpeg's frame threads would ask for pictures at the same time.
  if (threads_ == 1) {
    // Not even asked for: FFmpeg warns of frame threads with the pool on every film opened.
    codec_->thread_type = 0;
    frames_->attach(codec_);
  }
  r = avcodec_open2(codec_, codec, nullptr);
  if (r < 0) return r == AVERROR(ENOMEM) ? kFilmOutOfMemory : kFilmNoDecoder;

  if (par->codec_id == AV_CODEC_ID_MPEG4) {
    const AVBitStreamFilter* filter = av_bsf_get_by_name("mpeg4_unpack_bframes");
    if (filter != nullptr && av_bsf_alloc(filter, &unpack_) == 0) {
      avcodec_parameters_copy(unpack_->par_in, par);
      unpack_->time_base_in = format_->streams[stream_]->time_base;
      if (av_bsf_init(unpack_) < 0) av_bsf_free(&unpack_);
    }
  }

  packet_ = av_packet_alloc();
  filtered_ = av_packet_alloc();
  frame_ = av_frame_alloc();
  if (packet_ == nullptr || filtered_ == nullptr || frame_ == nullptr) return kFilmOutOfMemory;
  return build_packet_table(path);
}

int FilmDecoder::build_packet_table(const std::string& path) {
  AVStream* stream = format_->streams[stream_];
  std::vector<bool> keys;
  const int entries = avformat_index_get_entries_count(stream);
  if (entries > 0 && stream->nb_frames == entries) {
    // The AVI index lists every chunk of the stream in file order.
    for (int i = 0; i < entries; ++i) {
      const AVIndexEntry* e = avformat_index_get_entry(stream, i);
      packet_dts_.push_back(e->timestamp);
      packet_size_.push_back(e->size);
      keys.push_back((e->flags & AVINDEX_KEYFRAME) != 0);
    }
  } else {
    // No usable index: read the packets once, in a reader of its own so that this one
    // stays at the film's start.
    AVFormatContext* scan = nullptr;
    const int r = open_input(&scan, path);
    if (r < 0) return open_error_code(r);
    for (unsigned i = 0; i < scan->nb_streams; ++i) {
      if (static_cast<int>(i) != stream_) scan->streams[i]->discard = AVDISCARD_ALL;
    }
    int error = 0;
    while ((error = av_read_frame(scan, packet_)) >= 0) {
      if (packet_->stream_index == stream_) {
        packet_dts_.push_back(packet_->dts != AV_NOPTS_VALUE
                                  ? packet_->dts
                                  : static_cast<std::int64_t>(packet_dts_.size()));
        packet_size_.push_back(packet_->size);
        keys.push_back((packet_->flags & AV_PKT_FLAG_KEY) != 0);
      }
      av_packet_unref(packet_);
    }
    avformat_close_input(&scan);
    if (error == AVERROR(EIO)) return kFilmReadError;
    if (error == AVERROR(ENOMEM)) return kFilmOutOfMemory;
  }
  if (!std::is_sorted(packet_dts_.begin(), packet_dts_.end()) ||
      std::adjacent_find(packet_dts_.begin(), packet_dts_.end()) != packet_dts_.end()) {
    return kFilmBadFormat;  // packets cannot be told apart by their decoding times
  }
  if (!packet_dts_.empty()) slots_.push_back({0, 0, true, true});
  for (int i = 1; i < length(); ++i) {
    if (keys[i]) slots_.push_back({i, i, false, true});
  }
  return kFilmOpened;
}

int FilmDecoder::find_packet(std::int64_t dts) const {
  auto it = std::lower_bound(packet_dts_.begin(), packet_dts_.end(), dts);
  if (it == packet_dts_.end() || *it != dts) return -1;
  return static_cast<int>(it - packet_dts_.begin());
}

bool FilmDecoder::file_let_down(bool ended_early) const {
  if (format_->pb != nullptr && format_->pb->error < 0 && format_->pb->error != AVERROR_EOF) {
    return true;
  }
  if (!ended_early) return false;
  // Reading stopped before the packets the table lists: a film that is whole at its path
  // merely ends there (a damaged tail); one cut short or removed since it was opened failed.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path_, error);
  return error || size < size_at_open_;
}

int FilmDecoder::keyframe_number(int slot) const {
  const Slot& s = slots_[slot];
  return s.known ? s.number : s.decode_index + lead_;
}

int FilmDecoder::keyframe_for(int n) const {
  // A keyframe's number is never below its decoding place, so keyframes placed after n
  // cannot hold it.
  auto it = std::upper_bound(slots_.begin(), slots_.end(), n,
                             [](int value, const Slot& s) { return value < s.decode_index; });
  int slot = static_cast<int>(it - slots_.begin()) - 1;
  while (slot > 0 && (!slots_[slot].usable || keyframe_number(slot) > n)) --slot;
  return std::max(slot, 0);
}

bool FilmDecoder::seek(int slot) {
  end_run();
  read_failed_ = false;
  if (!is_open() || slot < 0 || slot >= static_cast<int>(slots_.size())) return false;
  Slot& s = slots_[slot];
  avcodec_flush_buffers(codec_);
  if (unpack_ != nullptr) av_bsf_flush(unpack_);
  ++seeks_;
  // Slot 0 may start with a packet that is not marked as a keyframe.
  const int flags = AVSEEK_FLAG_BACKWARD | (slot == 0 ? AVSEEK_FLAG_ANY : 0);
  if (av_seek_frame(format_, stream_, packet_dts_[s.decode_index], flags) < 0) {
    read_failed_ = file_let_down(true);
    if (slot > 0 && !read_failed_) s.usable = false;
    return false;
  }
  slot_ = slot;
  next_decode_ = s.decode_index;
  started_ = false;
  // From the film's start the pictures are simply counted.
  key_seen_ = slot == 0;
  next_number_ = s.known ? s.number : -1;
  return true;
}

bool FilmDecoder::step(const std::function<bool(int)>& wanted, Out& out) {
  if (slot_ < 0) return false;
  for (;;) {
    const int r = av_read_frame(format_, packet_);
    if (r < 0) {
      if (r == AVERROR(EIO) || file_let_down(next_decode_ < length())) {
        fail_run(wanted, out);
      } else {
        finish_run(wanted, out);
      }
      return false;
    }
    if (packet_->stream_index != stream_) {
      av_packet_unref(packet_);
      continue;
    }
    if (!started_) {
      const int place = packet_->dts == AV_NOPTS_VALUE ? -1 : find_packet(packet_->dts);
      if (place < next_decode_) {  // the seek landed before the keyframe
        av_packet_unref(packet_);
        continue;
      }
      if (place > next_decode_) {  // ... or after it: this keyframe cannot be reached
        av_packet_unref(packet_);
        if (slot_ > 0) slots_[slot_].usable = false;
        end_run();
        return false;
      }
      started_ = true;
    }
    // The packet's tail lies beyond the end of a file cut short: decoded, it would make a
    // picture with garbage below the cut.
    if (next_decode_ < length() && packet_->size < packet_size_[next_decode_] &&
        file_let_down(true)) {
      av_packet_unref(packet_);
      fail_run(wanted, out);
      return false;
    }
    const int place = next_decode_++;
    if (packet_->size == 0) {
      av_packet_unref(packet_);
      return true;
    }
    packet_->pts = packet_->dts = place;
    feed(packet_, wanted, out);
    if ((!key_seen_ || next_number_ < 0) && place - slots_[slot_].decode_index > kMaxUnsettled) {
      if (slot_ > 0) slots_[slot_].usable = false;
      end_run();
      return false;
    }
    return true;
  }
}

void FilmDecoder::feed(AVPacket* packet, const std::function<bool(int)>& wanted, Out& out) {
  if (unpack_ == nullptr) {
    send_to_decoder(packet, wanted, out);
    av_packet_unref(packet);
    return;
  }
  const std::int64_t place = packet != nullptr ? packet->pts : AV_NOPTS_VALUE;
  if (av_bsf_send_packet(unpack_, packet) < 0) {
    if (packet != nullptr) av_packet_unref(packet);
    return;
  }
  while (av_bsf_receive_packet(unpack_, filtered_) == 0) {
    // A held-back B-picture takes the place of the empty packet that released it.
    if (place != AV_NOPTS_VALUE) filtered_->pts = filtered_->dts = place;
    send_to_decoder(filtered_, wanted, out);
    av_packet_unref(filtered_);
  }
}

void FilmDecoder::send_to_decoder(AVPacket* packet, const std::function<bool(int)>& wanted,
                                  Out& out) {
  for (int tries = 0; tries < 2; ++tries) {
    const int r = avcodec_send_packet(codec_, packet);
    receive(wanted, out);
    if (r != AVERROR(EAGAIN)) return;  // a damaged packet is skipped like the decoder does
  }
}

void FilmDecoder::receive(const std::function<bool(int)>& wanted, Out& out) {
  while (avcodec_receive_frame(codec_, frame_) == 0) {
    ++decoded_;
    take_picture(frame_, wanted, out);
    av_frame_unref(frame_);
  }
}

void FilmDecoder::take_picture(AVFrame* frame, const std::function<bool(int)>& wanted, Out& out) {
  if (frame->pts == AV_NOPTS_VALUE) return;
  const int place = static_cast<int>(frame->pts);
  if (!key_seen_) {
    // Pictures before the keyframe's own belong to the previous group.
    if (place != slots_[slot_].decode_index) return;
    key_seen_ = true;
  }
  if (next_number_ >= 0) {
    emit(frame, next_number_++, wanted, out);
    return;
  }
  AVFrame* held = av_frame_clone(frame);
  if (held == nullptr) return;
  pending_.push_back({held, place, frame->pict_type == AV_PICTURE_TYPE_B});
  if (pending_.size() >= 2 && !pending_.back().b_picture) {
    // The first reference picture after the keyframe: shown right after the B-pictures
    // that came out before it, all of which were decoded after it.
    const int between = static_cast<int>(pending_.size()) - 2;
    const int number = pending_.back().decode_index + between;
    number_pending(number - between - 1, wanted, out);
  }
}

void FilmDecoder::number_pending(int first, const std::function<bool(int)>& wanted, Out& out) {
  next_number_ = first;
  std::vector<Pending> pending;
  pending.swap(pending_);
  for (Pending& p : pending) {
    emit(p.frame, next_number_++, wanted, out);
    av_frame_free(&p.frame);
  }
}

void FilmDecoder::emit(AVFrame* frame, int number, const std::function<bool(int)>& wanted,
                       Out& out) {
  const int place = static_cast<int>(frame->pts);
  auto it = std::lower_bound(slots_.begin(), slots_.end(), place,
                             [](const Slot& s, int value) { return s.decode_index < value; });
  if (it != slots_.end() && it->decode_index == place && !it->known) {
    it->known = true;
    it->number = number;
    if (it != slots_.begin()) lead_ = number - place;
  }
  if (number < 0 || number >= length() || !wanted(number)) return;
  if (auto picture = make_picture(frame, number)) out.push_back(std::move(picture));
}

void FilmDecoder::finish_run(const std::function<bool(int)>& wanted, Out& out) {
  if (unpack_ != nullptr) feed(nullptr, wanted, out);
  send_to_decoder(nullptr, wanted, out);
  // No reference picture followed the keyframe: the last pictures of the film end its run.
  if (!pending_.empty()) number_pending(length() - static_cast<int>(pending_.size()), wanted, out);
  end_run();
}

void FilmDecoder::fail_run(const std::function<bool(int)>& wanted, Out& out) {
  read_failed_ = true;
  // The pictures the decoder holds back came from whole packets and are given. Pictures still
  // waiting for their numbers would take them from the film's end, which this run never
  // reached: they are dropped.
  if (next_number_ >= 0) {
    if (unpack_ != nullptr) feed(nullptr, wanted, out);
    send_to_decoder(nullptr, wanted, out);
  }
  end_run();
}

void FilmDecoder::end_run() {
  for (Pending& p : pending_) av_frame_free(&p.frame);
  pending_.clear();
  slot_ = -1;
  next_number_ = -1;
}

std::shared_ptr<const FilmPicture> FilmDecoder::make_picture(AVFrame* frame, int number) {
  AVFrame* kept = nullptr;
  const auto format = static_cast<AVPixelFormat>(frame->format);
  const bool planar420 = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
  bool full_range = false;
  if (planar420 && frame->width == width_ && frame->height == height_) {
    // The decoder's own buffer, shared: no copy for the common formats.
    kept = av_frame_clone(frame);
    full_range = format == AV_PIX_FMT_YUVJ420P || frame->color_range == AVCOL_RANGE_JPEG;
  } else {
    sws_ = sws_getCachedContext(sws_, frame->width, frame->height, format, width_, height_,
                                AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (sws_ == nullptr) return nullptr;
    kept = av_frame_alloc();
    if (kept == nullptr) return nullptr;
    kept->format = AV_PIX_FMT_YUV420P;
    kept->width = width_;
    kept->height = height_;
    if (av_frame_get_buffer(kept, 0) < 0) {
      av_frame_free(&kept);
      return nullptr;
    }
    sws_scale(sws_, frame->data, frame->linesize, 0, frame->height, kept->data, kept->linesize);
  }
  if (kept == nullptr) return nullptr;
  auto picture = std::make_shared<FilmPicture>();
  picture->frame = number;
  picture->width = width_;
  picture->height = height_;
  for (int i = 0; i < 3; ++i) {
    picture->planes[i] = kept->data[i];
    picture->strides[i] = kept->linesize[i];
  }
  picture->full_range = full_range;
  for (AVBufferRef* buf : kept->buf) {
    if (buf != nullptr) picture->bytes += buf->size;
  }
  picture->storage = std::shared_ptr<AVFrame>(kept, free_frame);
  return picture;
}

}  // namespace velmora
