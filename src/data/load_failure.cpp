#include "data/load_failure.h"

namespace velmora {

LoadFailure load_failure(DataFileKind kind, const LoadError& error) {
  std::string detail = error.path.string();
  if (error.line_number > 0) detail += ":" + std::to_string(error.line_number);
  detail += std::string(": ") + error.what();

  std::vector<std::string> messages;
  if (!error.message.empty()) return LoadFailure({error.message}, std::move(detail));
  switch (kind) {
    case DataFileKind::UiTexts:
      messages = {"stringファイルに誤りがあります"};
      break;
    case DataFileKind::Mascon:
      messages = {"mascon.datファイルに誤りがあります"};
      break;
    case DataFileKind::Vehicle:
      messages = {"車両ファイルに誤りがあります" + error.label};
      break;
    case DataFileKind::Route:
      messages = {"路線ファイルに誤りがあります。" + error.label + ":" + error.cur_line, error.what()};
      break;
  }
  return LoadFailure(std::move(messages), std::move(detail));
}

}  // namespace velmora
