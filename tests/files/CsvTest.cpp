// .csv workbooks: what reads as what, and that saving rewrites only the fields the add-in changed.

#include <gtest/gtest.h>

#include "TestPackage.h"
#include "files/Csv.h"
#include "files/Files.h"

namespace kx::files::test {
namespace {

using host::Variant;
using memhost::Cell;

TEST(CsvSeparator, IsDetectedFromTheFirstLines) {
  struct Case {
    const char* text;
    char separator;
  } cases[] = {
      {"a,b,c\n1,2,3\n", ','},
      {"a;b;c\n1,5;2,5;3\n", ';'},  // decimal commas do not fool it
      {"a\tb\n1\t2\n", '\t'},
      {"a|b\n1|2\n", '|'},
      {"\"x;y\",b,c\n1,2,3\n", ','},  // separators inside quotes do not count
      {"single\n", ','},
  };
  for (const Case& c : cases) EXPECT_EQ(DetectSeparator(c.text), c.separator) << c.text;
}

TEST(CsvValue, NumbersBooleansErrorsAndText) {
  struct Case {
    const char* text;
    Variant value;
  } cases[] = {
      {"007", 7.0},
      {"-1.5e3", -1500.0},
      {".5", 0.5},
      {"+4", 4.0},
      {"TRUE", true},
      {"false", false},
      {"#N/A", host::ErrorValue::NA},
      {"1 2", "1 2"},
      {" 5", " 5"},
      {"inf", "inf"},
      {"0x10", "0x10"},
      {"1,5", "1,5"},
      {"abc", "abc"},
      {"", Variant{}},
      {"-", "-"},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvValue(c.text), c.value) << c.text;
}

class CsvFileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = ScratchDir(); }
  std::shared_ptr<memhost::Book> Open(const std::string& text, const std::string& name = "in.csv") {
    WriteText(dir_ + "/" + name, text);
    auto book = OpenWorkbook(dir_ + "/" + name);
    EXPECT_TRUE(book.ok()) << book.error().message;
    return book.ok() ? book.value() : nullptr;
  }
  std::string Save(const memhost::Book& book, SaveOptions options = {}) {
    auto saved = SaveWorkbook(book, dir_ + "/out.csv", options);
    EXPECT_TRUE(saved.ok()) << saved.error().message;
    return ReadText(dir_ + "/out.csv");
  }
  std::string dir_;
};

TEST_F(CsvFileTest, ReadsQuotedFieldsAndKeepsUntouchedBytes) {
  const std::string text =
      "\xEF\xBB\xBFid;name;note\r\n007;\"Smith; J\";\"said \"\"hi\"\"\nover two lines\"\r\n"
      "8;x;\r\n";
  auto book = Open(text);
  ASSERT_TRUE(book);
  const memhost::Sheet& s = *book->sheets[0];
  EXPECT_EQ(s.name(), "in");
  EXPECT_EQ(s.CellAt({1, 1})->value, Variant("id"));  // the byte-order mark is not data
  EXPECT_EQ(s.CellAt({2, 1})->value, Variant(7.0));
  EXPECT_EQ(s.CellAt({2, 2})->value, Variant("Smith; J"));
  EXPECT_EQ(s.CellAt({2, 3})->value, Variant("said \"hi\"\nover two lines"));
  EXPECT_EQ(s.CellAt({3, 3}), nullptr);
  EXPECT_EQ(Save(*book), text);
}

TEST_F(CsvFileTest, UnchangedBooksWriteBackTheSameBytes) {
  for (const char* text :
       {"a,b,\n1,2", "x,", "a,b\r\n\r\n,\n", "\"a\"\"\",b\n", "only", "a\tb,\n", ""}) {
    auto book = Open(text);
    ASSERT_TRUE(book);
    EXPECT_EQ(Save(*book), text);
  }
}

TEST_F(CsvFileTest, WritesOnlyTheChangedFields) {
  auto book = Open("a,b,c\n007,\"x\",3\n1,2,3");
  ASSERT_TRUE(book);
  memhost::Sheet& s = *book->sheets[0];
  s.SetCell({2, 3}, Cell{});                    // cleared
  s.SetCell({3, 2}, Cell{"new, text", "", 0});  // needs quotes
  s.SetCell({3, 5}, Cell{2.5, "", 0});          // beyond the record
  s.SetCell({5, 1}, Cell{true, "", 0});         // beyond the file
  EXPECT_EQ(Save(*book), "a,b,c\n007,\"x\",\n1,\"new, text\",3,,2.5\n\nTRUE\n");
}

TEST_F(CsvFileTest, AnotherSeparatorRequotesWhatNeedsIt) {
  auto book = Open("a;\"b\";x,y\n");
  ASSERT_TRUE(book);
  SaveOptions options;
  options.csvSeparator = ',';
  EXPECT_EQ(Save(*book, options), "a,\"b\",\"x,y\"\n");
}

TEST_F(CsvFileTest, ColoursAndValidationRulesAreRefusedAndNothingIsWritten) {
  auto book = Open("a\nb\n");
  ASSERT_TRUE(book);
  memhost::Sheet& s = *book->sheets[0];
  Cell coloured = *s.CellAt({1, 1});
  coloured.style = book->styles.Intern(memhost::Style{36, "General", -1});
  s.SetCell({1, 1}, coloured);
  auto saved = SaveWorkbook(*book, dir_ + "/out.csv");
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().kind, FileErrorKind::Unsupported);
  EXPECT_NE(saved.error().message.find(".xlsx"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/out.csv"));

  s.SetCell({1, 1}, Cell{"a", "", 0});
  s.MutableValidations().push_back(memhost::ValidationRule{});
  saved = SaveWorkbook(*book, dir_ + "/out.csv");
  ASSERT_FALSE(saved.ok());
  EXPECT_NE(saved.error().message.find("validation"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/out.csv"));
}

TEST_F(CsvFileTest, BadFilesGetClearMessages) {
  WriteText(dir_ + "/open.csv", "a,\"never closed\n");
  auto book = OpenWorkbook(dir_ + "/open.csv");
  ASSERT_FALSE(book.ok());
  EXPECT_NE(book.error().message.find("open.csv"), std::string::npos);
  EXPECT_NE(book.error().message.find("never closed"), std::string::npos);

  WriteText(dir_ + "/binary.csv", std::string("PK\x03\x04\0\0\0", 7));
  EXPECT_EQ(OpenWorkbook(dir_ + "/binary.csv").error().kind, FileErrorKind::NotAWorkbook);

  OpenOptions small;
  small.limits.maxCells = 3;
  WriteText(dir_ + "/big.csv", "1,2\n3,4\n");
  EXPECT_EQ(OpenWorkbook(dir_ + "/big.csv", small).error().kind, FileErrorKind::TooLarge);
}

}  // namespace
}  // namespace kx::files::test
