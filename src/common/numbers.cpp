#include "common/numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace velmora {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

std::optional<DecimalText> scan_real(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  DecimalText d;
  if (i < n && (text[i] == '+' || text[i] == '-')) d.negative = text[i++] == '-';
  std::size_t mantissa_digits = 0;
  while (i < n && is_digit(text[i])) {
    d.digits += text[i++];
    ++mantissa_digits;
  }
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && is_digit(text[i])) {
      d.digits += text[i++];
      --d.exponent;
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return std::nullopt;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool exp_negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) exp_negative = text[i++] == '-';
    if (i >= n || !is_digit(text[i])) return std::nullopt;
    long long e = 0;
    while (i < n && is_digit(text[i])) {
      // Clamp absurd exponents; the value is rejected or becomes zero either way.
      if (e < 100000) e = e * 10 + (text[i] - '0');
      ++i;
    }
    d.exponent += exp_negative ? -e : e;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return std::nullopt;
  return d;
}

int to_int(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string_view rest = text.substr(i);
  bool negative = false;
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    negative = rest[0] == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty()) throw ConversionError(quoted(text) + " is not an integer");
  long long value = 0;
  for (char c : rest) {
    if (!is_digit(c)) throw ConversionError(quoted(text) + " is not an integer");
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) throw ConversionError(quoted(text) + " is out of the integer range");
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
    throw ConversionError(quoted(text) + " is out of the integer range");
  return static_cast<int>(value);
}

long double to_real(std::string_view text) {
  if (!scan_real(text)) throw ConversionError(quoted(text) + " is not a number");
  // The grammar is checked; strtold reads it ("." is the decimal point in the C locale
  // this program never leaves).
  std::string s(text);
  errno = 0;
  const long double v = std::strtold(s.c_str(), nullptr);
  if (errno == ERANGE && (v == HUGE_VALL || v == -HUGE_VALL))
    throw ConversionError(quoted(text) + " is out of range");
  return v;
}

Fixed4 to_fixed(std::string_view text) {
  if (!scan_real(text)) throw ConversionError(quoted(text) + " is not a number");
  const std::optional<Fixed4> f = Fixed4::parse(text);
  if (!f) throw ConversionError(quoted(text) + " is out of range");
  return *f;
}

}  // namespace velmora
