#pragma once
// Opening a document (the title window's HELP: readme.html; a kept drive's report page or its
// folder) in the desktop's viewer, and telling the user when none could be opened: the
// desktop's opener (xdg-open) is started, and its exit status is watched for a few seconds
// without holding up the window.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace velmora {

// What is being opened, as the messages name it.
struct DocumentKind {
  const char* japanese;  // "ヘルプ"
  const char* english;   // "help"
  bool folder = false;   // a folder for the file manager, not a page for the browser
};
inline constexpr DocumentKind kHelpDocumentKind{"ヘルプ", "help"};
inline constexpr DocumentKind kDriveReportKind{"運転の記録", "drive report"};
inline constexpr DocumentKind kDriveFolderKind{"運転の記録のフォルダ", "drive's folder", true};

class DocumentViewer {
 public:
  ~DocumentViewer();
  // Starts opening `file`. Returns the message for the user at once when it cannot even be
  // started (no such file, no opener installed).
  std::optional<std::string> open(const std::filesystem::path& file,
                                  DocumentKind kind = kHelpDocumentKind);
  // Called now and then: the message for the user once the opener has said it could not
  // open the document; nothing while it runs or after it succeeded.
  std::optional<std::string> poll();

 private:
  std::string failure() const;
  pid_t child_ = -1;
  std::filesystem::path file_;
  DocumentKind kind_ = kHelpDocumentKind;
};

}  // namespace velmora
