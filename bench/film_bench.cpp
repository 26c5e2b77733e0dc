// The film source driven the way the run drives it, on an 800 x 600 film the benchmark
// writes itself (MPEG-4 Part 2 with B-frames and a keyframe every 300 frames; H.264 with
// one every 250 when FFmpeg has an encoder for it), next to FFmpeg's own cost for the same
// work measured in the same run.
//
// Run: build/release/bench/velmora_bench --benchmark_filter=Film
// A pass's cost is the main thread's time in avi_getframe plus the BGRA conversion of a new
// picture. "Throughput" passes run back to back, each waiting for its exact frame; "paced"
// passes come every 16.667 ms, ask without waiting and keep the old picture while the frame
// is busy ("late" counts those passes).
//
// What each side includes, so that like is compared with like:
// - FFmpeg alone ("ffmpeg_*"): the same file through the same AVI reader and decoder with one
//   decoding thread (the source's default), each picture converted to BGRA by the very
//   conversion the run uses (film_picture_to_bgra, reading the decoder's planes in place).
//   Nothing else: no numbering, no bitstream filter, no cache, no second thread.
// - The source: everything the run pays for, in the whole process (worker thread included):
//   reading, the MPEG-4 bitstream filter, decoding, numbering, the cache, the hand-over
//   between the threads and the same BGRA conversion on the calling thread.
// The source's worker runs at a lower priority than the calling thread; on a machine busy
// with other work that stretches the source's wall times but not its CPU times.
// A jump on FFmpeg's side is a keyframe seek (AVSEEK_FLAG_BACKWARD) with the decoder flushed,
// decoding on to the exact frame (told by the frame marks the films carry; a keyframe whose
// own picture comes after the frame sends it one keyframe further back) and its conversion.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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

// FFmpeg alone on one of the benchmark films, its contexts opened once.
class BareDecoder {
 public:
  explicit BareDecoder(const std::string& path) {
    avformat_open_input(&format_, path.c_str(), nullptr, nullptr);
    avformat_find_stream_info(format_, nullptr);
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec* codec = avcodec_find_decoder(format_->streams[stream_]->codecpar->codec_id);
    codec_ = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(codec_, format_->streams[stream_]->codecpar);
    codec_->thread_count = 1;
    avcodec_open2(codec_, codec, nullptr);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
  }
  ~BareDecoder() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
  }
  BareDecoder(const BareDecoder&) = delete;
  BareDecoder& operator=(const BareDecoder&) = delete;

  // To the keyframe at or before ts (decoding order), the decoder flushed.
  void seek(std::int64_t ts) {
    av_seek_frame(format_, stream_, ts, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec_);
    ended_ = false;
    first_dts_ = AV_NOPTS_VALUE;
  }
  std::int64_t first_dts() const { return first_dts_; }  // of the first packet since the seek

  // The next picture in presentation order; null at the film's end.
  const AVFrame* next() {
    for (;;) {
      av_frame_unref(frame_);
      if (avcodec_receive_frame(codec_, frame_) == 0) return frame_;
      if (ended_) return nullptr;
      if (av_read_frame(format_, packet_) < 0) {
        avcodec_send_packet(codec_, nullptr);
        ended_ = true;
        continue;
      }
      if (packet_->stream_index == stream_) {
        if (first_dts_ == AV_NOPTS_VALUE) first_dts_ = packet_->dts;
        avcodec_send_packet(codec_, packet_);
      }
      av_packet_unref(packet_);
    }
  }

 private:
  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  int stream_ = -1;
  bool ended_ = false;
  std::int64_t first_dts_ = AV_NOPTS_VALUE;
};

// The run's own conversion, reading the decoder's planes where they are.
void decoded_to_bgra(const AVFrame& f, std::uint8_t* bgra) {
  FilmPicture p;
  p.width = f.width;
  p.height = f.height;
  for (int i = 0; i < 3; ++i) {
    p.planes[i] = f.data[i];
    p.strides[i] = f.linesize[i];
  }
  p.full_range = f.format == AV_PIX_FMT_YUVJ420P || f.color_range == AVCOL_RANGE_JPEG;
  film_picture_to_bgra(p, bgra, f.width * 4);
}

struct Baseline {
  double wall_ms = -1;  // per frame shown, decoding and conversion to BGRA; -1: not measured
  double cpu_ms = -1;
};

int frame_mark(const AVFrame& f) {
  return read_frame_mark(f.data[0], f.linesize[0], f.width, f.height);
}

