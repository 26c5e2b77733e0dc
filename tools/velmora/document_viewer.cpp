#include "document_viewer.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <vector>

extern char** environ;

namespace velmora {

DocumentViewer::~DocumentViewer() {
  // An opener still running is left to finish; its exit is not waited for.
  if (child_ > 0) waitpid(child_, nullptr, WNOHANG);
}

std::string DocumentViewer::failure() const {
  return std::string(kind_.japanese) +
         "を表示できません: 文書を開くビューア (xdg-open とブラウザ) が見つかりません。\n" +
         "No viewer could open the " + kind_.english + ". Open this " +
         (kind_.folder ? "folder in a file manager" : "file in a web browser") + ":\n" +
         file_.string();
}

std::optional<std::string> DocumentViewer::open(const std::filesystem::path& file,
                                                DocumentKind kind) {
  file_ = std::filesystem::absolute(file);
  kind_ = kind;
  const bool there =
      kind.folder ? std::filesystem::is_directory(file_) : std::filesystem::is_regular_file(file_);
  if (!there)
    return kind.folder ? std::string(kind.japanese) + "がありません / The " + kind.english +
                             " is missing:\n" + file_.string()
                       : std::string(kind.japanese) + "のファイルがありません / The " +
                             kind.english + " file is missing:\n" + file_.string();
  if (child_ > 0) waitpid(child_, nullptr, WNOHANG);
  std::string program = "xdg-open", argument = file_.string();
  std::vector<char*> argv = {program.data(), argument.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    child_ = -1;
    return failure();
  }
  child_ = pid;
  return std::nullopt;
}

std::optional<std::string> DocumentViewer::poll() {
  if (child_ <= 0) return std::nullopt;
  int status = 0;
  const pid_t done = waitpid(child_, &status, WNOHANG);
  if (done == 0) return std::nullopt;  // still opening (or the viewer itself runs on)
  child_ = -1;
  if (done < 0) return std::nullopt;
  // xdg-open exits 0 once a viewer has the document; a spawn that found no program is 127.
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
  return failure();
}

}  // namespace velmora
