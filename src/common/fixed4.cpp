#include "common/fixed4.h"

#include <cstdlib>
#include <limits>

#include "common/numbers.h"
#include "common/rounding.h"

namespace velmora {

Fixed4::Fixed4(long double value) : raw_(round_half_even(value * kScale)) {}

std::optional<Fixed4> Fixed4::parse(std::string_view text) {
  const std::optional<DecimalText> d = scan_real(text);
  if (!d) return std::nullopt;

  // Value = digits × 10^(exponent); we want it × 10^4, rounded half to even.
  const long long shift = d->exponent + 4;
  const std::string& digits = d->digits;
  std::string whole;  // integer part of the scaled value
  std::string rest;   // digits below the unit, first one decides the rounding
  if (shift >= 0) {
    whole = digits + std::string(static_cast<std::size_t>(std::min<long long>(shift, 40)), '0');
    if (shift > 40) whole += "0";  // far too large: let the overflow check below reject it
  } else {
    const long long cut = static_cast<long long>(digits.size()) + shift;
    if (cut > 0) {
      whole = digits.substr(0, static_cast<std::size_t>(cut));
      rest = digits.substr(static_cast<std::size_t>(cut));
    } else {
      rest = std::string(static_cast<std::size_t>(std::min<long long>(-cut, 40)), '0') + digits;
    }
  }
  // Strip leading zeros so the length check measures magnitude.
  const std::size_t nz = whole.find_first_not_of('0');
  whole = nz == std::string::npos ? std::string() : whole.substr(nz);
  if (whole.size() > 19) return std::nullopt;

  unsigned long long magnitude = 0;
  for (char c : whole) {
    const unsigned long long next = magnitude * 10 + static_cast<unsigned>(c - '0');
    if (next / 10 != magnitude) return std::nullopt;
    magnitude = next;
  }
  bool round_up = false;
  if (!rest.empty() && rest[0] >= '5') {
    const bool exactly_half = rest[0] == '5' && rest.find_first_not_of('0', 1) == std::string::npos;
    round_up = !exactly_half || (magnitude % 2 == 1);
  }
  if (round_up) ++magnitude;
  const unsigned long long limit =
      static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
  if (magnitude > limit) return std::nullopt;
  const auto signed_raw = static_cast<std::int64_t>(magnitude);
  return Fixed4::from_raw(d->negative ? -signed_raw : signed_raw);
}

std::string Fixed4::to_string() const {
  const unsigned long long magnitude =
      raw_ < 0 ? 0ULL - static_cast<unsigned long long>(raw_) : static_cast<unsigned long long>(raw_);
  std::string frac = std::to_string(magnitude % kScale);
  frac.insert(0, 4 - frac.size(), '0');
  return (raw_ < 0 ? "-" : "") + std::to_string(magnitude / kScale) + "." + frac;
}

}  // namespace velmora
