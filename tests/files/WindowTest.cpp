// A sheet's part is read a stretch at a time; where the stretches end must not matter. Each
// sheet here is read and rewritten through stretches of a few bytes and of a megabyte, and must
// give the same cells and the same bytes.

#include <gtest/gtest.h>

#include <sstream>

#include "Fixtures.h"
#include "files/Palette.h"
#include "files/SheetReader.h"
#include "files/SheetWalk.h"
#include "files/SheetWriter.h"

namespace kx::files::test {
namespace {

const std::string kTricky =
    "<?xml version=\"1.0\"?>\n<!-- lead --><x:worksheet xmlns:x=\"urn:x\">\n"
    "<x:dimension ref=\"A1:C9\"/>\n<x:sheetViews><x:sheetView><x:selection activeCell=\"B2\" "
    "sqref=\"B2\"/></x:sheetView></x:sheetViews>\n<x:sheetData>\n"
    "<x:row r=\"1\" spans=\"1:3\">\n <x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c>\n <x:c "
    "t=\"s\"><x:v>1</x:v></x:c><x:c><x:v> 5 </x:v></x:c></x:row>\n"
    "<!-- </x:row> </x:sheetData> --><x:row><x:c r=\"B2\" t=\"inlineStr\"><x:is><x:t><![CDATA["
    "a</x:row><b>]]></x:t></x:is></x:c></x:row>\n"
    "<x:row r=\"4\" hidden=\"1\"/><x:row r=\"5\"><x:c r=\"C5\" t=\"str\"><x:f>\"q&gt;\"&amp;A1"
    "</x:f><x:v>q&gt;a</x:v></x:c></x:row>\n<?pi data?>"
    "<x:row r=\"9\" attr='>'><x:c r=\"A9\" s='1'><x:v>45000</x:v></x:c><x:c r=\"B9\"><x:f "
    "t=\"shared\" ref=\"B9:C9\" si=\"3\">A9+1</x:f><x:v>2</x:v></x:c><x:c r=\"C9\"><x:f "
    "t=\"shared\" si=\"3\"/><x:v>3</x:v></x:c></x:row>\n</x:sheetData>\n<x:dataValidations "
    "count=\"1\"><x:dataValidation type=\"whole\" sqref=\"A1:A3\"><x:formula1>1</x:formula1>"
    "</x:dataValidation></x:dataValidations>\n</x:worksheet>\n<!-- trail -->\n";

struct Read {
  memhost::Book book{"b"};
  XlsxSheetSource source;
  std::string cells;  // every cell, hidden row and rule, as text
};

std::unique_ptr<Read> ReadThrough(const std::string& xml, size_t window) {
  static const SharedStrings strings{"apple", "rich text", " spaced ", " "};
  static const std::vector<memhost::StyleId> styles(6, 0);
  static const std::vector<bool> dates{false, true, true, false, false, false};
  auto read = std::make_unique<Read>();
  memhost::Sheet& sheet = read->book.AddSheet("S");
  std::uint64_t budget = 1000;
  SheetReadContext ctx;
  ctx.what = "sheet";
  ctx.sharedStrings = &strings;
  ctx.styleIds = &styles;
  ctx.dateFormats = &dates;
  ctx.cellBudget = &budget;
  ctx.windowBytes = window;
  auto done = ReadSheet(StreamOf(xml), sheet, read->source, ctx);
  EXPECT_TRUE(done.ok()) << done.error().message;
  sheet.ForgetChanges();
  std::ostringstream out;
  for (std::int32_t col : sheet.UsedColumns()) {
    sheet.ForEachInColumn(col, 1, memhost::kMaxRows, [&](std::int32_t row, const memhost::Cell& c) {
      out << row << "," << col << "=" << (c.value.IsText() ? c.value.AsText() : "") << "|"
          << c.value.NumericValue().value_or(-1) << "|" << c.formula << "\n";
    });
  }
  for (std::int32_t row : sheet.HiddenRows()) out << "hidden " << row << "\n";
  out << sheet.validations().size() << " rules, active " << sheet.activeCell.row << ","
      << sheet.activeCell.column << "\n";
  read->cells = out.str();
  return read;
}

std::string RewriteThrough(const std::string& xml, size_t window) {
  auto read = ReadThrough(xml, window);
  memhost::Sheet& sheet = *read->book.sheets[0];
  if (auto used = sheet.UsedArea()) sheet.SetCell({used->firstRow, used->firstColumn}, {});
  sheet.SetCell({7, 2}, memhost::Cell{"new", "", 0});
  sheet.SetRowHidden(2, true);
  memhost::ValidationRule rule;
  rule.areas = {memhost::Area{1, 4, 3, 4}};
  rule.type = 7;
  rule.formula1 = "=D1>0";
  sheet.MutableValidations().push_back(rule);
  auto styles = XlsxStyles::Parse(kStyles, DefaultThemeColors(), "styles");
  EXPECT_TRUE(styles.ok());
  static const SharedStrings strings{"apple", "rich text", " spaced ", " "};
  static const std::vector<bool> dates{false, true, true, false, false, false};
  SheetWriteContext ctx;
  ctx.book = &read->book;
  ctx.sheet = &sheet;
  ctx.source = &read->source;
  ctx.styles = &styles.value();
  ctx.what = "sheet";
  ctx.dateFormats = &dates;
  ctx.sharedStrings = [&]() -> FileResult<const SharedStrings*> { return &strings; };
  ctx.windowBytes = window;
  auto part = RewriteSheet(xml, ctx);
  EXPECT_TRUE(part.ok()) << part.error().message;
  return part.ok() ? part.value().Flatten().value() : "";
}

TEST(Windows, WhereTheStretchesEndDoesNotMatter) {
  const std::string sheets[] = {
      kMainSheet,
      kTricky,
      Sheet("<sheetData><row><c><v>1</v></c></row><row><c t=\"s\"><v>1</v></c></row>"
            "</sheetData>"),
      Sheet("<dimension ref=\"A1\"/><sheetData/><pageMargins left=\"1\"/>"),
  };
  for (const std::string& xml : sheets) {
    SCOPED_TRACE(xml.substr(0, 160));
    std::string cells = ReadThrough(xml, PartWindow::kDefaultStretch)->cells;
    std::string rewritten = RewriteThrough(xml, PartWindow::kDefaultStretch);
    ASSERT_FALSE(rewritten.empty());
    for (size_t window : {1, 2, 3, 7, 64}) {
      EXPECT_EQ(ReadThrough(xml, window)->cells, cells) << "window " << window;
      EXPECT_EQ(RewriteThrough(xml, window), rewritten) << "window " << window;
    }
  }
}

}  // namespace
}  // namespace kx::files::test
