#pragma once
// Picture memory for the film decoder. The cache keeps a few hundred decoded pictures, so
// while it fills (a film's first seconds, the first jumps) nearly every picture goes to
// memory the process has never touched. FFmpeg's own buffers zero each new picture and take
// its 4 KiB pages one fault at a time, which on a virtual machine cost about twice the
// decoding. Here pictures are carved from large blocks that ask the kernel for huge pages,
// are not cleared (new pages are zero anyway, and a reused picture is written whole by the
// decoder as with FFmpeg's own), and are reused through a buffer pool like FFmpeg's.

struct AVBufferPool;
struct AVCodecContext;
struct AVFrame;

namespace velmora {

class FilmFramePool {
 public:
  FilmFramePool() = default;
  ~FilmFramePool();
  FilmFramePool(const FilmFramePool&) = delete;
  FilmFramePool& operator=(const FilmFramePool&) = delete;

  // Makes codec take its pictures from this pool; before avcodec_open2. The pool must live
  // until the codec is freed; pictures handed out stay valid after both are gone. Formats
  // other than planar 4:2:0 get FFmpeg's own buffers.
  void attach(AVCodecContext* codec);

 private:
  static int get_buffer(AVCodecContext* codec, AVFrame* frame, int flags);
  bool lay_out(AVCodecContext* codec, const AVFrame* frame);

  AVBufferPool* pool_ = nullptr;  // buffers of the current layout
  int width_ = 0;                 // px, the layout's picture
  int height_ = 0;
  int format_ = -1;
  int linesize_[3] = {0, 0, 0};
  int offset_[3] = {0, 0, 0};  // bytes into a buffer, per plane
};

}  // namespace velmora
