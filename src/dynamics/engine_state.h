#pragma once
// Diesel engine and transmission state. Electric cars use only engine_run.

namespace velmora {

struct EngineState {
  int engine_run = 1;          // 1 running, 0 stopped, -1 starting, -2 stopping
  long double engine_rpm = 0;  // engine speed (idle 30)
  long double rpm_target = 0;  // engine speed the engaged gear leads to
  int gear_pos = 1;            // transmission position chosen, 0 .. 5
  int gear = 0;                // gear engaged ([Engine] row); 0 none
  int shift_state = 0;         // 0 none, 1 engaging gear_pos, 2 releasing
  int shift_timer = 0;         // ms
  int starter_count = 0;       // route steps the starter key has been held
  bool ats_enabled = true;     // train protection switched on (train-settings dialog)
};

}  // namespace velmora
