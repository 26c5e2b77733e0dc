#pragma once
// The reader every sectioned data file shares (vehicle file, route file, velmora.dat).
//
// A header line opens a section when its first characters are exactly the section's
// name, brackets included (case-sensitive, first column, the rest of the line ignored).
// A fixed section reads its value lines at once, positionally; a list section reads
// entry lines up to a line starting with "#". Every other line is skipped. Sections are
// tested in the format's checking order against each line, and after one has been
// handled the later ones are still tested against the line read last.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

// A value a loader refuses (beyond number syntax, which is ConversionError).
struct DataError : std::runtime_error {
  using std::runtime_error::runtime_error;
  // A refusal the user is told with a message box of its own instead of the file's.
  DataError(const std::string& detail, std::string message)
      : std::runtime_error(detail), message(std::move(message)) {}
  std::string message;  // empty: the file's message
};

// Why a file could not be loaded, with what the user-facing message needs.
struct LoadError : std::runtime_error {
  LoadError(std::string detail, std::string label, std::string cur_line,
            std::filesystem::path path, int line_number, std::string message = "")
      : std::runtime_error(std::move(detail)),
        label(std::move(label)),
        cur_line(std::move(cur_line)),
        path(std::move(path)),
        line_number(line_number),
        message(std::move(message)) {}
  std::string label;           // context label in force when it failed
  std::string cur_line;        // the line read last (header, value or entry)
  std::filesystem::path path;  // the file
  int line_number;             // 1-based line of cur_line; 0 when no line was read
  std::string message;         // a message box of its own; empty: the file's message
};

// Hands a fixed section its value lines one at a time, so that a conversion error names
// the line it happened on.
class ValueLines {
 public:
  virtual ~ValueLines() = default;
  // The next line of the file; throws when the file ends first.
  virtual const std::string& next() = 0;
  // Whether the file has no line left.
  virtual bool at_end() const { return false; }
  // 1-based line number of the line next() gave last; 0 when unknown.
  virtual int line_number() const { return 0; }
};

// For a fixed section's handler that goes on with a list (groups of several lines, or
// entries after fixed lines): the next line of the list, or nullptr when the line starts
// with "#" and so closes the list. A file that ends first is an error of the file.
const std::string* next_list_line(ValueLines& in, const std::string& section);

// Rejects the file when a list that already holds `capacity` entries gets one more.
void check_list_capacity(const std::string& section, std::size_t count, std::size_t capacity);

struct Section {
  std::string name;   // "[Disp]", brackets included
  std::string label;  // context label set when the checking order reaches this section;
                      // empty: the label in force stays
  // Fixed section: reads its value lines.
  std::function<void(ValueLines&)> read;
  // List section: each entry with its index from 0, then the count when "#" closes it.
  std::function<void(const std::string& entry, std::size_t index)> entry;
  std::function<void(std::size_t count)> done;
  std::size_t capacity = 0;  // most entries a list holds; one more rejects the file
};

struct SectionedFormat {
  std::string default_label;
  std::vector<Section> sections;  // in checking order
  // Told of every line read at the top of the pass that opened no section (checkers warn
  // about the ones that look like a misspelt header). May be empty.
  std::function<void(const std::string& line, int line_number)> skipped;
  // Optional: told of each header that opens a section, with its 1-based line number,
  // before the section is read (so loaders can name the lines of their entries).
  std::function<void(const Section& section, int line_number)> opened;
};

// Reads decoded lines by the format. Throws LoadError.
void read_sectioned(const std::vector<std::string>& lines, const SectionedFormat& format,
                    const std::filesystem::path& path);

// Reads a file by the format. Throws LoadError, also when the file cannot be read.
void read_sectioned_file(const std::filesystem::path& path, const SectionedFormat& format);

}  // namespace velmora
