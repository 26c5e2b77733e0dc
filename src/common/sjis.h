#pragma once
// Shift_JIS (Windows code page 932) <-> UTF-8. Data files are CP932; everything inside
// the program is UTF-8.

#include <string>
#include <string_view>

namespace velmora {

// Decodes CP932 bytes to UTF-8. A byte sequence that is not CP932 becomes U+FFFD and
// decoding goes on, so a damaged file still shows every readable character.
std::string cp932_to_utf8(std::string_view bytes);

// Encodes UTF-8 to CP932; a character CP932 lacks becomes "?". Used to write data files.
std::string utf8_to_cp932(std::string_view text);

}  // namespace velmora
