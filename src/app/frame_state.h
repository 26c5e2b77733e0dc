#pragma once
// The main loop's own state: readiness, frame timing, the values the frame derives for
// others, the closing fade and the blink counter. Written only by the main loop, the
// start-up sequence, the start / pause command and the route step's tenth-second counter.

#include <cstdint>

namespace velmora {

struct FrameState {
  bool started = false;       // the start-up sequence completed: the end saves the settings
  bool app_ready = false;     // the loop does anything only while true
  bool film_ready = false;    // gates the dynamics step
  bool input_locked = false;  // the character-key handler ignores keys while true
  long double clock_now = 0;   // s, counter / frequency on every pass
  long double clock_prev = 0;  // s, clock_now of the last pass that ran a frame
  // Counter reading behind clock_prev. frame_ms comes from whole counter ticks so that a
  // stepped clock gives exactly the interval it was stepped by.
  std::int64_t counter_prev = 0;
  long double frame_ms = 0;  // ms since the last frame
  int fps = 0;               // 1000 / frame_ms, rounded half to even
  long double accel_prev = 0;  // km/h/s from the previous dynamics step's forces
  int sway_offset = 0;         // px, vertical offset of every cab panel sprite
  int fade_alpha = 0;          // closing fade counter; 0 = no fade
  std::int64_t tenth_acc = 0;    // ms not yet counted as tenths
  std::int64_t tenth_count = 0;  // tenths of a second since start (blinking)
  std::int64_t frames_run = 0;   // frames that ran, passes that only slept excluded
  bool close_requested = false;  // the fade has finished: close the cab window
  bool ended = false;            // the cab window closed; the run is over
};

}  // namespace velmora
