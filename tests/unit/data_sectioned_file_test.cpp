#include <gtest/gtest.h>

#include "common/numbers.h"
#include "data/sectioned_file.h"
#include "data/text_file.h"
#include "test_rig.h"

namespace velmora {
namespace {

// A small format in the shape of the real ones: two fixed sections, a labelled section
// and a list.
struct Sample {
  int a = -1;
  int b1 = -1, b2 = -1;
  std::string c;
  std::vector<std::string> items;
  int list_reads = 0;

  SectionedFormat format() {
    SectionedFormat f;
    f.default_label = "- basic";
    f.sections = {
        {"[A]", "", [this](ValueLines& in) { a = to_int(in.next()); }, {}, {}, 0},
        {"[B]", "", [this](ValueLines& in) {
           b1 = to_int(in.next());
           b2 = to_int(in.next());
         }, {}, {}, 0},
        {"[C]", "- clock", [this](ValueLines& in) { c = in.next(); }, {}, {}, 0},
        {"[List]", "[List]", {},
         [this](const std::string& entry, std::size_t index) {
           if (index == 0) ++list_reads;
           if (items.size() <= index) items.resize(index + 1);
           items[index] = entry;
         },
         [this](std::size_t count) { items.resize(count); }, 3},
    };
    return f;
  }
};

Sample read(const std::string& text) {
  Sample s;
  read_sectioned(split_text_lines(text), s.format(), "sample.dat");
  return s;
}

LoadError read_error(const std::string& text) {
  Sample s;
  try {
    read_sectioned(split_text_lines(text), s.format(), "sample.dat");
  } catch (const LoadError& e) {
    return e;
  }
  ADD_FAILURE() << "no error for:\n" << text;
  return LoadError("", "", "", "", 0);
}

TEST(SectionedFile, HeadersMatchByExactPrefixInTheFirstColumn) {
  const Sample s = read("[A] the first one\n5\n [B]\n1\n2\n[b]\n3\n4\n#[C]\nnot read\n");
  EXPECT_EQ(s.a, 5);   // text after the bracket is ignored
  EXPECT_EQ(s.b1, -1);  // a blank before it, or other letter case, opens nothing
  EXPECT_EQ(s.c, "");   // "#" then a section name, outside a list, is skipped
}

TEST(SectionedFile, SectionsStandAnywhereAndALaterCopyWins) {
  const Sample s = read("title line\n[B]\n1\n2\n\n- comment\n[A]\n7\n[A]\n8\ntrailing text\n");
  EXPECT_EQ(s.a, 8);
  EXPECT_EQ(s.b1, 1);
  EXPECT_EQ(s.b2, 2);
}

TEST(SectionedFile, ValueLinesArePositionalSoACommentUnderAHeaderIsAValue) {
  const LoadError e = read_error("[A]\n# the value\n5\n");
  EXPECT_EQ(e.cur_line, "# the value");
  EXPECT_EQ(e.line_number, 2);
  EXPECT_EQ(e.label, "- basic");
  EXPECT_NE(std::string(e.what()).find("\"# the value\""), std::string::npos);
}

TEST(SectionedFile, ErrorsCarryTheLabelInForceAtTheirSection) {
  EXPECT_EQ(read_error("[C]\nok\n[List]\nx\n").label, "[List]");  // unclosed list
  EXPECT_EQ(read_error("[B]\n1\nx\n").label, "- basic");
  EXPECT_EQ(read_error("[B]\n1\nx\n").cur_line, "x");
  // A section after a labelled one keeps that label; the next line starts afresh.
  SectionedFormat f;
  f.default_label = "default";
  f.sections = {{"[X]", "- first", [](ValueLines&) {}, {}, {}, 0},
                {"[Y]", "", [](ValueLines& in) { to_int(in.next()); }, {}, {}, 0}};
  try {
    read_sectioned(split_text_lines("[Y]\nbad\n"), f, "f.dat");
    FAIL();
  } catch (const LoadError& e) {
    EXPECT_EQ(e.label, "- first");
  }
}

TEST(SectionedFile, ListsEndAtHashAndStartAgainWhenRepeated) {
  Sample s = read("[List]\n#\n");
  EXPECT_TRUE(s.items.empty());
  s = read("[List]\na,1\n b \n# end\n[A]\n3\n[List]\nz\n#\n");
  EXPECT_EQ(s.items, std::vector<std::string>{"z"});
  EXPECT_EQ(s.list_reads, 2);
  EXPECT_EQ(s.a, 3);
}

TEST(SectionedFile, ListsPastCapacityOrNotClosedRejectTheFile) {
  const LoadError full = read_error("[List]\n1\n2\n3\n4\n#\n");
  EXPECT_EQ(full.cur_line, "4");
  EXPECT_NE(std::string(full.what()).find("[List]"), std::string::npos);
  EXPECT_EQ(read("[List]\n1\n2\n3\n#\n").items.size(), 3u);

  const LoadError open = read_error("[List]\n1\n2\n");
  EXPECT_NE(std::string(open.what()).find("not closed"), std::string::npos);
}

TEST(SectionedFile, AFixedSectionCutOffByTheEndOfTheFileIsAnError) {
  const LoadError e = read_error("[B]\n1\n");
  EXPECT_NE(std::string(e.what()).find("[B]"), std::string::npos);
}

TEST(SectionedFile, LinesThatOpenNoSectionAreToldWithTheirNumbers) {
  Sample s;
  SectionedFormat f = s.format();
  std::vector<std::pair<int, std::string>> skipped;
  f.skipped = [&](const std::string& line, int number) { skipped.emplace_back(number, line); };
  read_sectioned(split_text_lines("title\n[A]\n5\n[List]\nx\n#\n[a]\n\n"), f, "f.dat");
  EXPECT_EQ(skipped, (std::vector<std::pair<int, std::string>>{{1, "title"}, {7, "[a]"}, {8, ""}}));
}

TEST(SectionedFile, ARefusalWithItsOwnMessageKeepsItAndItsPlace) {
  SectionedFormat f;
  f.default_label = "default";
  f.sections = {{"[X]", "", [](ValueLines& in) {
                   while (next_list_line(in, "[X]") != nullptr) {
                   }
                   throw DataError("detail", "own message");
                 },
                 {}, {}, 0}};
  try {
    read_sectioned(split_text_lines("\n[X]\n1\n# end\n"), f, "f.dat");
    FAIL();
  } catch (const LoadError& e) {
    EXPECT_EQ(e.message, "own message");
    EXPECT_EQ(e.line_number, 4);
    EXPECT_EQ(e.cur_line, "# end");
  }
}

TEST(SectionedFile, AMissingFileIsALoadErrorWithTheDefaultLabel) {
  Sample s;
  try {
    read_sectioned_file(scratch_dir("sectioned") / "none.dat", s.format());
    FAIL();
  } catch (const LoadError& e) {
    EXPECT_EQ(e.label, "- basic");
    EXPECT_EQ(e.line_number, 0);
  }
}

}  // namespace
}  // namespace velmora
