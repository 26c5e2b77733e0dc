#pragma once
// Signals, the preceding train and the road traffic lights: the run-time state that is not
// kept in the route's own records (the aspects, pictures and traffic-light phases are).

#include <array>
#include <string>

namespace velmora {

constexpr int kNoSignal = 999;  // "none" for the signal view values

// The four signal-head sprites: main head, small sub-head, left and right heads.
struct SignalHead {
  int pattern = 0;  // 0 shows nothing
  int x = 0, y = 0;  // px
};

struct SignalState {
  // The signal in view (read by the protection, the overlays and the calls).
  int signal_image_now = kNoSignal;    // picture frame of the signal in view in this pass
  int signal_image_shown = kNoSignal;  // picture frame last drawn; 1000 after a station jump
  int shown_signal = kNoSignal;        // index of the signal in view
  int signal_call_voice = kNoSignal;   // call_voice of the signal last drawn
  std::array<SignalHead, 4> heads{};   // main, sub, left, right
  // Cab signal of cab-signalling vehicles; -1 hidden. Its first pattern shows from the start,
  // until the first signal drawn sets it.
  int cab_signal_pattern = 0;

  // The preceding train.
  int pre_train_frame = 0;       // route-film frame; 0: there is none
  int pre_train_end = 0;         // beyond this frame it is removed
  int pre_train_rate = 0;        // km/h, signed
  int pre_train_film_speed = 0;  // km/h at which the film was taken at pre_train_frame
  int pre_train_accum = 0;       // frame-advance accumulator

  // The road traffic lights' driver displays.
  int light2_frame_now = kNoSignal;    // stop-line state of the light nearest the train
  int light2_frame_shown = kNoSignal;
  std::string distance_text;     // distance to the next light's stop line
  std::string signal_info_text;  // the warning of a light that forbids passing
};

}  // namespace velmora
