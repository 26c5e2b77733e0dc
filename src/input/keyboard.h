#pragma once
// The driver's keyboard and mouse commands.

#include "input/input_run.h"

namespace velmora {

enum class Key {
  Enter,
  Escape,
  PageUp,
  PageDown,
  Backspace,
  ScrollLock,
  Up,
  Down,
  F1,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12
};

// A typed character: handles, reverser, horns, doors, announcements, protection buttons
// and gears. Any character but Enter (13) resets the vigilance timer, even while input
// is locked.
void AsciiDown(const InputRun& run, char32_t ch);

// A key pressed, by key; shift is true while Shift alone is held.
void keydowns(const InputRun& run, Key key, bool shift);

// A key released.
void keyups(const InputRun& run, Key key, bool shift);

// A key as the window system delivers it: the key press, then for the keys that also type
// a character (Enter 13, Escape 27, Backspace 8) that character.
void key_pressed(const InputRun& run, Key key, bool shift);

// The mouse wheel: towards the driver posts 8; away posts 2, or 0 (emergency) from the
// last service step.
void WheelD(const InputRun& run);
void WheelU(const InputRun& run);

// The held keys 3, 4 and 6, read once every frame.
void read_held_keys(const InputRun& run);

}  // namespace velmora
