#include "platform/frame_timed_sound.h"

#include <fstream>

#include "common/wav_seconds.h"

namespace velmora {

int FrameTimedSound::load(const std::string& path, std::string& error) {
  const int id = device_.load(path, error);
  if (id < 0) return id;
  // The length as the headless device measures it; a file the device took but this cannot
  // measure counts as of no length.
  std::ifstream in(path, std::ios::binary);
  std::string ignored;
  if (lengths_.size() <= static_cast<std::size_t>(id)) lengths_.resize(static_cast<std::size_t>(id) + 1, 0);
  lengths_[static_cast<std::size_t>(id)] = in ? wav_length(in, ignored) : 0;
  return id;
}

void FrameTimedSound::attach(int channel, int sound) {
  device_.attach(channel, sound);
  if (valid(channel) && sound >= 0 && static_cast<std::size_t>(sound) < lengths_.size())
    channels_[static_cast<std::size_t>(channel)] = Channel{sound, {}};
}

void FrameTimedSound::stop(int channel) {
  device_.stop(channel);
  if (valid(channel)) channels_[static_cast<std::size_t>(channel)].state.stop();
}

int FrameTimedSound::status(int channel) {
  if (!valid(channel)) return device_.status(channel);  // the device tells the user
  Channel& c = channels_[static_cast<std::size_t>(channel)];
  return c.state.status(now_s(), c.sound < 0 ? 0 : lengths_[static_cast<std::size_t>(c.sound)]);
}

void FrameTimedSound::release_all() {
  device_.release_all();
  lengths_.clear();
  channels_ = {};
}

long double FrameTimedSound::now_s() const {
  return counter_ ? static_cast<long double>(counter_()) / frequency_ : 0;
}

void FrameTimedSound::start(int channel, bool looping) {
  if (looping)
    device_.loop(channel);
  else
    device_.play(channel);
  if (valid(channel) && channels_[static_cast<std::size_t>(channel)].sound >= 0)
    channels_[static_cast<std::size_t>(channel)].state.start(looping, now_s());
}

}  // namespace velmora
