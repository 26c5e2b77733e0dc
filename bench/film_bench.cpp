// The film source driven the way the run drives it, on an 800 x 600 film the benchmark
// writes itself (MPEG-4 Part 2 with B-frames and a keyframe every 300 frames; H.264 with
// one every 250 when FFmpeg has an encoder for it), next to FFmpeg's own sequential
// decode-and-convert cost measured in the same run.
//
// Run: build/release/bench/velmora_bench --benchmark_filter=Film
// A pass's cost is the main thread's time in avi_getframe plus the BGRA conversion of a new
// picture. "Throughput" passes run back to back, each waiting for its exact frame; "paced"
// passes come every 16.667 ms, ask without waiting and keep the old picture while the frame
// is busy ("late" counts those passes).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "platform/ffmpeg/ffmpeg_film_source.h"
#include "platform/ffmpeg/film_writer.h"

namespace {

using namespace velmora;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kFrames = 1500;
constexpr auto kPass = std::chrono::microseconds(16'667);

struct Codec {
  const char* encoder;
  const char* fourcc;
  int interval;  // frames between keyframes
  int quality;
};
const std::map<std::string, Codec> kCodecs = {
    {"mpeg4", {"mpeg4", "XVID", 300, 4}},
    {"h264", {"libx264", "", 250, 23}},
};

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// A track-side scene: sky with slowly drifting clouds over a textured ground plane that
// comes towards the camera, so that motion and detail resemble a cab film. Frame marks on
// top let every pass check it got the frame it asked for.
class Scene {
 public:
  Scene() : texture_(kTex * kTex) {
    std::mt19937 random(1);
    std::vector<int> noise(kTex * kTex);
    for (int& v : noise) v = static_cast<int>(random() % 256);
    for (int pass = 0; pass < 6; ++pass) {  // soften it, as a real scene is
      std::vector<int> soft(noise.size());
      for (int y = 0; y < kTex; ++y) {
        for (int x = 0; x < kTex; ++x) {
          int sum = 0;
          for (int d = -2; d <= 2; ++d) {
            sum +=
                noise[y * kTex + ((x + d) & (kTex - 1))] + noise[((y + d) & (kTex - 1)) * kTex + x];
          }
          soft[y * kTex + x] = sum / 10;
        }
      }
      noise.swap(soft);
    }
    for (int i = 0; i < kTex * kTex; ++i) {
      texture_[i] = static_cast<std::uint8_t>(std::clamp((noise[i] - 128) * 5 + 128, 0, 255));
    }
  }

  void paint(int frame, std::uint8_t* const planes[3], const int strides[3]) const {
    constexpr int kHorizon = 230;
    for (int y = 0; y < kHeight; ++y) {
      std::uint8_t* row = planes[0] + y * strides[0];
      if (y < kHorizon) {
        for (int x = 0; x < kWidth; ++x) {
          row[x] =
              static_cast<std::uint8_t>(170 - y / 4 + (tex(x / 4 + frame / 3, y / 4) - 128) / 8);
        }
      } else {
        const int depth = 65536 / (y - kHorizon + 6);  // nearer rows move faster
        const int v = depth / 16 + frame * 5;
        for (int x = 0; x < kWidth; ++x) row[x] = tex((x - kWidth / 2) * depth / 4096, v);
      }
    }
    for (int y = 0; y < kHeight / 2; ++y) {
      for (int x = 0; x < kWidth / 2; ++x) {
        const bool sky = 2 * y < kHorizon;
        planes[1][y * strides[1] + x] = static_cast<std::uint8_t>(sky ? 150 : 112 + (x & 7));
        planes[2][y * strides[2] + x] = static_cast<std::uint8_t>(sky ? 112 : 136 - (y & 7));
      }
    }
    paint_frame_mark(planes[0], strides[0], kWidth, kHeight, frame);
  }

 private:
  static constexpr int kTex = 512;
  std::uint8_t tex(int x, int y) const {
    return texture_[(y & (kTex - 1)) * kTex + (x & (kTex - 1))];
  }
  std::vector<std::uint8_t> texture_;
};

// Written once per machine and kept in the temporary folder between runs.
std::string film(const std::string& name) {
  static std::map<std::string, std::string> made;
  set_film_library_quiet(true);
  if (auto it = made.find(name); it != made.end()) return it->second;
  const Codec& c = kCodecs.at(name);
  const auto dir = std::filesystem::temp_directory_path() / "velmora-film-bench";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / (name + "-scene2-800x600-" + std::to_string(kFrames) + "-k" +
                                   std::to_string(c.interval) + ".avi"))
                               .string();
  if (!std::filesystem::exists(path)) {
    FilmWriterSettings s;
    s.encoder = c.encoder;
    s.fourcc = c.fourcc;
    s.width = kWidth;
    s.height = kHeight;
    s.frames = kFrames;
    s.keyframe_interval = c.interval;
    s.b_frames = 2;
    s.quality = c.quality;
    static const Scene scene;
    const std::string tmp = path + ".part";
    const std::string error = write_film(
        tmp, s, [](int f, std::uint8_t* const p[3], const int st[3]) { scene.paint(f, p, st); });
    if (!error.empty()) return {};
    std::filesystem::rename(tmp, path);
  }
  return made[name] = path;
}

bool check_film(benchmark::State& state, const std::string& name) {
  if (!film_encoder_available(kCodecs.at(name).encoder)) {
    state.SkipWithError("FFmpeg has no encoder for this codec here");
    return false;
  }
  if (film(name).empty()) {
    state.SkipWithError("the film could not be written");
    return false;
  }
  return true;
}

struct Baseline {
  double wall_ms = 0;  // per frame, decode and conversion to BGRA
  double cpu_ms = 0;
};

// FFmpeg alone: a straight decode of the first 600 frames with swscale's conversion.
Baseline ffmpeg_sequential(const std::string& name) {
  static std::map<std::string, Baseline> measured;
  if (auto it = measured.find(name); it != measured.end()) return it->second;
  AVFormatContext* format = nullptr;
  avformat_open_input(&format, film(name).c_str(), nullptr, nullptr);
  avformat_find_stream_info(format, nullptr);
  const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const AVCodec* codec = avcodec_find_decoder(format->streams[stream]->codecpar->codec_id);
  AVCodecContext* c = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(c, format->streams[stream]->codecpar);
  c->thread_count = 1;
  avcodec_open2(c, codec, nullptr);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwsContext* sws = nullptr;
  std::vector<std::uint8_t> bgra(kWidth * kHeight * 4);
  std::uint8_t* dst[4] = {bgra.data(), nullptr, nullptr, nullptr};
  int dst_stride[4] = {kWidth * 4, 0, 0, 0};
  int frames = 0;
  const auto start = Clock::now();
  const double cpu_start = cpu_ms();
  while (frames < 600 && av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == stream) {
      avcodec_send_packet(c, packet);
      while (avcodec_receive_frame(c, frame) == 0) {
        sws = sws_getCachedContext(sws, frame->width, frame->height,
                                   static_cast<AVPixelFormat>(frame->format), kWidth, kHeight,
                                   AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, dst_stride);
        ++frames;
      }
    }
    av_packet_unref(packet);
  }
  Baseline b{ms_since(start) / frames, (cpu_ms() - cpu_start) / frames};
  sws_freeContext(sws);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&c);
  avformat_close_input(&format);
  return measured[name] = b;
}

