#include "report/score.h"

namespace velmora {}  // namespace velmora
