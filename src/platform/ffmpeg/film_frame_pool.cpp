#include "platform/ffmpeg/film_frame_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/buffer.h>
#include <libavutil/imgutils.h>
}

namespace velmora {
namespace {

constexpr std::size_t kHugePage = 2u << 20;
constexpr std::size_t kBlockBytes = 32u << 20;  // a few dozen pictures of a cab film
constexpr std::size_t kAlign = 64;              // FFmpeg's widest SIMD alignment
// Behind each plane, as FFmpeg leaves behind its own: decoders read a little past the end.
constexpr std::size_t kPlanePadding = 16 + kAlign - 1;

std::size_t round_up(std::size_t v, std::size_t to) { return (v + to - 1) / to * to; }

// One mapping that pictures are carved from; unmapped when its last picture is freed.
struct Block {
  std::uint8_t* base = nullptr;
  std::size_t size = 0;
  std::size_t used = 0;
  std::atomic<int> users{1};  // carved buffers, plus one while pictures are carved from it
};

void release(Block* block) {
  if (block->users.fetch_sub(1) != 1) return;
  munmap(block->base, block->size);
  delete block;
}

Block* map_block(std::size_t bytes) {
  // Huge pages need 2 MiB alignment: map more and trim the ends.
  const std::size_t size = round_up(std::max(bytes, kBlockBytes), kHugePage);
  void* raw =
      mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  auto* start = static_cast<std::uint8_t*>(raw);
  auto* base =
      reinterpret_cast<std::uint8_t*>(round_up(reinterpret_cast<std::uintptr_t>(start), kHugePage));
  if (base > start) munmap(start, static_cast<std::size_t>(base - start));
  const std::size_t tail = kHugePage - static_cast<std::size_t>(base - start);
  if (tail > 0) munmap(base + size, tail);
  madvise(base, size, MADV_HUGEPAGE);  // a kernel without huge pages keeps small ones
  auto* block = new Block;
  block->base = base;
  block->size = size;
  return block;
}

// The pool's allocator: the block pictures are being carved from. Lives as long as the pool,
// which outlives the codec while pictures are held.
struct Carver {
  Block* current = nullptr;
};

void free_carved(void* opaque, std::uint8_t*) { release(static_cast<Block*>(opaque)); }

AVBufferRef* carve(void* opaque, std::size_t size) {
  auto* carver = static_cast<Carver*>(opaque);
  const std::size_t step = round_up(size, kAlign);
  Block* block = carver->current;
  if (block == nullptr || block->used + step > block->size) {
    Block* fresh = map_block(step);
    if (fresh == nullptr) return av_buffer_alloc(size);  // no mapping: FFmpeg's own memory
    if (block != nullptr) release(block);
    block = carver->current = fresh;
  }
  std::uint8_t* data = block->base + block->used;
  AVBufferRef* buffer = av_buffer_create(data, size, free_carved, block, 0);
  if (buffer == nullptr) return nullptr;
  block->used += step;
  block->users.fetch_add(1);
  return buffer;
}

void free_carver(void* opaque) {
  auto* carver = static_cast<Carver*>(opaque);
  if (carver->current != nullptr) release(carver->current);
  delete carver;
}

bool planar420(int format) { return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P; }

}  // namespace

FilmFramePool::~FilmFramePool() { av_buffer_pool_uninit(&pool_); }

void FilmFramePool::attach(AVCodecContext* codec) {
  if ((codec->codec->capabilities & AV_CODEC_CAP_DR1) == 0) return;
  codec->opaque = this;
  codec->get_buffer2 = get_buffer;
}

// The same geometry as FFmpeg's own buffers (its decoders rely on the alignment and on rows
// beyond the picture), the planes in one buffer.
bool FilmFramePool::lay_out(AVCodecContext* codec, const AVFrame* frame) {
  int w = frame->width;
  int h = frame->height;
  int align[AV_NUM_DATA_POINTERS] = {};
  avcodec_align_dimensions2(codec, &w, &h, align);
  int linesize[4] = {};
  for (;;) {
    if (av_image_fill_linesizes(linesize, static_cast<AVPixelFormat>(frame->format), w) < 0) {
      return false;
    }
    bool aligned = true;
    for (int i = 0; i < 4; ++i) aligned = aligned && (align[i] == 0 || linesize[i] % align[i] == 0);
    if (aligned) break;
    w += w & ~(w - 1);  // the next power of two that divides it
  }
  const std::ptrdiff_t strides[4] = {linesize[0], linesize[1], linesize[2], linesize[3]};
  std::size_t sizes[4] = {};
  if (av_image_fill_plane_sizes(sizes, static_cast<AVPixelFormat>(frame->format), h, strides) < 0) {
    return false;
  }
  std::size_t end = 0;
  for (int i = 0; i < 3; ++i) {
    offset_[i] = static_cast<int>(round_up(end, kAlign));
    end = offset_[i] + sizes[i] + kPlanePadding;
    linesize_[i] = linesize[i];
  }
  av_buffer_pool_uninit(&pool_);  // pictures still out free their buffers when dropped
  auto* carver = new Carver;
  pool_ = av_buffer_pool_init2(end, carver, carve, free_carver);
  if (pool_ == nullptr) {
    delete carver;
    return false;
  }
  width_ = frame->width;
  height_ = frame->height;
  format_ = frame->format;
  return true;
}

int FilmFramePool::get_buffer(AVCodecContext* codec, AVFrame* frame, int flags) {
  auto* self = static_cast<FilmFramePool*>(codec->opaque);
  if (!planar420(frame->format)) return avcodec_default_get_buffer2(codec, frame, flags);
  if (self->pool_ == nullptr || frame->width != self->width_ || frame->height != self->height_ ||
      frame->format != self->format_) {
    if (!self->lay_out(codec, frame)) return avcodec_default_get_buffer2(codec, frame, flags);
  }
  AVBufferRef* buffer = av_buffer_pool_get(self->pool_);
  if (buffer == nullptr) return AVERROR(ENOMEM);
  frame->buf[0] = buffer;
  for (int i = 0; i < 3; ++i) {
    frame->data[i] = buffer->data + self->offset_[i];
    frame->linesize[i] = self->linesize_[i];
  }
  for (int i = 3; i < AV_NUM_DATA_POINTERS; ++i) {
    frame->data[i] = nullptr;
    frame->linesize[i] = 0;
  }
  frame->extended_data = frame->data;
  return 0;
}

}  // namespace velmora
