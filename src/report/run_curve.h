#pragma once
// The run curve: speed over distance against the speed in force as a step line, with the
// stations and their stop zones, the signals with the aspect met and the protection's
// interventions marked. Drawn with cairo, as SVG text or as a PNG picture.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "report/run_report.h"

namespace velmora {

struct CurveSize {
  int width = 1200, height = 500;  // px (SVG: user units)
};

// The curve as a standalone SVG document (an <svg> element, no XML declaration), ready to
// be written into an HTML page. The same report gives the same text. Empty when cairo
// cannot draw it or a side of `size` is not between 1 and 16384.
std::string run_curve_svg(const RunReport& report, CurveSize size = {});

// The curve as PNG bytes; empty when cairo cannot draw it (or the size is out of range).
std::vector<std::uint8_t> run_curve_png(const RunReport& report, CurveSize size = {});

// The curve as 32-bit pixels, premultiplied ARGB in native byte order (cairo's ARGB32),
// `width` × `height`, rows of `width` pixels: for a window to show it. Empty as the PNG.
std::vector<std::uint32_t> run_curve_pixels(const RunReport& report, CurveSize size);

// Gives back the fonts cairo and fontconfig keep for the whole process once text has been
// drawn, so a leak checker at exit finds nothing. Only for a process about to end: no
// drawing may follow.
void release_curve_fonts();

}  // namespace velmora