// The main thread's side of one pass.
class Driver {
 public:
  explicit Driver(FfmpegFilmSource& source) : source_(source), bgra_(kWidth * kHeight * 4) {}

  // Returns whether frame n was shown.
  bool pass(int n, std::chrono::microseconds wait) {
    const auto start = Clock::now();
    const FilmFrame f = source_.avi_getframe(n, wait);
    const bool ready = f.status == FilmFrameStatus::kReady;
    if (ready && f.picture != shown_) {
      film_picture_to_bgra(*f.picture, bgra_.data(), kWidth * 4);
      shown_ = f.picture;
    }
    costs_.push_back(ms_since(start));
    if (ready) {
      if (read_frame_mark(shown_->planes[0], shown_->strides[0], kWidth, kHeight) != n) ++wrong_;
    } else {
      ++late_;
    }
    return ready;
  }

  void report(benchmark::State& state) {
    std::vector<double> sorted = costs_;
    std::sort(sorted.begin(), sorted.end());
    state.counters["pass_med_ms"] = sorted.empty() ? 0 : sorted[sorted.size() / 2];
    state.counters["pass_max_ms"] = sorted.empty() ? 0 : sorted.back();
    state.counters["late"] = late_;
    state.counters["wrong"] = wrong_;
    state.counters["passes"] = static_cast<double>(costs_.size());
  }
  double total_ms() const {
    double sum = 0;
    for (double c : costs_) sum += c;
    return sum;
  }

