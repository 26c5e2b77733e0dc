#pragma once
// Cutting data-file lines into fields and Windows paths into folder and name.

#include <string>
#include <string_view>

namespace velmora {

// The k-th comma-separated field of a line, counting from 1. No quoting, no trimming.
// k < 1 gives ""; a field beyond the last comma but one gives "0", so an absent trailing
// number reads as zero while an empty field between commas stays empty.
std::string get_field(std::string_view line, int k);

// part 0: everything up to and including the last backslash (the folder);
// part 1: everything after it, at most 256 characters (the file name).
std::string split_path(std::string_view path, int part);

}  // namespace velmora
