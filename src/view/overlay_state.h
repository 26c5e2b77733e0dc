#pragma once
// What the trackside overlays show: the sprites of their pictures and the values that chose
// their patterns (the calls read some of them for the Enter key). Owned by the overlays.

#include "common/fixed4.h"

namespace velmora {

constexpr int kNoSign = 999;     // sign_shown: no other-sign picture
constexpr int kTimeBoard = 900;  // sign_shown: the time board of a time check
constexpr int kNoLimitImage = 999;
constexpr int kNoCrossing = -1;

// The overlays' sprites; -1 where the route has no such picture.
struct OverlaySprites {
  int teimoku = -1, line_s = -1, line_m = -1, line_e = -1, slope = -1, limit = -1, remain = -1, other = -1;
  int cross1 = -1, cross2 = -1;
  int signal_main = -1, signal_sub = -1, signal_left = -1, signal_right = -1;
  int monitor = -1;
};

struct OverlayState {
  OverlaySprites sprites;
  bool stop_lines_hidden = false;  // the Display menu's "no stop-position lines"
  Fixed4 gradient_shown;           // gradient on the post; 0 level
  int limit_speed_shown = 0;       // km/h of the [SpeedLimit] entry on the sign
  int limit_pattern = 0;           // pattern the limit sign shows
  int sign_passes = 0;             // route steps since the other sign was first shown

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
