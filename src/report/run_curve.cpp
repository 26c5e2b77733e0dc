#include "report/run_curve.h"

namespace velmora {}  // namespace velmora
