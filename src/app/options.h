#pragma once
// The viewing options kept in the user's settings.

namespace velmora {

struct Options {
  int opt_effects_off = 0;  // 1: no closing fade, no tunnel panel
};

}  // namespace velmora
