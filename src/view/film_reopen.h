#pragma once
// Going back to the route film after a switched film, as a station jump does.

namespace velmora {

struct Run;

// Opens the route film ([DataName]) again in place of a switched film; film_ready is
// false while it opens. The caller sets the frame to show.
void reopen_route_film(Run& run);

}  // namespace velmora
