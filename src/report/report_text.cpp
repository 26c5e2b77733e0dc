#include "report/report_text.h"

#include <charconv>
#include <cmath>

namespace velmora {

std::string fixed_text(long double value, int places) {
  if (!std::isfinite(value)) return "—";
  // to_chars ignores the locale, so a replay on another desktop writes the same bytes.
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                          std::chars_format::fixed, places);
  if (error != std::errc{}) return "—";
  std::string s(text, end);
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string signed_text(long double value, int places) {
  std::string s = fixed_text(value, places);
  if (s != "—" && s[0] != '-' && s.find_first_not_of("0.") != std::string::npos) s.insert(0, "+");
  return s;
}

std::string clean_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
      ++i;
      continue;
    }
    // The sequence's length and the smallest code point it may carry (no overlong forms).
    const int length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    char32_t code = length == 4 ? c & 0x07u : length == 3 ? c & 0x0Fu : c & 0x1Fu;
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3Fu);
    }
    const char32_t lowest = length == 4 ? 0x10000 : length == 3 ? 0x800 : 0x80;
    valid = valid && code >= lowest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (!valid) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      ++i;
      continue;
    }
    // C1 controls are as unprintable as C0 ones.
    if (code >= 0x80 && code < 0xA0) {
      out += ' ';
    } else {
      out.append(text.substr(i, static_cast<std::size_t>(length)));
    }
    i += static_cast<std::size_t>(length);
  }
  return out;
}

bool serious_protection_kind(std::string_view kind) {
  return kind == "signal_at_stop" || kind == "emergency" || kind == "vigilance_brake" ||
         kind == "driver_emergency";
}

}  // namespace velmora
