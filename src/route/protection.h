#pragma once
// Train protection, the route's speed checks and the driver-vigilance device.

namespace velmora {

struct Run;

// Route step, after the station rules: the vigilance timer, its bell and its emergency
// brake, released by putting the brake handle to emergency.
void vigilance_step(Run& run);

}  // namespace velmora
