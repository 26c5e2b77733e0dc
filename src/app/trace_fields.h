#pragma once
// State variables by their documented names, for traces of a drive (velmora-sim) and for
// anything else that shows state by name.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "app/run.h"

namespace velmora {

using TraceValue = std::variant<long double, std::int64_t, bool, std::string, Fixed4>;

struct TraceField {
  std::string name;
  // Scalars ignore the index; arrays are read at it.
  std::function<TraceValue(const Run&, std::size_t index)> get;
  // Arrays only: how many elements there are now.
  std::function<std::size_t(const Run&)> size;
};

// Every traceable name; "frame" (the driver's frame number) is not among them.
const std::vector<TraceField>& trace_fields();

struct TraceColumn {
  std::string header;            // as asked for: "speed", "info_label[3]"
  const TraceField* field;       // null for "frame"
  std::size_t index = 0;
};

struct TraceFieldError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Parses "frame,speed,info_label[3]". Throws TraceFieldError naming the unknown field and
// listing the known names.
std::vector<TraceColumn> parse_trace_columns(const std::string& list);

// "frame" and every field, arrays element by element at their sizes in `run` now: the
// whole state of a drive, for traces compared line by line.
std::vector<TraceColumn> every_trace_column(const Run& run);

// The value of a column: reals with at least six decimals, booleans 0/1, strings quoted
// (quotes doubled), an array index past the end as an empty cell.
std::string trace_cell(const TraceColumn& column, const Run& run, long long frame);

}  // namespace velmora
