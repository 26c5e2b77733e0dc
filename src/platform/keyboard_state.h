#pragma once
// Keys read by their state in every frame rather than by events.

namespace velmora {

enum class HeldKey { Key3, Key4, Key6 };

class KeyboardState {
 public:
  virtual ~KeyboardState() = default;
  // True while the key (or its numeric-pad twin) is held down.
  virtual bool held(HeldKey key) = 0;
};

}  // namespace velmora
