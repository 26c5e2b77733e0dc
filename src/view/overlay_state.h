#pragma once
// What the trackside overlays (signs, limit sign, crossing lights) show, as far as the
// calls read it. The overlay step sets these values once it is built; until then they keep
// their "nothing shown" defaults, and the Enter key reads them as they stand.

namespace velmora {

constexpr int kNoSign = 999;     // sign_shown: no other-sign picture
constexpr int kTimeBoard = 900;  // sign_shown: the time board of a time check
constexpr int kNoLimitImage = 999;
constexpr int kNoCrossing = -1;

struct OverlayState {
  int sign_shown = kNoSign;               // other-sign picture in view ([OtherKanko] index)
  int limit_image_shown = kNoLimitImage;  // picture on the limit sign ([LimitKanko] index)
  bool limit_blink = false;               // the limit sign shows an active limit
  bool limit_end_shown = false;           // the limit sign shows the end of a limit
  int cross_shown = kNoCrossing;          // [Cross] entry whose light is lit
  bool cross_light2_shown = false;        // the crossing's second light
  // The [OtherKanko] or [LimitKanko] entry last called with Enter (the two share it), so a
  // second press at the same sign goes on to the signal call. -1: none yet.
  int last_call_id = -1;
};

}  // namespace velmora
