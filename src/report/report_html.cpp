#include "report/report_html.h"

namespace velmora {}  // namespace velmora
