#include "input/posted_input.h"

#include "input/keyboard.h"

namespace velmora {

void handle_posted(const InputRun& run, const PostedInputs& posts) {
  for (const PostedInput& p : posts) {
    if (p.enter_key)
      key_pressed(run, Key::Enter, false);
    else
      AsciiDown(run, p.ch);
  }
}

}  // namespace velmora
