// What a workbook may hold to be opened at all: UTF-8 in every XML part, and no cell text
// longer than the spreadsheet's 32,767 characters, in .xlsx and .csv alike.

#include <gtest/gtest.h>

#include "files/CellText.h"
#include "files/Files.h"
#include "files/Utf8Check.h"
#include "tests/files/Fixtures.h"

namespace kx::files::test {
namespace {

FileResult<std::shared_ptr<memhost::Book>> OpenParts(const std::string& dir, const Parts& parts) {
  WriteZip(dir + "/book.xlsx", parts);
  return OpenWorkbook(dir + "/book.xlsx");
}

Parts OneCell(const std::string& cellXml, const std::string& sharedStrings = "") {
  BookParts b;
  b.sharedStrings = sharedStrings;
  b.sheets = {{"S", Sheet("<sheetData><row r=\"1\">" + cellXml + "</row></sheetData>")}};
  return MakeParts(b);
}

std::string Sst(const std::string& text) {
  return "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>" + text +
         "</t></si></sst>";
}

TEST(Utf8, EveryByteSequenceThatIsNotUtf8IsFound) {
  const char* bad[] = {"\x80", "a\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                       "\xF5\x80\x80\x80", "\xFF", "0123456789\xC3(", "\xE2\x82"};
  for (const char* text : bad) {
    Utf8Check check;
    EXPECT_FALSE(check.Feed(text, strlen(text)) && check.Complete()) << text;
  }
  // Split anywhere between two reads, a valid text stays valid.
  const std::string good = "plain \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 and more ascii";
  for (size_t cut = 0; cut <= good.size(); ++cut) {
    Utf8Check check;
    EXPECT_TRUE(check.Feed(good.data(), cut));
    EXPECT_TRUE(check.Feed(good.data() + cut, good.size() - cut));
    EXPECT_TRUE(check.Complete()) << cut;
  }
}

TEST(Utf8, APartThatIsNotUtf8IsRefusedByName) {
  const std::string dir = ScratchDir();
  for (const auto& [parts, part] :
       {std::pair{OneCell("<c r=\"A1\" t=\"inlineStr\"><is><t>caf\xE9</t></is></c>"),
                  "xl/worksheets/sheet1.xml"},
        std::pair{OneCell("<c r=\"A1\" t=\"s\"><v>0</v></c>", Sst("caf\xE9")),
                  "xl/sharedStrings.xml"}}) {
    auto book = OpenParts(dir, parts);
    ASSERT_FALSE(book.ok());
    EXPECT_EQ(book.error().kind, FileErrorKind::Damaged);
    EXPECT_NE(book.error().message.find(std::string("the part ") + part + " is not valid UTF-8"),
              std::string::npos)
        << book.error().message;
  }
}

TEST(CellLength, OneLimitNamedInTheMessageWhateverTheFormat) {
  const std::string dir = ScratchDir();
  // Characters outside the basic plane count twice, as the spreadsheet counts them.
  const std::string fits = std::string(32765, 'a') + "\xF0\x9F\x98\x80";
  const std::string over = std::string(32766, 'a') + "\xF0\x9F\x98\x80";
  EXPECT_EQ(CharacterCount(fits), 32767u);

  auto accepted = OpenParts(dir, OneCell("<c r=\"A1\" t=\"inlineStr\"><is><t>" + fits +
                                         "</t></is></c>"));
  ASSERT_TRUE(accepted.ok()) << accepted.error().message;

  // A megabyte of one letter inflates from almost nothing: still the cell's limit that speaks.
  const std::string huge(1 << 20, 'a');
  for (const Parts& parts :
       {OneCell("<c r=\"A1\" t=\"inlineStr\"><is><t>" + over + "</t></is></c>"),
        OneCell("<c r=\"A1\" t=\"s\"><v>0</v></c>", Sst(over)),
        OneCell("<c r=\"B2\" t=\"str\"><f>A1</f><v>" + over + "</v></c>"),
        OneCell("<c r=\"A1\" t=\"inlineStr\"><is><t>" + huge + "</t></is></c>"),
        OneCell("<c r=\"A1\" t=\"s\"><v>0</v></c>", Sst(huge))}) {
    auto book = OpenParts(dir, parts);
    ASSERT_FALSE(book.ok());
    EXPECT_EQ(book.error().kind, FileErrorKind::TooLarge);
    EXPECT_NE(book.error().message.find("longer than the 32,767 characters a cell can hold"),
              std::string::npos)
        << book.error().message;
  }

  WriteText(dir + "/fits.csv", "a,\"" + fits + "\"\n");
  EXPECT_TRUE(OpenWorkbook(dir + "/fits.csv").ok());
  WriteText(dir + "/over.csv", "a,b\nc,\"" + over + "\"\n");
  auto csv = OpenWorkbook(dir + "/over.csv");
  ASSERT_FALSE(csv.ok());
  EXPECT_EQ(csv.error().kind, FileErrorKind::TooLarge);
  EXPECT_NE(csv.error().message.find(
                "row 2, column 2 holds a text longer than the 32,767 characters a cell can hold"),
            std::string::npos)
      << csv.error().message;
}

}  // namespace
}  // namespace kx::files::test
