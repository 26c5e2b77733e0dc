#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/paths.h"
#include "common/sjis.h"
#include "common/wav_seconds.h"
#include "data/text_file.h"
#include "test_rig.h"

namespace velmora {
namespace {

void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ShiftJis, DecodesCodePage932AndKeepsTheBackslash) {
  EXPECT_EQ(cp932_to_utf8("\x83\x65\x83\x58\x83\x67"), "テスト");
  EXPECT_EQ(cp932_to_utf8("movie\\"), "movie\\");  // not a yen sign in this code page
  EXPECT_EQ(cp932_to_utf8("\x87\x40"), "①");       // a Windows-only NEC character
  EXPECT_EQ(utf8_to_cp932("テ"), "\x83\x65");
  EXPECT_EQ(cp932_to_utf8(utf8_to_cp932("停車　ｶﾅ①")), "停車　ｶﾅ①");
  EXPECT_EQ(utf8_to_cp932("a\xF0\x9F\x9A\x83" "b"), "a?b");  // no such character in the code page
}

TEST(ShiftJis, DamagedBytesBecomeReplacementCharactersAndDecodingGoesOn) {
  // 0x83 needs a trail byte; at the end of the line it is cut off.
  EXPECT_EQ(cp932_to_utf8("ab\x83"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(cp932_to_utf8("\xA0x\x83\x65"), "\xEF\xBF\xBDxテ");
}

TEST(TextLines, EndAtLineFeedDropTheCarriageReturnAndKeepALastLineWithoutEnd) {
  EXPECT_EQ(split_text_lines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(split_text_lines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(split_text_lines("a\rb\r"), (std::vector<std::string>{"a\rb\r"}));  // CR alone stays
  EXPECT_EQ(split_text_lines(""), std::vector<std::string>{});
  // No byte-order mark is recognised: it stays part of the first line.
  const std::string with_bom = split_text_lines("\xEF\xBB\xBF[Disp]\n")[0];
  EXPECT_GT(with_bom.size(), 6u);
  EXPECT_EQ(with_bom.substr(with_bom.size() - 6), "[Disp]");
  const std::string long_line(100000, 'x');
  EXPECT_EQ(split_text_lines(long_line + "\n")[0].size(), long_line.size());
}

TEST(TextLines, AMissingFileOrAFolderIsAReadError) {
  const auto dir = scratch_dir("text_lines");
  EXPECT_THROW(read_text_lines(dir / "absent.dat"), FileReadError);
  EXPECT_THROW(read_text_lines(dir), FileReadError);
}

std::string wav_bytes(std::uint32_t bytes_per_second, std::uint32_t data_size, const std::string& extra = "") {
  std::ostringstream s;
  auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) s.put(static_cast<char>(v >> (8 * i))); };
  auto u16 = [&](std::uint16_t v) { s.put(static_cast<char>(v)); s.put(static_cast<char>(v >> 8)); };
  s << "RIFF";
  u32(36 + data_size + static_cast<std::uint32_t>(extra.size()));
  s << "WAVEfmt ";
  u32(16);
  u16(1); u16(2); u32(44100); u32(bytes_per_second); u16(4); u16(16);
  s << extra << "data";
  u32(data_size);
  return s.str();  // the data itself is not needed to measure
}

TEST(WavSeconds, TruncatesDataSizeOverBytesPerSecond) {
  std::string error;
  std::istringstream one_and_a_half(wav_bytes(176400, 264600));
  EXPECT_EQ(wav_seconds(one_and_a_half, error), 1);
  std::istringstream two(wav_bytes(176400, 352800));
  EXPECT_EQ(wav_seconds(two, error), 2);
  EXPECT_EQ(error, "");
  // Offsets 28 and 40 of the canonical header hold the same two numbers.
  const std::string canonical = wav_bytes(176400, 352800);
  EXPECT_EQ(canonical.size(), 44u);
  EXPECT_EQ(static_cast<unsigned char>(canonical[28]) | static_cast<unsigned char>(canonical[29]) << 8 |
                static_cast<unsigned char>(canonical[30]) << 16,
            176400);
}

TEST(WavSeconds, WalksPastExtraChunksBeforeTheData) {
  std::string error;
  // A LIST chunk of odd size, padded to even, between format and data.
  std::istringstream with_list(wav_bytes(176400, 352800, std::string("LIST\x05\0\0\0abcde\0", 14)));
  EXPECT_EQ(wav_seconds(with_list, error), 2);
  EXPECT_EQ(error, "");
}

TEST(WavSeconds, UnreadableFilesGiveZeroAndReportTheirError) {
  std::vector<std::string> reports;
  const auto report = [&](const std::string& m) { reports.push_back(m); };
  const auto dir = scratch_dir("wav");
  EXPECT_EQ(wav_seconds(dir / "missing.wav", report), 0);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("missing.wav"), std::string::npos);

  write_file(dir / "short.wav", "RIFF\x10\0\0\0WAVE");
  EXPECT_EQ(wav_seconds(dir / "short.wav", report), 0);
  write_file(dir / "zero_rate.wav", wav_bytes(0, 1000));
  EXPECT_EQ(wav_seconds(dir / "zero_rate.wav", report), 0);  // no division by zero
  write_file(dir / "text.wav", "hello, this is not a sound");
  EXPECT_EQ(wav_seconds(dir / "text.wav", report), 0);
  EXPECT_EQ(reports.size(), 4u);

  write_file(dir / "good.wav", wav_bytes(176400, 352800));
  EXPECT_EQ(wav_seconds(dir / "good.wav", report), 2);
  EXPECT_EQ(reports.size(), 4u);
}

TEST(DataFileNames, BackslashesAndLetterCaseFromWindowsDataResolve) {
  const auto dir = scratch_dir("names");
  std::filesystem::create_directories(dir / "Image" / "Panel");
  write_file(dir / "Image" / "Panel" / "Meter.BMP", "x");
  EXPECT_EQ(resolve_data_file(dir, "Image\\Panel\\Meter.BMP"), dir / "Image" / "Panel" / "Meter.BMP");
  EXPECT_EQ(resolve_data_file(dir, "image\\panel\\meter.bmp"), dir / "Image" / "Panel" / "Meter.BMP");
  EXPECT_EQ(resolve_data_file(dir, "image\\panel\\other.bmp"), std::nullopt);
  EXPECT_EQ(resolve_data_file(dir, ""), std::nullopt);
}

}  // namespace
}  // namespace velmora
