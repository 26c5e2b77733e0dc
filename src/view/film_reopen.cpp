#include "view/film_reopen.h"

namespace velmora {

// The film source fills this in; until then the frame numbers alone say what is shown.
void reopen_route_film(Run&) {}

}  // namespace velmora
