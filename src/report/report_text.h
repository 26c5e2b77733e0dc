#pragma once
// Numbers and names as the report's pages write them: fixed decimals whatever the locale,
// and text from the users' data files made safe to draw and to write into a page.

#include <string>
#include <string_view>

namespace velmora {

// Fixed notation with `places` decimals ("12.50"). A value that rounds to zero has no sign;
// a value that is no number gives "—".
std::string fixed_text(long double value, int places);

// As fixed_text with a "+" before a positive value ("+2.00", "-0.30", "0.00").
std::string signed_text(long double value, int places);

// Valid UTF-8 without control characters: a byte that starts no valid sequence becomes
// U+FFFD, a control character (tabs and line ends too) a space. cairo stops drawing at the
// first invalid string, and a page must stay well formed whatever a name holds.
std::string clean_text(std::string_view text);

// A protection mark of a kind that stopped the train or tells of danger (a signal passed at
// stop, an emergency brake, the vigilance device's brake): the pages show it in red.
bool serious_protection_kind(std::string_view kind);

}  // namespace velmora
