#pragma once
// Small WAV files written by the sound device tests, and the scratch folder they go in.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace velmora {

// An empty folder of its own for the running test.
inline std::filesystem::path openal_scratch(const std::string& name) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string owner =
      test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "none";
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("velmora_openal_" + std::to_string(getpid())) / owner / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

struct WavLayout {
  int channels = 1;
  int bits = 16;     // 8, 16 or 24 (integer PCM), or 32 with `floating`
  int rate = 22050;  // Hz
  bool floating = false;
};

// Interleaved samples scaled -1..1, written in the layout's sample width.
inline void write_wav(const std::filesystem::path& path, const WavLayout& layout,
                      const std::vector<double>& samples) {
  std::vector<std::uint8_t> data;
  for (const double s : samples) {
    const double v = std::max(-1.0, std::min(1.0, s));
    if (layout.floating) {
      const float f = static_cast<float>(v);
      std::uint32_t u;
      std::memcpy(&u, &f, 4);
      for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    } else if (layout.bits == 8) {
      data.push_back(static_cast<std::uint8_t>(std::lround(128 + v * 127)));
    } else {
      const long full = (1L << (layout.bits - 1)) - 1;
      const long q = std::lround(v * static_cast<double>(full));
      for (int i = 0; i < layout.bits / 8; ++i)
        data.push_back(static_cast<std::uint8_t>(q >> (8 * i)));
    }
  }
  const int block = layout.channels * layout.bits / 8;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>(v >> (8 * i)));
  };
  auto u16 = [&](std::uint16_t v) {
    out.put(static_cast<char>(v & 0xff));
    out.put(static_cast<char>(v >> 8));
  };
  out.write("RIFF", 4);
  u32(static_cast<std::uint32_t>(36 + data.size()));
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(layout.floating ? 3 : 1);
  u16(static_cast<std::uint16_t>(layout.channels));
  u32(static_cast<std::uint32_t>(layout.rate));
  u32(static_cast<std::uint32_t>(layout.rate * block));
  u16(static_cast<std::uint16_t>(block));
  u16(static_cast<std::uint16_t>(layout.bits));
  out.write("data", 4);
  u32(static_cast<std::uint32_t>(data.size()));
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// A sine of `hz` at `level` of full scale, the same in every channel.
inline std::vector<double> tone(const WavLayout& layout, double hz, double seconds,
                                double level = 0.5) {
  const auto frames = static_cast<std::size_t>(seconds * layout.rate);
  std::vector<double> samples;
  samples.reserve(frames * static_cast<std::size_t>(layout.channels));
  for (std::size_t i = 0; i < frames; ++i)
    for (int c = 0; c < layout.channels; ++c)
      samples.push_back(level *
                        std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / layout.rate));
  return samples;
}

inline std::filesystem::path tone_wav(const std::filesystem::path& dir, const WavLayout& layout,
                                      double hz, double seconds) {
  const std::filesystem::path path =
      dir / ("tone_" + std::to_string(static_cast<int>(hz)) + "hz_" +
             std::to_string(layout.channels) + "ch_" + std::to_string(layout.bits) + "bit_" +
             std::to_string(layout.rate) + (layout.floating ? "f" : "") + ".wav");
  write_wav(path, layout, tone(layout, hz, seconds));
  return path;
}

}  // namespace velmora