// FFmpeg alone over frames [first, first + count): every frame decoded, every step-th one
// converted (those a pass at that speed shows), as a straight run from the keyframe before.
Baseline ffmpeg_span(const std::string& name, int first, int count, int step) {
  BareDecoder decoder(film(name));
  decoder.seek(first);
  if (first > 0) {
    const AVFrame* f = nullptr;
    while ((f = decoder.next()) != nullptr && frame_mark(*f) < first - 1) {
    }
    if (f == nullptr || frame_mark(*f) != first - 1) return {};
  }
  std::vector<std::uint8_t> bgra(kWidth * kHeight * 4);
  int shown = 0;
  const auto start = Clock::now();
  const double cpu_start = cpu_ms();
  for (int i = 0; i < count; ++i) {
    const AVFrame* f = decoder.next();
    if (f == nullptr) break;
    if (i % step == 0) {
      decoded_to_bgra(*f, bgra.data());
      ++shown;
    }
  }
  if (shown == 0) return {};
  return {ms_since(start) / shown, (cpu_ms() - cpu_start) / shown};
}

struct JumpCost {
  double wall_ms = -1;  // until the exact frame is converted; -1 when it never came
  double cpu_ms = -1;   // of the whole process meanwhile
};

// FFmpeg alone on a jump to `target`.
JumpCost ffmpeg_jump(BareDecoder& decoder, int target) {
  std::vector<std::uint8_t> bgra(kWidth * kHeight * 4);
  const auto start = Clock::now();
  const double cpu_start = cpu_ms();
  std::int64_t ts = target;
  for (int tries = 0; tries < 3 && ts >= 0; ++tries) {
    decoder.seek(ts);
    while (const AVFrame* f = decoder.next()) {
      const int n = frame_mark(*f);
      if (n == target) {
        decoded_to_bgra(*f, bgra.data());
        return {ms_since(start), cpu_ms() - cpu_start};
      }
      if (n > target) break;  // the keyframe's picture comes after the frame
    }
    ts = decoder.first_dts() - 1;
  }
  return {};
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
  int wrong() const { return wrong_; }
  int late() const { return late_; }
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
    const Baseline b = ffmpeg_span(name, 0, 600, 1);
    state.counters["frame_ms"] = b.wall_ms;
    state.counters["frame_cpu_ms"] = b.cpu_ms;
  }
}

// Back to back, each pass waiting for its frame: the source's cost per frame shown against
// FFmpeg's own over the same frames, in wall time and in CPU time of the whole process. Both
// sides run kForwardRounds times in turn and the least of each counts, so that other work
// on a shared machine disturbs the ratios less.
constexpr int kForwardRounds = 2;

