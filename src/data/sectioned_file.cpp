#include "data/sectioned_file.h"

#include <string_view>

#include "common/numbers.h"
#include "data/text_file.h"

namespace velmora {
namespace {

class Cursor final : public ValueLines {
 public:
  Cursor(const std::vector<std::string>& lines, const std::string& section)
      : lines_(lines), section_(&section) {}

  bool at_end() const override { return next_ >= lines_.size(); }
  const std::string& next() override {
    if (at_end()) throw DataError("the file ends inside " + *section_ + ": a value line is missing");
    return lines_[next_++];
  }
  const std::string& current() const {
    static const std::string none;
    return next_ == 0 ? none : lines_[next_ - 1];
  }
  int line_number() const override { return static_cast<int>(next_); }
  void set_section(const std::string& name) { section_ = &name; }

 private:
  const std::vector<std::string>& lines_;
  const std::string* section_;
  std::size_t next_ = 0;
};

void read_list(Cursor& in, const Section& section) {
  std::size_t count = 0;
  while (const std::string* line = next_list_line(in, section.name)) {
    check_list_capacity(section.name, count, section.capacity);
    section.entry(*line, count);
    ++count;
  }
  if (section.done) section.done(count);
}

}  // namespace

const std::string* next_list_line(ValueLines& in, const std::string& section) {
  if (in.at_end()) throw DataError(section + " is not closed by a line starting with #");
  const std::string& line = in.next();
  if (!line.empty() && line[0] == '#') return nullptr;
  return &line;
}

void check_list_capacity(const std::string& section, std::size_t count, std::size_t capacity) {
  if (count >= capacity)
    throw DataError(section + " holds more than " + std::to_string(capacity) + " entries");
}

void read_sectioned(const std::vector<std::string>& lines, const SectionedFormat& format,
                    const std::filesystem::path& path) {
  const std::string no_section;
  Cursor in(lines, no_section);
  std::string label = format.default_label;
  try {
    while (!in.at_end()) {
      in.next();
      label = format.default_label;
      bool opened = false;
      for (const Section& section : format.sections) {
        if (!section.label.empty()) label = section.label;
        if (std::string_view(in.current()).substr(0, section.name.size()) != section.name)
          continue;
        opened = true;
        in.set_section(section.name);
        if (format.opened) format.opened(section, in.line_number());
        if (section.entry)
          read_list(in, section);
        else
          section.read(in);
      }
      if (!opened && format.skipped) format.skipped(in.current(), in.line_number());
    }
  } catch (const ConversionError& e) {
    throw LoadError(e.what(), label, in.current(), path, in.line_number());
  } catch (const DataError& e) {
    throw LoadError(e.what(), label, in.current(), path, in.line_number(), e.message);
  }
}

void read_sectioned_file(const std::filesystem::path& path, const SectionedFormat& format) {
  std::vector<std::string> lines;
  try {
    lines = read_text_lines(path);
  } catch (const FileReadError& e) {
    throw LoadError(e.what(), format.default_label, "", path, 0);
  }
  read_sectioned(lines, format, path);
}

}  // namespace velmora
