#include "sound/enter_call.h"

#include <cstdint>

#include "common/rounding.h"
#include "sound/call_queue.h"
#include "sound/calls.h"
#include "sound/crossing_list.h"
#include "sound/sound_run.h"

namespace velmora {
namespace {

constexpr int kNoVoice = -1;
constexpr int kFirstUncalledImage = 35;  // signal pictures from here on have no call

bool sign_call(const SoundRun& run) {
  OverlayState& ov = run.overlays;
  const int sign = ov.sign_shown;
  if (sign == kNoSign || !(sign == kTimeBoard || has_other_call(run, sign)) ||
      sign == ov.last_call_id)
    return false;
  if (sign == kTimeBoard)
    Timecheck(run, 0);
  else
    queue_other_call(run, sign);
  ov.last_call_id = sign;
  return true;
}

// The limit sign, while it shows a limit (`showing` limit_blink) or its end (limit_end_shown).
bool limit_call(const SoundRun& run, bool showing, std::int64_t speed) {
  OverlayState& ov = run.overlays;
  const int image = ov.limit_image_shown;
  if (!showing || ov.sign_shown != kNoSign || !has_limit_call(run, image) || speed == 0 ||
      image == ov.last_call_id)
    return false;
  queue_limit_call(run, image);
  ov.last_call_id = image;
  return true;
}

void signal_call(const SoundRun& run) {
  const SignalState& sig = run.signals;
  const auto& voices = run.route.call_voice;
  for (std::size_t slot = kFixedCallSlots; slot < voices.size(); ++slot) {
    // No signal in view (or one with no call of its own): a route with calls of its own
    // says nothing.
    if (sig.signal_image_now >= kFirstUncalledImage) return;
    if (voices[slot].name == sig.signal_call_voice) {
      kanko_add(run, 1);
      kanko_queue_add(run, static_cast<int>(slot));
    }
  }
  if (const int slot = image_call_slot(sig.signal_image_now); slot != kNoVoice)
    kanko_queue_add(run, slot);
  kanko_add(run, 2);
}

}  // namespace

int image_call_slot(int image) {
  switch (image) {
    case 1:
    case 7:
    case 10:
    case 13:
    case 17:
    case 21:
    case 26:
    case 30:
      return kStopCallSlot;
    case 18:
    case 22:
      return 1;
    case 4:
    case 8:
    case 11:
    case 14:
    case 19:
    case 23:
    case 27:
    case 31:
      return 2;
    case 5:
    case 15:
    case 24:
      return 3;
    case 3:
    case 6:
    case 9:
    case 12:
    case 16:
    case 20:
    case 25:
    case 28:
    case 33:
      return 4;
    case 2:
      return 5;
    case 29:
    case 34:
      return 21;
    default:
      return kNoVoice;
  }
}

void enter_call(const SoundRun& run) {
  const OverlayState& ov = run.overlays;
  const std::int64_t speed = round_half_even(run.train.motion.speed);
  if (sign_call(run)) return;
  if (limit_call(run, ov.limit_blink, speed)) return;
  if (limit_call(run, ov.limit_end_shown, speed)) return;
  if (ov.cross_shown != kNoCrossing && speed >= 1 && !ov.cross_light2_shown) {
    crossing_call(run);
    return;
  }
  signal_call(run);
}

}  // namespace velmora
