#pragma once
// Diesel engine and transmission state.

namespace velmora {

struct EngineState {
  int gear_pos = 1;  // transmission position chosen, 0 .. 5
};

}  // namespace velmora
