#pragma once
// Fixed4: the four-decimal fixed-point number of masses, forces, pressures, the gradient
// and adhesion. Held as a signed 64-bit count of ten-thousandths.
//
// Arithmetic goes through long double (the value converts implicitly), and every value
// assigned back to a Fixed4 is rounded to the nearest ten-thousandth, halves to even.
// Integer-valued inputs and sums of Fixed4 values therefore stay exact.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class Fixed4 {
 public:
  static constexpr std::int64_t kScale = 10000;

  constexpr Fixed4() = default;
  // Rounds to the nearest ten-thousandth, halves to even.
  Fixed4(long double value);  // NOLINT(google-explicit-constructor): assignment rounds
  Fixed4(int value) : raw_(static_cast<std::int64_t>(value) * kScale) {}  // NOLINT

  static constexpr Fixed4 from_raw(std::int64_t raw) {
    Fixed4 f;
    f.raw_ = raw;
    return f;
  }

  // Parses a real written in a data file ("-0.12346", " 1.5E2 ") exactly in decimal and
  // rounds it to four places, halves to even. Empty when the text is not a real or the
  // value does not fit.
  static std::optional<Fixed4> parse(std::string_view text);

  constexpr std::int64_t raw() const { return raw_; }
  long double value() const { return static_cast<long double>(raw_) / kScale; }
  operator long double() const { return value(); }  // NOLINT: computed values read freely

  // Compound assignment rounds like any other assignment.
  Fixed4& operator+=(long double v) { return *this = Fixed4(value() + v); }
  Fixed4& operator-=(long double v) { return *this = Fixed4(value() - v); }

  // Decimal text with exactly four places ("-1.2500").
  std::string to_string() const;

 private:
  std::int64_t raw_ = 0;
};

}  // namespace velmora
