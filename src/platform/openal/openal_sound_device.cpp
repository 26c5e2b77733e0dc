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

}  // namespace

OpenAlSoundDevice::OpenAlSoundDevice(SoundErrorReport on_error, const OpenAlSettings& settings)
    : report_(std::move(on_error)) {
  const char* name = settings.device.empty() ? nullptr : settings.device.c_str();
  ALCdevice* device = settings.offline ? alcLoopbackOpenDeviceSOFT(nullptr) : alcOpenDevice(name);
  if (device == nullptr && settings.offline) {
    report("no offline sound output (OpenAL: " + alc_error_text(nullptr) + ")");
    return;
  }
  if (device == nullptr) {
    // No device at all is a machine without sound, not a fault: say that, not OpenAL's
    // error (which then reads "Out of Memory").
    const ALCchar* devices = alcGetString(nullptr, ALC_DEVICE_SPECIFIER);
    if (name == nullptr && (devices == nullptr || *devices == '\0'))
      report("no sound device: the simulator runs without sound");
    else
      report("no sound output could be opened" + (name ? " on \"" + settings.device + "\"" : std::string()) +
             " (OpenAL: " + alc_error_text(nullptr) + "); the simulator runs without sound");
    return;
  }
  // The channel count needs the sources, which OpenAL Soft otherwise caps at 256.
  std::vector<ALCint> attributes = {ALC_MONO_SOURCES, settings.mono_sources};
  if (settings.offline) {
    attributes.insert(
        attributes.end(),
        {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
         ALC_FREQUENCY, settings.frequency > 0 ? settings.frequency : kOfflineRate});
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
    report("プライマリ・バッファのフォーマットの設定に失敗しました (OpenAL: " +
           alc_error_text(device) + ")");
    if (context != nullptr) alcDestroyContext(context);
    alcCloseDevice(device);
    return;
  }
  output_ = std::make_unique<Output>(Output{device, context, settings.offline});
}

OpenAlSoundDevice::~OpenAlSoundDevice() {
  if (!working()) return;
  release_all();
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(output_->context);
  alcCloseDevice(output_->device);
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
  Sound sound{0, pcm.rate};
  if (working()) {
    alGetError();
    alGenBuffers(1, &sound.buffer);
    ALenum failure = alGetError();
    if (failure == AL_NO_ERROR) {
      alBufferData(sound.buffer, buffer_format(pcm), pcm.samples.data(),
                   static_cast<ALsizei>(pcm.samples.size()), pcm.rate);
      failure = alGetError();
      if (failure != AL_NO_ERROR) alDeleteBuffers(1, &sound.buffer);
    }
    if (failure != AL_NO_ERROR) {
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
  Channel* c = sourced_at(channel);
  if (c == nullptr) return;
  if (c->looping != looping) alSourcei(c->source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
  c->looping = looping;
  // A stopped channel is paused where it was; play starts from the beginning.
  alSourceRewind(c->source);
  alSourcePlay(c->source);
}

void OpenAlSoundDevice::stop(int channel) {
  Channel* c = sourced_at(channel);
  if (c != nullptr) alSourcePause(c->source);
}

int OpenAlSoundDevice::status(int channel) {
  const Channel* c = sourced_at(channel);
  if (c == nullptr) return 0;
  ALint state = AL_STOPPED;
  alGetSourcei(c->source, AL_SOURCE_STATE, &state);
  if (state != AL_PLAYING) return 0;
  return kPlaying | (c->looping ? kLooping : 0);
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