 private:
  FfmpegFilmSource& source_;
  std::vector<std::uint8_t> bgra_;
  std::shared_ptr<const FilmPicture> shown_;
  std::vector<double> costs_;
  int late_ = 0;
  int wrong_ = 0;
};

void report_cache(benchmark::State& state, const FfmpegFilmSource& source) {
  const FilmSourceStats s = source.stats();
  state.counters["cache_peak_MB"] = s.cache_peak_bytes / 1048576.0;
  state.counters["decoded"] = static_cast<double>(s.decoded);
  state.counters["seeks"] = static_cast<double>(s.seeks);
}

void BM_FilmFfmpegSequential(benchmark::State& state, const std::string& name) {
  if (!check_film(state, name)) return;
  for (auto _ : state) {
    const Baseline b = ffmpeg_sequential(name);
    state.counters["frame_ms"] = b.wall_ms;
    state.counters["frame_cpu_ms"] = b.cpu_ms;
  }
}

// Back to back, each pass waiting for its frame: the source's cost per frame shown against
// FFmpeg's own, in wall time and in CPU time of the whole process.
void BM_FilmForwardThroughput(benchmark::State& state, const std::string& name, int step) {
  if (!check_film(state, name)) return;
  const Baseline b = ffmpeg_sequential(name);
  for (auto _ : state) {
    FfmpegFilmSource source;
    source.avi_open(film(name));
    // The first run fills the cache; from then on the frames it drops make room for new
    // ones. Both are measured: a fresh film's first frames pay for fresh memory once.
    Driver fill(source);
    const double fill_cpu = cpu_ms();
    int start = 0;
    for (; start < 450; start += step) fill.pass(start, std::chrono::seconds(5));
    state.counters["fill_cpu_ms"] = (cpu_ms() - fill_cpu) / (450 / step);
    source.wait_idle();
    Driver timed(source);
    const double cpu_start = cpu_ms();
    int passes = 0;
    for (int n = start; passes < 300 && n < kFrames; n += step, ++passes) {
      timed.pass(n, std::chrono::seconds(5));
    }
    const double cpu_per_pass = (cpu_ms() - cpu_start) / passes;
    timed.report(state);
    state.counters["vs_ffmpeg_wall"] = timed.total_ms() / passes / (step * b.wall_ms);
    state.counters["vs_ffmpeg_cpu"] = cpu_per_pass / (step * b.cpu_ms);
    report_cache(state, source);
  }
}

// Passes every 16.667 ms; the film frame moves by frames_per_pass (negative: backward).
void paced_run(Driver& driver, double start, double frames_per_pass, int passes) {
  auto due = Clock::now();
  double position = start;
  for (int i = 0; i < passes; ++i) {
    driver.pass(static_cast<int>(position), {});
    position += frames_per_pass;
    due += kPass;
    std::this_thread::sleep_until(due);
  }
}

void BM_FilmPacedForward(benchmark::State& state, const std::string& name, double speed) {
  if (!check_film(state, name)) return;
  for (auto _ : state) {
    FfmpegFilmSource source;
    source.avi_open(film(name));
    Driver warm(source);
    warm.pass(100, std::chrono::seconds(5));
    source.wait_idle();
    Driver driver(source);
    paced_run(driver, 100, speed / 2, 150);  // film at 30 frames/s, passes at 60/s
    driver.report(state);
    report_cache(state, source);
  }
}

