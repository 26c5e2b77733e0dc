#include <gtest/gtest.h>

#include "common/fields.h"

namespace velmora {
namespace {

TEST(GetField, CountsFieldsFromOneAndReadsAbsentTrailingFieldsAsZero) {
  struct Case {
    const char* line;
    int k;
    const char* expected;
  };
  const Case cases[] = {
      {"10,20", 1, "10"},   {"10,20", 2, "20"},  {"10,20", 3, "0"},
      {"10,20,", 3, ""},    {"10,,30", 2, ""},   {"10,,30", 3, "30"},
      {"abc", 1, "abc"},    {"abc", 0, ""},      {"abc", -4, ""},
      {"abc", 2, "0"},      {"abc", 3, "0"},     {"", 1, ""},
      {" a , b ", 2, " b "},  // fields keep their blanks
  };
  for (const Case& c : cases)
    EXPECT_EQ(get_field(c.line, c.k), c.expected) << "line \"" << c.line << "\" field " << c.k;
}

TEST(SplitPath, CutsAtTheLastBackslash) {
  EXPECT_EQ(split_path("C:\\trains\\x\\train_1.dat", 0), "C:\\trains\\x\\");
  EXPECT_EQ(split_path("C:\\trains\\x\\train_1.dat", 1), "train_1.dat");
  EXPECT_EQ(split_path("C:\\trains\\", 1), "");
  EXPECT_EQ(split_path("train.dat", 0), "");
  EXPECT_EQ(split_path("train.dat", 1), "train.dat");
}

TEST(SplitPath, KeepsAtMost256CharactersOfTheNameWithoutCuttingOne) {
  std::string name;
  for (int i = 0; i < 300; ++i) name += "車";  // three bytes each in UTF-8
  const std::string part = split_path("D:\\" + name, 1);
  EXPECT_EQ(part.size(), 256u * 3);
  EXPECT_EQ(part.substr(0, 3), "車");
}

}  // namespace
}  // namespace velmora
