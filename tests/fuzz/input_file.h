#pragma once
// For loaders that read a file: each fuzzing process writes its inputs to a file of its own,
// removed when the process ends (a crash leaves it, next to the input libFuzzer keeps).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace velmora {

class FuzzInputFile {
 public:
  explicit FuzzInputFile(const std::string& name)
      : path_((std::filesystem::temp_directory_path() /
               ("velmora-fuzz-" + std::to_string(::getpid()) + "-" + name))
                  .string()) {}
  ~FuzzInputFile() { std::remove(path_.c_str()); }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;

  const std::string& path() const { return path_; }
  // Replaces the file's contents; returns its path.
  const std::string& write(const std::uint8_t* data, std::size_t size) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path_;
  }

 private:
  std::string path_;
};

}  // namespace velmora
