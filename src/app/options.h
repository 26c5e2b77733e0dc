#pragma once
// The viewing options kept in the user's settings.

namespace velmora {

struct Options {
  int opt_effects_off = 0;  // 1: no closing fade, no tunnel panel
  int opt_ats_reg = 0;      // 1: train protection off at the start of a run
};

}  // namespace velmora
