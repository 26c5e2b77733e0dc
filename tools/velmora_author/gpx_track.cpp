// GPX tracks: the <trkpt lat=".." lon=".."> elements of every track segment, with their
// <time>, <ele> and the receiver's <speed> (GPX 1.0, or an extension element of that name,
// in m/s). A small scanner rather than a full XML parser: it knows tags, attributes,
// comments, processing instructions, CDATA and the document type, which is all a GPX
// file holds, and it counts lines for the messages.

#include <optional>
#include <string>

#include "track.h"

namespace velmora::author {
namespace {

struct Tag {
  std::string name;  // local name, prefix dropped
  bool closing = false;
  bool empty = false;  // <name/>
  std::vector<std::pair<std::string, std::string>> attributes;
  int line = 0;
};

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  // The next tag, with the text before it in `text`; empty at the end.
  std::optional<Tag> next(std::string& text) {
    text.clear();
    while (at_ < text_.size()) {
      if (text_[at_] != '<') {
        text += text_[at_];
        advance(1);
        continue;
      }
      if (starts("<!--")) {
        skip_past("-->", "a comment");
      } else if (starts("<![CDATA[")) {
        const int line = line_;
        const std::size_t end = text_.find("]]>", at_);
        if (end == std::string_view::npos) throw TrackError(line, "a CDATA section never ends");
        text.append(text_.substr(at_ + 9, end - at_ - 9));
        advance(end + 3 - at_);
      } else if (starts("<?")) {
        skip_past("?>", "a processing instruction");
      } else if (starts("<!")) {
        skip_past(">", "a document type declaration");
      } else {
        return tag();
      }
    }
    return std::nullopt;
  }

 private:
  bool starts(std::string_view s) const { return text_.substr(at_, s.size()) == s; }

  void advance(std::size_t n) {
    for (std::size_t i = 0; i < n && at_ < text_.size(); ++i, ++at_)
      if (text_[at_] == '\n') ++line_;
  }

  void skip_past(std::string_view end, const char* what) {
    const int line = line_;
    const std::size_t found = text_.find(end, at_ + 1);
    if (found == std::string_view::npos) throw TrackError(line, std::string(what) + " never ends");
    advance(found + end.size() - at_);
  }

  static bool name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
  }
  static bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  std::string name() {
    std::string n;
    while (at_ < text_.size() && name_char(text_[at_])) {
      n += text_[at_];
      advance(1);
    }
    return n;
  }

  void skip_blanks() {
    while (at_ < text_.size() && blank(text_[at_])) advance(1);
  }

  Tag tag() {
    Tag t;
    t.line = line_;
    advance(1);
    if (at_ < text_.size() && text_[at_] == '/') {
      t.closing = true;
      advance(1);
    }
    std::string full = name();
    if (full.empty()) throw TrackError(t.line, "a \"<\" that starts no tag");
    const std::size_t colon = full.rfind(':');
    t.name = colon == std::string::npos ? full : full.substr(colon + 1);
    for (;;) {
      skip_blanks();
      if (at_ >= text_.size()) throw TrackError(t.line, "the tag <" + full + "> never ends");
      const char c = text_[at_];
      if (c == '>') {
        advance(1);
        return t;
      }
      if (c == '/' && !t.closing && at_ + 1 < text_.size() && text_[at_ + 1] == '>') {
        t.empty = true;
        advance(2);
        return t;
      }
      if (t.closing) throw TrackError(line_, "the closing tag </" + full + "> holds more than its name");
      std::string attribute = name();
      if (attribute.empty())
        throw TrackError(line_, "the tag <" + full + "> holds \"" + std::string(1, c) +
                                    "\" where an attribute or \">\" should be");
      skip_blanks();
      if (at_ >= text_.size() || text_[at_] != '=')
        throw TrackError(line_, "the attribute " + attribute + " of <" + full + "> has no value");
      advance(1);
      skip_blanks();
      if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\''))
        throw TrackError(line_, "the value of " + attribute + " in <" + full + "> is not quoted");
      const char quote = text_[at_];
      const std::size_t end = text_.find(quote, at_ + 1);
      if (end == std::string_view::npos)
        throw TrackError(line_, "the value of " + attribute + " in <" + full + "> never ends");
      std::string value(text_.substr(at_ + 1, end - at_ - 1));
      advance(end + 1 - at_);
      const std::size_t acolon = attribute.rfind(':');
      t.attributes.emplace_back(acolon == std::string::npos ? attribute : attribute.substr(acolon + 1),
                                std::move(value));
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
};

std::string trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

double number(const std::string& text, int line, const std::string& what) {
  const std::optional<double> v = parse_number(text);
  if (!v) throw TrackError(line, "the " + what + " \"" + text + "\" is not a number");
  return *v;
}

// The point being read between <trkpt> and </trkpt>.
struct OpenPoint {
  TrackPoint point;
  bool has_time = false;
  std::string element;  // the child element whose text is being collected
  int element_line = 0;
};

}  // namespace

Track read_gpx(std::string_view text) {
  Scanner scanner(text);
  std::vector<TrackPoint> points;
  std::optional<OpenPoint> open;
  std::string between;
  bool any_gpx = false;
  while (std::optional<Tag> t = scanner.next(between)) {
    if (t->name == "gpx") any_gpx = true;
    if (t->name == "trkpt") {
      if (t->closing) {
        if (!open) throw TrackError(t->line, "</trkpt> closes no <trkpt>");
        if (!open->has_time)
          throw TrackError(open->point.line,
                           "the track point has no <time>; every point needs the time it was taken");
        points.push_back(open->point);
        open.reset();
        continue;
      }
      if (open)
        throw TrackError(t->line, "a <trkpt> inside the <trkpt> of line " +
                                      std::to_string(open->point.line) + " (a </trkpt> is missing)");
      OpenPoint p;
      p.point.line = t->line;
      bool lat = false, lon = false;
      for (const auto& [name, value] : t->attributes) {
        if (name == "lat") {
          p.point.lat = number(value, t->line, "latitude");
          lat = true;
        } else if (name == "lon") {
          p.point.lon = number(value, t->line, "longitude");
          lon = true;
        }
      }
      if (!lat || !lon) throw TrackError(t->line, "the <trkpt> lacks its lat or lon attribute");
      if (t->empty) throw TrackError(t->line, "the track point has no <time>; every point needs the time it was taken");
      open = p;
      continue;
    }
    if (!open) continue;
    const bool wanted = t->name == "time" || t->name == "ele" || t->name == "speed";
    if (!t->closing && !t->empty && wanted) {
      open->element = t->name;
      open->element_line = t->line;
    } else if (t->closing && wanted && t->name == open->element) {
      const std::string value = trim(between);
      const int line = open->element_line;
      if (t->name == "time") {
        const std::optional<double> time = parse_iso_time(value);
        if (!time)
          throw TrackError(line, "the time \"" + value +
                                     "\" is not an ISO 8601 time such as 2024-05-01T10:00:00Z");
        open->point.time = *time;
        open->has_time = true;
      } else if (t->name == "ele") {
        open->point.ele = number(value, line, "elevation");
      } else {
        open->point.speed = number(value, line, "speed") * 3.6;  // m/s in GPX
      }
      open->element.clear();
    }
  }
  if (open) throw TrackError(open->point.line, "the <trkpt> never ends (no </trkpt>)");
  if (points.empty())
    throw TrackError(0, any_gpx ? "the GPX file holds no track point (<trkpt>)"
                                : "this is not a GPX file (no <gpx> element)");
  return finish_track(std::move(points), TrackClock::utc, {});
}

}  // namespace velmora::author
