#pragma once
// Building the cab desk at start-up: every element of the vehicle file's panel sections
// becomes a sprite with its drawing order and its visibility at the start.

#include "view/view_run.h"

namespace velmora {

// Throws LoadFailure when a picture cannot be made: "NAME の生成エラー" for the lamps,
// panels and needles, the vehicle-file message naming the section for the picture strips.
void build_cab(const ViewRun& run);

}  // namespace velmora
