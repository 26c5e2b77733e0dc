#pragma once
// Exact frames of one AVI film with FFmpeg: opening with the result codes, the table of
// packets and keyframes, keyframe seeks, and the numbering of decoded pictures in
// presentation order. Not thread-safe: one thread owns a decoder.
//
// Numbering. AVI stores frames in decoding order and, with B-frames, carries no display
// times, so a picture's number cannot be read off the file. Each packet is tagged with its
// place in decoding order, which the decoder passes on to the picture the packet makes.
// A run from the film's start numbers pictures by counting. A run from a later keyframe
// learns the keyframe's number from the first reference picture (I or P) after it: that
// picture follows in display order exactly the B-pictures decoded after it, so its number is
// its decoding place plus the B-pictures shown between the keyframe and it. The keyframe's
// own number can lie beyond the frame it was chosen for (B-pictures decoded after a
// keyframe but shown before it belong to the previous group); the planner then picks an
// earlier keyframe. Numbers learned this way are kept per keyframe.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/film_picture.h"

struct AVBSFContext;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace velmora {

class FilmFramePool;

class FilmDecoder {
 public:
  // Largest picture accepted, in px per side and in total: beyond it a file is refused as
  // unreadable rather than trusted with gigabytes of frame memory.
  static constexpr int kMaxSide = 8192;
  static constexpr std::int64_t kMaxArea = 4096LL * 2304;
  // Packets after a keyframe within which its picture must have come out and its run's
  // numbering be known; a damaged keyframe is given up rather than decoded past to the
  // film's end with every picture held back.
  static constexpr int kMaxUnsettled = 64;

  explicit FilmDecoder(int threads = 1);
  ~FilmDecoder();
  FilmDecoder(const FilmDecoder&) = delete;
  FilmDecoder& operator=(const FilmDecoder&) = delete;

  // A FilmOpenResult; on failure nothing is open.
  int open(const std::string& path);
  void close();
  bool is_open() const { return format_ != nullptr; }
  int length() const { return static_cast<int>(packet_dts_.size()); }
  int width() const { return width_; }
  int height() const { return height_; }

  // Keyframe slots in decoding order; slot 0 is the film's start.
  int keyframe_for(int n) const;
  int keyframe_number(int slot) const;
  bool keyframe_number_known(int slot) const { return slots_[slot].known; }

  // Starts a run at a keyframe slot. False when the film cannot be positioned there.
  bool seek(int slot);
  int slot() const { return slot_; }                // where the current run started; -1 with none
  int next_number() const { return next_number_; }  // -1 until the run's numbering is known

  // Feeds the next packet of the run. Pictures numbered by it for which wanted(number)
  // holds are appended to out, in order. Returns false when the run is over (end of the
  // film, a read error, or a keyframe that cannot be reached); slot() is then -1.
  bool step(const std::function<bool(int)>& wanted,
            std::vector<std::shared_ptr<const FilmPicture>>& out);
  // True when the last seek or run failed because the file could not be read: a read error,
  // or the file is shorter than at open (or gone) where the packet table promised more.
  bool read_failed() const { return read_failed_; }

  std::int64_t decoded() const { return decoded_; }  // pictures out of the decoder
  std::int64_t seeks() const { return seeks_; }

 private:
  struct Slot {
    int decode_index;  // the keyframe's place in decoding order
    int number;        // its picture's number, when known
    bool known;
    bool usable;  // false once a seek to it failed
  };
  struct Pending {
    AVFrame* frame;
    int decode_index;
    bool b_picture;
  };
  using Out = std::vector<std::shared_ptr<const FilmPicture>>;

  int open_stream(const std::string& path);
  int build_packet_table(const std::string& path);
  int find_packet(std::int64_t dts) const;
  bool file_let_down(bool ended_early) const;
  void feed(AVPacket* packet, const std::function<bool(int)>& wanted, Out& out);
  void send_to_decoder(AVPacket* packet, const std::function<bool(int)>& wanted, Out& out);
  void receive(const std::function<bool(int)>& wanted, Out& out);
  void take_picture(AVFrame* frame, const std::function<bool(int)>& wanted, Out& out);
  void number_pending(int first, const std::function<bool(int)>& wanted, Out& out);
  void emit(AVFrame* frame, int number, const std::function<bool(int)>& wanted, Out& out);
  void finish_run(const std::function<bool(int)>& wanted, Out& out);
  void fail_run(const std::function<bool(int)>& wanted, Out& out);
  void end_run();
  std::shared_ptr<const FilmPicture> make_picture(AVFrame* frame, int number);

  int threads_;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  std::unique_ptr<FilmFramePool> frames_;  // codec_'s picture memory; freed after it
  AVBSFContext* unpack_ = nullptr;         // splits DivX packed B-frames, one picture per packet
  SwsContext* sws_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVPacket* filtered_ = nullptr;
  AVFrame* frame_ = nullptr;
  int stream_ = -1;
  int width_ = 0;
  int height_ = 0;

  std::string path_;
  std::uintmax_t size_at_open_ = 0;       // bytes; a file shorter than this was cut short
  std::vector<std::int64_t> packet_dts_;  // per packet in decoding order
  std::vector<int> packet_size_;          // bytes, from the index or the scan
  std::vector<Slot> slots_;
  int lead_ = 0;  // learned keyframe number minus decoding place, for unexplored keyframes

  // The current run.
  int slot_ = -1;
  int next_decode_ = 0;    // decoding place of the next packet read
  bool started_ = false;   // the run's keyframe packet has been read
  bool key_seen_ = false;  // the keyframe's picture has come out
  int next_number_ = -1;
  std::vector<Pending> pending_;
  bool read_failed_ = false;

  std::int64_t decoded_ = 0;
  std::int64_t seeks_ = 0;
};

}  // namespace velmora
