#include "report/drives_folder.h"

namespace velmora {}  // namespace velmora
