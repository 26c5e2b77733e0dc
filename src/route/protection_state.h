#pragma once
// Train protection and the driver-vigilance device.

namespace velmora {

struct ProtectionState {
  int eb_timer = 0;      // ms since the driver last touched a key while running
  bool eb_lamp = false;  // emergency-brake lamp of the vigilance device
};

}  // namespace velmora
