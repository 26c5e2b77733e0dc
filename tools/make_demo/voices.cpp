#include "voices.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <vector>

extern char** environ;

namespace velmora::demo {
namespace {

const char* const kProgram = "espeak-ng";

// Runs espeak-ng without a shell; true when it exits with 0.
bool run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int r = posix_spawnp(&pid, kProgram, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (r != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool speech_available() { return run({kProgram, "--version"}); }

Voices::Voices(std::filesystem::path scratch, bool use_speech)
    : scratch_(std::move(scratch)), speech_(use_speech && speech_available()) {
  if (speech_) std::filesystem::create_directories(scratch_);
}

Wave Voices::say(const std::string& kana) {
  if (speech_) {
    const std::filesystem::path text = scratch_ / ("say" + std::to_string(serial_) + ".txt");
    const std::filesystem::path wav = scratch_ / ("say" + std::to_string(serial_) + ".wav");
    ++serial_;
    {
      std::ofstream out(text, std::ios::binary);
      out << kana << '\n';
    }
    // A fixed voice, speed and pitch: the same text gives the same sound.
    if (run({kProgram, "-v", "ja", "-s", "150", "-p", "45", "-f", text.string(), "-w", wav.string()})) {
      Wave w = read_wave(wav);
      std::filesystem::remove(text);
      std::filesystem::remove(wav);
      if (!w.samples.empty()) return w;
    }
  }
  return tone_phrase(kana);
}

}  // namespace velmora::demo
