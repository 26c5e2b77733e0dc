#include "sound/call_sounds.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "data/load_failure.h"
#include "sound/sound_run.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class CallLoader {
 public:
  explicit CallLoader(const SoundRun& run) : run_(run) {}

  std::vector<CallSound> load_all(const std::vector<std::string>& names) {
    std::vector<CallSound> sounds;
    sounds.reserve(names.size());
    for (const std::string& name : names) sounds.push_back(load(name));
    return sounds;
  }

 private:
  CallSound load(const std::string& name) {
    if (name.empty()) return {};
    const fs::path& folder = run_.config.program_dir;
    const std::optional<fs::path> found = resolve_data_file(folder, name);
    const std::string shown = (folder / name).string();
    if (!found) throw LoadFailure({shown + "が見つかりません"}, shown + ": no such call file");
    // Routes name the same few voices for many signs; one buffer each is enough.
    const auto it = loaded_.find(*found);
    if (it != loaded_.end()) return it->second;
    CallSound sound;
    sound.sound = run_.platform.sound.load(found->string(), sound.error);
    if (sound.sound >= 0)
      sound.error.clear();
    else if (sound.error.empty())
      sound.error = found->string() + ": the sound device did not take it";
    loaded_.emplace(*found, sound);
    return sound;
  }

  const SoundRun& run_;
  std::map<fs::path, CallSound> loaded_;
};

std::vector<std::string> voice_names(const std::vector<Kanko>& voices) {
  std::vector<std::string> names;
  names.reserve(voices.size());
  for (const Kanko& k : voices) names.push_back(k.filename);
  return names;
}

}  // namespace

void load_call_sounds(const SoundRun& run) {
  CallLoader loader(run);
  CallState& c = run.calls;
  c.voices = loader.load_all(voice_names(run.route.call_voice));
  c.other = loader.load_all(run.route.other_kanko);
  c.limit = loader.load_all(run.route.limit_kanko);
}

}  // namespace velmora
