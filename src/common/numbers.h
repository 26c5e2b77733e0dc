#pragma once
// Number conversions shared by every data-file loader. Each accepts exactly the forms the
// data files use and throws ConversionError, naming the offending text, for anything else.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/fixed4.h"

namespace velmora {

struct ConversionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A real number taken apart: value = ±digits × 10^exponent. Digits keep leading zeros.
struct DecimalText {
  bool negative = false;
  std::string digits;
  long long exponent = 0;
};

// Blanks, optional sign, digits with an optional "." and fraction, optional exponent
// ("E" or "e", optional sign, digits), blanks. At least one mantissa digit.
std::optional<DecimalText> scan_real(std::string_view text);

// Leading blanks, optional sign, decimal digits and nothing after; must fit 32 bits.
int to_int(std::string_view text);
// A real as scan_real accepts it, read into the extended float.
long double to_real(std::string_view text);
// A real rounded to four decimals, halves to even (0.12346 -> 0.1235).
Fixed4 to_fixed(std::string_view text);

}  // namespace velmora
