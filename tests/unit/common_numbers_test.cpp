#include <gtest/gtest.h>

#include <cfenv>

#include "common/fixed4.h"
#include "common/numbers.h"
#include "common/rounding.h"

namespace velmora {
namespace {

TEST(IntegerField, AcceptsLeadingBlanksAndASignOnly) {
  EXPECT_EQ(to_int(" 12"), 12);
  EXPECT_EQ(to_int("-7"), -7);
  EXPECT_EQ(to_int("+7"), 7);
  EXPECT_EQ(to_int("2147483647"), 2147483647);
  EXPECT_EQ(to_int("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"12 ", "", " ", "1.5", "-", "12a", "0x10", "2147483648", "1 2"})
    EXPECT_THROW(to_int(bad), ConversionError) << '"' << bad << '"';
}

TEST(IntegerField, ErrorNamesTheOffendingText) {
  try {
    to_int("1.5");
    FAIL();
  } catch (const ConversionError& e) {
    EXPECT_NE(std::string(e.what()).find("\"1.5\""), std::string::npos);
  }
}

TEST(RealField, AcceptsBlanksAroundSignDecimalPointAndExponent) {
  EXPECT_DOUBLE_EQ(static_cast<double>(to_real(" 1.5 ")), 1.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(to_real("-2")), -2.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(to_real("1.5E2")), 150.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(to_real("25e-1")), 2.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(to_real(".5")), 0.5);
  for (const char* bad : {"", ".", "1,5", "1.5x", "E5", "1E", "1E+", "--1", "nan", "inf", "0x1p3"})
    EXPECT_THROW(to_real(bad), ConversionError) << '"' << bad << '"';
}

TEST(FixedField, RoundsTextToFourPlacesHalvesToEven) {
  struct Case {
    const char* text;
    std::int64_t raw;
  };
  const Case cases[] = {
      {"0.12346", 1235},  {"0.12344", 1234},  {"0.12345", 1234},   // half: to even
      {"0.12355", 1236},  {"0.123450001", 1235}, {"-0.12346", -1235},
      {"-0.00005", 0},    {"2.5", 25000},     {" 30 ", 300000},
      {"1.5E2", 1500000}, {"1234E-7", 1},     {"5E-5", 0},         // 0.00005 -> 0 (even)
      {"15E-5", 2},       // 0.00015 -> 0.0002 (even)
  };
  for (const Case& c : cases) EXPECT_EQ(to_fixed(c.text).raw(), c.raw) << c.text;
  EXPECT_THROW(to_fixed("1e30"), ConversionError);
  EXPECT_THROW(to_fixed("abc"), ConversionError);
}

TEST(Fixed4, ComputedValuesRoundToTenThousandthsHalvesToEven) {
  EXPECT_EQ(Fixed4(0.00005L).raw(), 0);
  EXPECT_EQ(Fixed4(0.00015L).raw(), 2);
  EXPECT_EQ(Fixed4(-1.23456L).raw(), -12346);
  EXPECT_EQ(Fixed4(7).raw(), 70000);
  // Sums of fixed values stay exact through the extended float.
  const Fixed4 a = to_fixed("1234567.1234");
  const Fixed4 b = to_fixed("0.0001");
  EXPECT_EQ(Fixed4(a + b).raw(), 12345671235);
  EXPECT_EQ(Fixed4::from_raw(-12500).to_string(), "-1.2500");
}

TEST(Rounding, HalvesToEvenOrAwayFromZero) {
  struct Case {
    long double v;
    std::int64_t even, away;
  };
  const Case cases[] = {{2.5L, 2, 3}, {3.5L, 4, 4}, {-2.5L, -2, -3}, {0.5L, 0, 1},
                        {1.4999L, 1, 1}, {-0.5L, 0, -1}, {59.998L, 60, 60}, {-1.5L, -2, -2},
                        {-2.5000001L, -3, -3}, {1e15L + 0.5L, 1'000'000'000'000'000, 1'000'000'000'000'001},
                        {-7.0L, -7, -7}};
  // The same whatever rounding mode the floating-point unit was left in.
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    for (const Case& c : cases) {
      EXPECT_EQ(round_half_even(c.v), c.even) << static_cast<double>(c.v) << " mode " << mode;
      EXPECT_EQ(round_half_away(c.v), c.away) << static_cast<double>(c.v) << " mode " << mode;
    }
  }
  std::fesetround(FE_TONEAREST);
}

}  // namespace
}  // namespace velmora