void BM_FilmForwardThroughput(benchmark::State& state, const std::string& name, int step) {
  if (!check_film(state, name)) return;
  constexpr int kFill = 450;  // frames run through before the timed passes
  constexpr int kPasses = 300;
  for (auto _ : state) {
    Baseline ffmpeg{1e9, 1e9};
    double pass_ms = 1e9;
    double pass_cpu_ms = 1e9;
    double fill_cpu_ms = 1e9;
    for (int round = 0; round < kForwardRounds; ++round) {
      const Baseline b = ffmpeg_span(name, kFill, kPasses * step, step);
      if (b.wall_ms < 0) {
        state.SkipWithError("FFmpeg alone did not reach the timed frames");
        return;
      }
      ffmpeg.wall_ms = std::min(ffmpeg.wall_ms, b.wall_ms);
      ffmpeg.cpu_ms = std::min(ffmpeg.cpu_ms, b.cpu_ms);
      FfmpegFilmSource source;
      source.avi_open(film(name));
      // The first run fills the cache; from then on the frames it drops make room for new
      // ones. Both are measured: a fresh film's first frames pay for fresh memory once.
      Driver fill(source);
      const double fill_cpu = cpu_ms();
      for (int n = 0; n < kFill; n += step) fill.pass(n, std::chrono::seconds(5));
      fill_cpu_ms = std::min(fill_cpu_ms, (cpu_ms() - fill_cpu) / (kFill / step));
      source.wait_idle();
      Driver timed(source);
      const double cpu_start = cpu_ms();
      for (int i = 0; i < kPasses; ++i) timed.pass(kFill + i * step, std::chrono::seconds(5));
      pass_cpu_ms = std::min(pass_cpu_ms, (cpu_ms() - cpu_start) / kPasses);
      pass_ms = std::min(pass_ms, timed.total_ms() / kPasses);
      timed.report(state);
      report_cache(state, source);
    }
    state.counters["fill_cpu_ms"] = fill_cpu_ms;
    state.counters["pass_ms"] = pass_ms;
    state.counters["pass_cpu_ms"] = pass_cpu_ms;
    state.counters["ffmpeg_ms"] = ffmpeg.wall_ms;
    state.counters["ffmpeg_cpu_ms"] = ffmpeg.cpu_ms;
    state.counters["vs_ffmpeg_wall"] = pass_ms / ffmpeg.wall_ms;
    state.counters["vs_ffmpeg_cpu"] = pass_cpu_ms / ffmpeg.cpu_ms;
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

// Jumps of 1000 frames landing at different places in a keyframe group, measured three
// ways: paced passes that ask without waiting (the time until the exact frame is shown is
// counted in whole 16.667 ms passes, so it comes in steps of a pass), a single ask that
// waits for the frame (the source's own time to the exact frame, the fair comparison), and
// FFmpeg alone doing the same jump. "*_vs_ffmpeg" are the ratios of medians and of worsts;
// "cpu" figures are the whole process's CPU time for the jump (the worker's included), which
// other work on a shared machine disturbs less than the wall times.
constexpr int kJumpFrom[] = {10, 80, 150, 200, 240, 299};
constexpr int kJump = 1000;
// FFmpeg's jumps and the waiting ones are measured this often, each jump's least time
// counting; the paced ones once (their steps of a pass hide small differences).
constexpr int kJumpRounds = 5;

struct Spread {
  double med = 0;
  double max = 0;
};
Spread spread(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? Spread{} : Spread{v[v.size() / 2], v.back()};
}

// The same figures for the source's two ways of asking, next to FFmpeg's.
void report_jumps(benchmark::State& state, const std::string& way, const Spread& source,
                  const Spread& ffmpeg) {
  state.counters[way + "_med_ms"] = source.med;
  state.counters[way + "_max_ms"] = source.max;
  state.counters[way + "_vs_ffmpeg_med"] = ffmpeg.med > 0 ? source.med / ffmpeg.med : 0;
  state.counters[way + "_vs_ffmpeg_max"] = ffmpeg.max > 0 ? source.max / ffmpeg.max : 0;
}

void BM_FilmPacedJump(benchmark::State& state, const std::string& name) {
  if (!check_film(state, name)) return;
  constexpr int kJumps = static_cast<int>(std::size(kJumpFrom));
  for (auto _ : state) {
    std::vector<double> paced;
    std::vector<JumpCost> bare(kJumps, {1e9, 1e9});
    std::vector<JumpCost> waited(kJumps, {1e9, 1e9});
    const auto keep_least = [](JumpCost& least, const JumpCost& c) {
      least.wall_ms = std::min(least.wall_ms, c.wall_ms);
      least.cpu_ms = std::min(least.cpu_ms, c.cpu_ms);
    };
    for (int round = 0; round < kJumpRounds; ++round) {
      // Each jump of FFmpeg alone next to the source's same jump, which goes first taken in
      // turn: the machine's speed drifts by a quarter over tens of seconds here, and the
      // second of two jumps in a row was seen to come out faster.
      BareDecoder decoder(film(name));
      // A fresh source each round: its cache fills during the first jumps, as in a run.
      FfmpegFilmSource source;
      source.avi_open(film(name));
      Driver setup(source);
      Driver driver(source);
      for (int i = 0; i < kJumps; ++i) {
        const auto bare_jump = [&] {
          const JumpCost c = ffmpeg_jump(decoder, kJumpFrom[i] + kJump);
          keep_least(bare[i], c);
          return c.wall_ms >= 0;
        };
        const auto source_jump = [&] {
          setup.pass(kJumpFrom[i], std::chrono::seconds(5));
          source.wait_idle();
          const auto jump = Clock::now();
          const double cpu_start = cpu_ms();
          driver.pass(kJumpFrom[i] + kJump, std::chrono::seconds(5));
          keep_least(waited[i], {ms_since(jump), cpu_ms() - cpu_start});
        };
        if ((round + i) % 2 == 1) source_jump();
        if (!bare_jump()) {
          state.SkipWithError("FFmpeg alone did not reach a jump's frame");
          return;
        }
        if ((round + i) % 2 == 0) source_jump();
      }
      state.counters["wait_wrong"] += driver.wrong();
      state.counters["wait_late"] += driver.late();
    }
    {
      FfmpegFilmSource source;
      source.avi_open(film(name));
      Driver setup(source);
      Driver driver(source);
      for (int from : kJumpFrom) {
        setup.pass(from, std::chrono::seconds(5));
        source.wait_idle();
        const auto jump = Clock::now();
        auto due = jump;
        while (!driver.pass(from + kJump, {})) {
          due += kPass;
          std::this_thread::sleep_until(due);
        }
        paced.push_back(ms_since(jump));
      }
      driver.report(state);
      report_cache(state, source);
    }
    const auto walls = [](const std::vector<JumpCost>& v) {
      std::vector<double> out;
      for (const JumpCost& c : v) out.push_back(c.wall_ms);
      return out;
    };
    const auto cpus = [](const std::vector<JumpCost>& v) {
      std::vector<double> out;
      for (const JumpCost& c : v) out.push_back(c.cpu_ms);
      return out;
    };
    const Spread ffmpeg = spread(walls(bare));
    const Spread ffmpeg_cpu = spread(cpus(bare));
    state.counters["ffmpeg_med_ms"] = ffmpeg.med;
    state.counters["ffmpeg_max_ms"] = ffmpeg.max;
    state.counters["ffmpeg_cpu_med_ms"] = ffmpeg_cpu.med;
    state.counters["ffmpeg_cpu_max_ms"] = ffmpeg_cpu.max;
    report_jumps(state, "ready", spread(paced), ffmpeg);
    report_jumps(state, "wait", spread(walls(waited)), ffmpeg);
    report_jumps(state, "wait_cpu", spread(cpus(waited)), ffmpeg_cpu);
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