// Backward at the film's speed, from a cold cache, across a keyframe: the group before
// the keyframe must be decoded ahead of time in the background.
void BM_FilmPacedBackward(benchmark::State& state, const std::string& name) {
  if (!check_film(state, name)) return;
  const int interval = kCodecs.at(name).interval;
  for (auto _ : state) {
    FfmpegFilmSource source;
    source.avi_open(film(name));
    const int start = interval + 120;
    Driver warm(source);
    warm.pass(start + 1, std::chrono::seconds(5));
    source.wait_idle();
    Driver driver(source);
    paced_run(driver, start, -0.5, 360);  // 180 frames back in 6 s
    driver.report(state);
    report_cache(state, source);
  }
}

// Jumps of 1000 frames landing at different places in a keyframe group: each pass asks
// without waiting; the time until the exact frame is shown is counted in passes.
void BM_FilmPacedJump(benchmark::State& state, const std::string& name) {
  if (!check_film(state, name)) return;
  for (auto _ : state) {
    FfmpegFilmSource source;
    source.avi_open(film(name));
    Driver setup(source);
    Driver driver(source);
    std::vector<double> until_ready;
    for (int from : {10, 80, 150, 200, 240, 299}) {
      setup.pass(from, std::chrono::seconds(5));
      source.wait_idle();
      const auto jump = Clock::now();
      auto due = jump;
      while (!driver.pass(from + 1000, {})) {
        due += kPass;
        std::this_thread::sleep_until(due);
      }
      until_ready.push_back(ms_since(jump));
    }
    std::sort(until_ready.begin(), until_ready.end());
    driver.report(state);
    state.counters["ready_med_ms"] = until_ready[until_ready.size() / 2];
    state.counters["ready_max_ms"] = until_ready.back();
    report_cache(state, source);
  }
}

// A standing train asking for its frame every pass anyway: nothing is decoded.
void BM_FilmPacedStanding(benchmark::State& state, const std::string& name) {
  if (!check_film(state, name)) return;
  for (auto _ : state) {
    FfmpegFilmSource source;
    source.avi_open(film(name));
    Driver warm(source);
    warm.pass(500, std::chrono::seconds(5));
    source.wait_idle();
    const std::int64_t decoded = source.stats().decoded;
    const double cpu_start = cpu_ms();
    Driver driver(source);
    paced_run(driver, 500, 0, 60);
    driver.report(state);
    state.counters["decodes"] = static_cast<double>(source.stats().decoded - decoded);
    state.counters["cpu_ms_per_pass"] = (cpu_ms() - cpu_start) / 60;
  }
}

void BM_FilmPictureToBgra(benchmark::State& state) {
  NewFilmPicture made = make_film_picture(kWidth, kHeight);
  std::vector<std::uint8_t> bgra(kWidth * kHeight * 4);
  for (auto _ : state) {
    film_picture_to_bgra(*made.picture, bgra.data(), kWidth * 4);
    benchmark::DoNotOptimize(bgra.data());
  }
}

#define FILM_BENCH(codec)                                            \
  BENCHMARK_CAPTURE(BM_FilmFfmpegSequential, codec, #codec)          \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_FilmForwardThroughput, codec##_1x, #codec, 1) \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_FilmForwardThroughput, codec##_3x, #codec, 3) \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_FilmPacedForward, codec##_1x, #codec, 1.0)    \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_FilmPacedForward, codec##_3x, #codec, 3.0)    \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_FilmPacedBackward, codec##_1x, #codec)        \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_FilmPacedJump, codec##_1000, #codec)          \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond);                               \
  BENCHMARK_CAPTURE(BM_FilmPacedStanding, codec, #codec)             \
      ->Iterations(1)                                                \
      ->Unit(benchmark::kMillisecond)

FILM_BENCH(mpeg4);
FILM_BENCH(h264);
BENCHMARK(BM_FilmPictureToBgra)->Unit(benchmark::kMicrosecond);

}  // namespace
