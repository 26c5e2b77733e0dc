#include "platform/openal/openal_sound_device.h"

#include <AL/al.h>
#include <AL/alc.h>
// The offline output's functions are called directly: Debian's OpenAL Soft exports them.
#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

#include <type_traits>

#include "platform/openal/channel_controls.h"
#include "platform/openal/pcm_wav.h"

namespace velmora {

static_assert(std::is_same_v<ALuint, unsigned int>,
              "source and buffer names are kept as unsigned int");

struct OpenAlSoundDevice::Output {
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  bool offline = false;
  bool tells_loss = false;  // has ALC_EXT_disconnect
};

namespace {

std::string alc_error_text(ALCdevice* device) {
  const ALCenum error = alcGetError(device);
  const ALCchar* text = alcGetString(device, error);
  return text != nullptr ? text : "error " + std::to_string(error);
}

std::string al_error_text(ALenum error) {
  const ALchar* text = alGetString(error);
  return text != nullptr ? text : "error " + std::to_string(error);
}

ALenum buffer_format(const PcmSound& sound) {
  if (sound.channels == 1) return sound.bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
  return sound.bits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

void place(ALuint source, int pan) {
  const PanPosition p = pan_position(pan);
  alSource3f(source, AL_POSITION, p.x, 0.0f, p.z);
}

// Opens the output `settings` ask for and makes its context current; false, with the reason
// for the user in `error` and nothing left open, when it cannot.
bool open_output(const OpenAlSettings& settings, ALCdevice*& opened, ALCcontext*& current,
                 std::string& error) {
  const char* name = settings.device.empty() ? nullptr : settings.device.c_str();
  ALCdevice* device = settings.offline ? alcLoopbackOpenDeviceSOFT(nullptr) : alcOpenDevice(name);
  if (device == nullptr && settings.offline) {
    error = "no offline sound output (OpenAL: " + alc_error_text(nullptr) + ")";
    return false;
  }
  if (device == nullptr) {
    // No device at all is a machine without sound, not a fault: say that, not OpenAL's
    // error (which then reads "Out of Memory").
    const ALCchar* devices = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
    if (name == nullptr && (devices == nullptr || *devices == '\0'))
      error = "no sound device: the simulator runs without sound";
    else
      error = "no sound output could be opened" +
              (name ? " on \"" + settings.device + "\"" : std::string()) +
              " (OpenAL: " + alc_error_text(nullptr) + "); the simulator runs without sound";
    return false;
  }
  // The channel count needs the sources, which OpenAL Soft otherwise caps at 256.
  std::vector<ALCint> attributes = {ALC_MONO_SOURCES, settings.mono_sources};
  if (settings.offline) {
    attributes.insert(attributes.end(), {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                                         ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT, ALC_FREQUENCY,
                                         settings.frequency > 0 ? settings.frequency
                                                                : OpenAlSoundDevice::kOfflineRate});
  } else if (settings.frequency > 0) {
    attributes.insert(attributes.end(), {ALC_FREQUENCY, settings.frequency});
  }
  // Asked for explicitly: left to itself OpenAL Soft limits only integer output, and a float
  // output (its usual one) then clips in the system's mixer instead.
  if (alcIsExtensionPresent(device, "ALC_SOFT_output_limiter") == ALC_TRUE) {
    attributes.insert(attributes.end(),
                      {ALC_OUTPUT_LIMITER_SOFT, settings.output_limiter ? ALC_TRUE : ALC_FALSE});
  }
  attributes.push_back(0);
  ALCcontext* context = alcCreateContext(device, attributes.data());
  // A device that refuses the request may still play in its own format.
  if (context == nullptr) context = alcCreateContext(device, nullptr);
  if (context == nullptr || alcMakeContextCurrent(context) == ALC_FALSE) {
    error = "プライマリ・バッファのフォーマットの設定に失敗しました (OpenAL: " +
            alc_error_text(device) + ")";
    if (context != nullptr) alcDestroyContext(context);
    alcCloseDevice(device);
    return false;
  }
  opened = device;
  current = context;
  return true;
}

// A buffer of the current context holding `pcm`; 0 with OpenAL's error in `failure`.
ALuint make_buffer(const PcmSound& pcm, ALenum& failure) {
  ALuint buffer = 0;
  alGetError();
  alGenBuffers(1, &buffer);
  failure = alGetError();
  if (failure != AL_NO_ERROR) return 0;
  alBufferData(buffer, buffer_format(pcm), pcm.samples.data(),
               static_cast<ALsizei>(pcm.samples.size()), pcm.rate);
  failure = alGetError();
  if (failure == AL_NO_ERROR) return buffer;
  alDeleteBuffers(1, &buffer);
  return 0;
}

}  // namespace

OpenAlSoundDevice::OpenAlSoundDevice(SoundErrorReport on_error, const OpenAlSettings& settings)
    : report_(std::move(on_error)), settings_(settings) {
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  std::string error;
  if (!open_output(settings, device, context, error)) {
    report(error);
    return;
  }
  const bool tells_loss = alcIsExtensionPresent(device, "ALC_EXT_disconnect") == ALC_TRUE;
  output_ = std::make_unique<Output>(Output{device, context, settings.offline, tells_loss});
  had_output_ = true;
}

OpenAlSoundDevice::~OpenAlSoundDevice() {
  if (!working()) return;
  release_all();
  close_output();
}

void OpenAlSoundDevice::close_output() {
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(output_->context);
  alcCloseDevice(output_->device);
  output_.reset();
}

bool OpenAlSoundDevice::connected() {
  if (!working()) return !had_output_;
  if (output_->offline || !output_->tells_loss) return true;
  ALCint connected = ALC_TRUE;
  alcGetIntegerv(output_->device, ALC_CONNECTED, 1, &connected);
  return connected != ALC_FALSE;
}

bool OpenAlSoundDevice::reopen() {
  if (!had_output_) return false;
  if (working() && output_->offline) return true;  // rendered here: nothing to lose
  std::array<int, kChannels> places;
  places.fill(-1);
  if (working()) {
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      Channel& c = channels_[i];
      if (!c.sourced) continue;
      ALint state = AL_STOPPED;
      alGetSourcei(c.source, AL_SOURCE_STATE, &state);
      if (state == AL_PLAYING) alGetSourcei(c.source, AL_SAMPLE_OFFSET, &places[i]);
      alSourceStop(c.source);
      alSourcei(c.source, AL_BUFFER, 0);
      alDeleteSources(1, &c.source);
      c.sourced = false;
      c.source = 0;
    }
    for (Sound& s : sounds_) {
      if (s.buffer != 0) alDeleteBuffers(1, &s.buffer);
      s.buffer = 0;
    }
    // Closed before the next opens: a device that is not lost after all may be the system's
    // default and refuse a second user.
    close_output();
  }
  OpenAlSettings settings = settings_;
  settings.device.clear();  // the named device is the one that went
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  std::string ignored;  // the caller tries again: a message box per try would bury the user
  if (!open_output(settings, device, context, ignored)) {
    // Where a sound played once had got to is gone with the sources.
    for (Channel& c : channels_)
      if (!c.looping) c.playing = false;
    return false;
  }
  const bool tells_loss = alcIsExtensionPresent(device, "ALC_EXT_disconnect") == ALC_TRUE;
  output_ = std::make_unique<Output>(Output{device, context, false, tells_loss});
  restore(places);
  return true;
}

void OpenAlSoundDevice::restore(const std::array<int, kChannels>& places) {
  for (Sound& s : sounds_) {
    PcmSound pcm;
    std::string error;
    ALenum failure = AL_NO_ERROR;
    if (!read_pcm_wav(s.path, pcm, error))
      report(error + "; it stays silent on the new sound output");
    else if ((s.buffer = make_buffer(pcm, failure)) == 0)
      report(s.path +
             ": the sound device cannot take this sound (OpenAL: " + al_error_text(failure) + ")");
  }
  for (std::size_t i = 0; i < channels_.size(); ++i) {
    Channel& c = channels_[i];
    if (c.sound < 0) continue;
    // A loop plays on; a sound played once only where its source told its place.
    c.playing = c.playing && (c.looping || places[i] >= 0);
    const Sound& s = sounds_[static_cast<std::size_t>(c.sound)];
    if (s.buffer == 0) continue;
    give_source(c, s);
    if (!c.sourced) continue;
    alSourcei(c.source, AL_LOOPING, c.looping ? AL_TRUE : AL_FALSE);
    alSourcef(c.source, AL_GAIN, volume_gain(c.volume));
    place(c.source, c.pan);
    alSourcef(c.source, AL_PITCH, static_cast<float>(static_cast<double>(c.hz) / s.rate));
    if (!c.playing) continue;
    if (places[i] > 0) alSourcei(c.source, AL_SAMPLE_OFFSET, places[i]);
    alSourcePlay(c.source);
  }
}

int OpenAlSoundDevice::output_rate() const {
  if (!working()) return 0;
  ALCint hz = 0;
  alcGetIntegerv(output_->device, ALC_FREQUENCY, 1, &hz);
  return hz;
}

bool OpenAlSoundDevice::render(float* out, int frames) {
  if (!working() || !output_->offline || frames < 0) return false;
  alcRenderSamplesSOFT(output_->device, out, frames);
  return true;
}

int OpenAlSoundDevice::load(const std::string& path, std::string& error) {
  PcmSound pcm;
  if (!read_pcm_wav(path, pcm, error)) return -1;
  Sound sound{0, pcm.rate, path};
  if (working()) {
    ALenum failure = AL_NO_ERROR;
    sound.buffer = make_buffer(pcm, failure);
    if (sound.buffer == 0) {
      error = path +
              ": the sound device cannot take this sound (OpenAL: " + al_error_text(failure) + ")";
      return -1;
    }
  }
  sounds_.push_back(sound);
  return static_cast<int>(sounds_.size()) - 1;
}

void OpenAlSoundDevice::attach(int channel, int sound) {
  Channel* c = channel_at(channel);
  // Ids come from load(); any other is no sound at all.
  if (c == nullptr || sound < 0 || sound >= static_cast<int>(sounds_.size())) return;
  const Sound& s = sounds_[static_cast<std::size_t>(sound)];
  c->sound = sound;
  c->looping = false;
  c->playing = false;
  c->volume = 0;
  c->pan = 0;
  c->hz = s.rate;
  if (working()) give_source(*c, s);
}

void OpenAlSoundDevice::give_source(Channel& c, const Sound& sound) {
  if (!c.sourced) {
    alGetError();
    alGenSources(1, &c.source);
    if (alGetError() != AL_NO_ERROR) {
      // The channel stays silent; one message is enough however many channels miss out.
      if (!source_failure_reported_) report("setWaveData サウンドバッファの複製に失敗しました");
      source_failure_reported_ = true;
      return;
    }
    c.sourced = true;
    // The pan is the only thing a position means here: placed around the listener, with
    // no fall-off over distance.
    alSourcei(c.source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(c.source, AL_ROLLOFF_FACTOR, 0.0f);
  } else {
    alSourceStop(c.source);
  }
  alSourcei(c.source, AL_BUFFER, static_cast<ALint>(sound.buffer));
  alSourcei(c.source, AL_LOOPING, AL_FALSE);
  alSourcef(c.source, AL_GAIN, 1.0f);
  alSourcef(c.source, AL_PITCH, 1.0f);
  place(c.source, 0);
}

void OpenAlSoundDevice::play(int channel) { start(channel, false); }

void OpenAlSoundDevice::loop(int channel) { start(channel, true); }

void OpenAlSoundDevice::start(int channel, bool looping) {
  Channel* c = channel_at(channel);
  if (c == nullptr) return;
  if (!c->sourced) {
    // While the output is lost the channel keeps what to play once it is back.
    if (lost() && c->sound >= 0) {
      c->looping = looping;
      c->playing = true;
    }
    return;
  }
  if (c->looping != looping) alSourcei(c->source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
  c->looping = looping;
  c->playing = true;
  // A stopped channel is paused where it was; play starts from the beginning.
  alSourceRewind(c->source);
  alSourcePlay(c->source);
}

void OpenAlSoundDevice::stop(int channel) {
  Channel* c = channel_at(channel);
  if (c == nullptr) return;
  c->playing = false;
  if (c->sourced) alSourcePause(c->source);
}

int OpenAlSoundDevice::status(int channel) {
  const Channel* c = channel_at(channel);
  if (c == nullptr) return 0;
  // A loop stops only when the output is lost, and plays on once it is reopened.
  const int kept = c->playing && c->looping ? kPlaying | kLooping : 0;
  if (!c->sourced) return lost() ? kept : 0;
  ALint state = AL_STOPPED;
  alGetSourcei(c->source, AL_SOURCE_STATE, &state);
  if (state == AL_PLAYING) return kPlaying | (c->looping ? kLooping : 0);
  return kept != 0 && !connected() ? kept : 0;
}

void OpenAlSoundDevice::set_volume(int channel, int volume) {
  Channel* c = channel_at(channel);
  if (c == nullptr) return;
  volume = clamp_volume(volume);
  if (c->volume == volume) return;
  c->volume = volume;
  if (c->sourced) alSourcef(c->source, AL_GAIN, volume_gain(volume));
}

int OpenAlSoundDevice::volume(int channel) {
  const Channel* c = channel_at(channel);
  return c != nullptr ? c->volume : 0;
}

void OpenAlSoundDevice::set_pan(int channel, int pan) {
  Channel* c = channel_at(channel);
  if (c == nullptr) return;
  pan = clamp_pan(pan);
  if (c->pan == pan) return;
  c->pan = pan;
  if (c->sourced) place(c->source, pan);
}

int OpenAlSoundDevice::pan(int channel) const {
  return channel >= 0 && channel < kChannels ? channels_[static_cast<std::size_t>(channel)].pan : 0;
}

void OpenAlSoundDevice::set_freq_rate(int channel, long double rate) {
  Channel* c = channel_at(channel);
  // Without a sound there is no own rate to scale.
  if (c == nullptr || c->sound < 0) return;
  const int own = sounds_[static_cast<std::size_t>(c->sound)].rate;
  const long long hz = channel_frequency(own, rate);
  if (c->hz == hz) return;
  c->hz = hz;
  // The pitch carries the cut frequency, not the rate itself.
  if (c->sourced) alSourcef(c->source, AL_PITCH, static_cast<float>(static_cast<double>(hz) / own));
}

long long OpenAlSoundDevice::frequency(int channel) const {
  return channel >= 0 && channel < kChannels ? channels_[static_cast<std::size_t>(channel)].hz : 0;
}

int OpenAlSoundDevice::position(int channel) {
  const Channel* c = sourced_at(channel);
  if (c == nullptr) return 0;
  ALint offset = 0;
  alGetSourcei(c->source, AL_SAMPLE_OFFSET, &offset);
  return offset;
}

void OpenAlSoundDevice::release_all() {
  for (Channel& c : channels_) {
    if (c.sourced) {
      alSourceStop(c.source);
      alSourcei(c.source, AL_BUFFER, 0);
      alDeleteSources(1, &c.source);
    }
    c = Channel{};
  }
  for (Sound& s : sounds_)
    if (s.buffer != 0) alDeleteBuffers(1, &s.buffer);
  sounds_.clear();
  invalid_reported_.clear();
}

OpenAlSoundDevice::Channel* OpenAlSoundDevice::channel_at(int channel) {
  if (channel >= 0 && channel < kChannels) return &channels_[static_cast<std::size_t>(channel)];
  // The report is a message box: once per number, not in every frame that uses it.
  if (invalid_reported_.insert(channel).second) report(invalid_channel_message(channel));
  return nullptr;
}

OpenAlSoundDevice::Channel* OpenAlSoundDevice::sourced_at(int channel) {
  Channel* c = channel_at(channel);
  return c != nullptr && c->sourced ? c : nullptr;
}

void OpenAlSoundDevice::report(const std::string& message) const {
  if (report_) report_(message);
}

}  // namespace velmora
