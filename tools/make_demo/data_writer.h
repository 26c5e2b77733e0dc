#pragma once
// make-demo writes its data files with the tools' shared writer (data/data_writer.h).

#include "data/data_writer.h"

namespace velmora::demo {

using velmora::DataFile;
using velmora::decimal;
using velmora::write_bytes;

}  // namespace velmora::demo
