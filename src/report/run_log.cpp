#include "report/run_log.h"

namespace velmora {}  // namespace velmora
