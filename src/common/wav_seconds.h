#pragma once
// Play length of a RIFF/WAVE file in whole seconds, used for the lengths of sounds.

#include <filesystem>
#include <functional>
#include <istream>
#include <string>

namespace velmora {

// Data size divided by the average bytes per second of the format chunk, truncated.
// The RIFF chunks are walked, so files with extra chunks (LIST, fact, ...) measure right;
// canonical 44-byte-header files give the same result as reading offsets 28 and 40.
// A file that cannot be read or has no usable format or data chunk gives 0 and its
// error goes to report.
int wav_seconds(const std::filesystem::path& path,
                const std::function<void(const std::string&)>& report);

// The same measure of a WAVE file already open; on failure gives 0 and sets `error`.
int wav_seconds(std::istream& in, std::string& error);

// The exact play length in seconds of a WAVE file already open; 0 with `error` on failure.
long double wav_length(std::istream& in, std::string& error);

}  // namespace velmora
