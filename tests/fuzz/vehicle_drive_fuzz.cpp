// A drive on arbitrary bytes as the vehicle file, with the fixture's route and other files:
// the file loads or fails with its messages, and whatever loads runs its frames.
#include <cstddef>
#include <cstdint>

#include "fuzz_drive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  static const FuzzDataFolder folder;
  folder.write("train_fixture.dat", data, size);
  fuzz_drive(folder);
  return 0;
}
