#include "report/report_json.h"

namespace velmora {}  // namespace velmora
