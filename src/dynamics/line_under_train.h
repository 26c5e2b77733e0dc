#pragma once
// What the line does under the train: the gradient each car stands on and the tunnels.

namespace velmora {

struct Run;

// Once a car length has been run, the gradients move back one car and the front car takes
// the gradient at film_frame; the train feels their mean.
void sample_gradient(Run& run);

// Whether the train is in a tunnel, and the tunnel level for the cab panel.
void tunnel_step(Run& run);

}  // namespace velmora
