// Reading the sample workbook into the model, and saving it after the changes the add-in makes.

#include <signal.h>
#include <algorithm>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "Fixtures.h"
#include "files/Files.h"

namespace kx::files::test {
namespace {

using host::Variant;
using memhost::Area;
using memhost::Book;
using memhost::Cell;
using memhost::CellPos;

class XlsxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchDir();
    path_ = dir_ + "/sample.xlsx";
    WriteZip(path_, MakeParts(SampleBook()));
    auto opened = OpenWorkbook(path_);
    ASSERT_TRUE(opened.ok()) << opened.error().message;
    book_ = opened.value();
  }
  memhost::Sheet& Data() { return *book_->sheets[0]; }
  const Cell& At(const std::shared_ptr<Book>& book, CellPos p) {
    const Cell* c = book->sheets[0]->CellAt(p);
    static const Cell kBlank;
    return c != nullptr ? *c : kBlank;
  }
  std::int32_t ColorAt(const std::shared_ptr<Book>& book, CellPos p) {
    return book->styles.Get(At(book, p).style).colorIndex;
  }
  std::shared_ptr<Book> SaveAndReopen(const std::string& name = "out.xlsx") {
    std::string out = dir_ + "/" + name;
    auto saved = SaveWorkbook(*book_, out);
    EXPECT_TRUE(saved.ok()) << saved.error().message;
    auto reopened = OpenWorkbook(out);
    EXPECT_TRUE(reopened.ok()) << reopened.error().message;
    return reopened.ok() ? reopened.value() : nullptr;
  }
  void SetColor(CellPos p, std::int32_t colorIndex) {
    Cell c = At(book_, p);
    memhost::Style s = book_->styles.Get(c.style);
    s.colorIndex = colorIndex;
    c.style = book_->styles.Intern(s);
    Data().SetCell(p, c);
  }

  std::string dir_, path_;
  std::shared_ptr<Book> book_;
};

TEST_F(XlsxTest, ReadsValuesOfEveryKind) {
  struct Case {
    CellPos pos;
    Variant value;
  } cases[] = {
      {{1, 1}, "apple"},
      {{1, 2}, "rich text"},
      {{1, 3}, 42.5},
      {{1, 4}, true},
      {{2, 1}, host::Date{45000}},
      {{2, 2}, host::Date{45001.5}},
      {{2, 3}, host::ErrorValue::NA},
      {{2, 4}, "inline"},
      {{6, 1}, "applex"},
      {{6, 2}, 7.0},
      {{6, 4}, " spaced "},
      {{6, 5}, " "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(At(book_, c.pos).value, c.value) << c.pos.row << "," << c.pos.column;
  }
  EXPECT_EQ(book_->name, "sample.xlsx");
  ASSERT_EQ(book_->sheets.size(), 2u);
  EXPECT_EQ(book_->sheets[1]->name(), "Other");
}

TEST_F(XlsxTest, SharedFormulaCellsGetTheirOwnText) {
  EXPECT_EQ(At(book_, {3, 2}).formula, "=A3*2");
  EXPECT_EQ(At(book_, {4, 2}).formula, "=A4*2");
  EXPECT_EQ(At(book_, {5, 2}).formula, "=A5*2");
  EXPECT_EQ(At(book_, {5, 2}).value, Variant(6.0));
  EXPECT_EQ(At(book_, {6, 1}).formula, "=A1&\"x\"");
}

TEST_F(XlsxTest, ReadsFillsFormatsRowsValidationAndView) {
  EXPECT_EQ(ColorAt(book_, {4, 1}), 6);  // FFFF00 is palette yellow
  // Accent 2 (ED7D31) lightened 60% is a light orange; the nearest palette entry is 40.
  EXPECT_EQ(ColorAt(book_, {5, 1}), 40);
  EXPECT_EQ(ColorAt(book_, {1, 1}), host::xl::ColorIndexNone);
  EXPECT_EQ(At(book_, {1, 1}).style, memhost::kDefaultStyle);
  EXPECT_EQ(book_->styles.Get(At(book_, {6, 2}).style).numberFormat, "#,##0.00");
  EXPECT_EQ(book_->styles.Get(At(book_, {6, 2}).style).sourceStyle, 5);
  EXPECT_EQ(Data().HiddenRows(), std::vector<std::int32_t>{2});
  ASSERT_EQ(Data().validations().size(), 1u);
  const auto& rule = Data().validations()[0];
  EXPECT_EQ(rule.type, 3);
  EXPECT_EQ(rule.formula1, "a,b,c");
  EXPECT_EQ(rule.areas, (std::vector<Area>{{1, 1, 6, 1}}));
  EXPECT_EQ(rule.sourceIndex, 0);
  EXPECT_EQ(Data().activeCell, (CellPos{2, 2}));
  EXPECT_EQ(Data().selection, (std::vector<Area>{{2, 2, 3, 3}}));
  EXPECT_FALSE(Data().Changed());
  EXPECT_EQ(Data().UsedArea(), (Area{1, 1, 6, 5}));
}

TEST_F(XlsxTest, SavingUnchangedIsIdenticalPartForPart) {
  std::string out = dir_ + "/same.xlsx";
  ASSERT_TRUE(SaveWorkbook(*book_, out).ok());
  EXPECT_EQ(ReadZip(out), ReadZip(path_));
}

TEST_F(XlsxTest, ColouringAddsOneFillAndFormatAndKeepsTheRest) {
  SetColor({1, 1}, 3);
  SetColor({3, 1}, 3);
  SetColor({6, 2}, 36);  // a format with a number format and alignment
  auto back = SaveAndReopen();
  ASSERT_TRUE(back);
  EXPECT_EQ(ColorAt(back, {1, 1}), 3);
  EXPECT_EQ(ColorAt(back, {3, 1}), 3);
  EXPECT_EQ(At(back, {1, 1}).style, At(back, {3, 1}).style);  // one format for both
  EXPECT_EQ(At(back, {1, 1}).value, Variant("apple"));
  EXPECT_EQ(ColorAt(back, {6, 2}), 36);
  EXPECT_EQ(back->styles.Get(At(back, {6, 2}).style).numberFormat, "#,##0.00");

  auto parts = ReadZip(dir_ + "/out.xlsx");
  const std::string& styles = parts["xl/styles.xml"];
  // Existing entries stay as they were; two fills and two formats are added.
  EXPECT_NE(styles.find(kStyles.substr(kStyles.find("<fill>"),
                                       kStyles.find("</fills>") - kStyles.find("<fill>"))),
            std::string::npos);
  EXPECT_NE(styles.find("<fills count=\"6\">"), std::string::npos);
  EXPECT_NE(styles.find("<cellXfs count=\"8\">"), std::string::npos);
  EXPECT_NE(styles.find("<fgColor indexed=\"10\"/>"), std::string::npos);
  EXPECT_NE(styles.find("<alignment horizontal=\"center\"/></xf></cellXfs>"), std::string::npos);
  // Untouched rows are the original bytes; A1 keeps its shared string.
  const std::string& sheet = parts["xl/worksheets/sheet1.xml"];
  EXPECT_NE(sheet.find("<c r=\"A1\" t=\"s\" s=\"6\"><v>0</v></c>"), std::string::npos);
  EXPECT_NE(sheet.find("<row r=\"4\"><c r=\"A4\" s=\"3\"><v>2</v></c>"), std::string::npos);
  // Colouring changes no formula: the calculation chain stays.
  EXPECT_EQ(parts.count("xl/calcChain.xml"), 1u);
  EXPECT_EQ(parts["xl/worksheets/sheet2.xml"], kOtherSheet);
}

TEST_F(XlsxTest, ClearingTheFirstCellOfASharedFormulaKeepsTheOthersWorking) {
  Data().SetCell({3, 2}, Cell{});
  book_->needsRecalculation = true;
  auto back = SaveAndReopen();
  ASSERT_TRUE(back);
  EXPECT_EQ(At(back, {3, 2}), Cell{});
  EXPECT_EQ(At(back, {4, 2}).formula, "=A4*2");
  EXPECT_EQ(At(back, {5, 2}).formula, "=A5*2");
  EXPECT_EQ(At(back, {5, 2}).value, Variant(6.0));
  auto parts = ReadZip(dir_ + "/out.xlsx");
  EXPECT_EQ(parts["xl/worksheets/sheet1.xml"].find("si=\"0\""), std::string::npos);
  EXPECT_NE(parts["xl/worksheets/sheet1.xml"].find("<dimension ref=\"A1:E6\"/>"),
            std::string::npos);
  // The stale calculation chain is gone, with its relationship and content type.
  EXPECT_EQ(parts.count("xl/calcChain.xml"), 0u);
  EXPECT_EQ(parts["xl/_rels/workbook.xml.rels"].find("calcChain"), std::string::npos);
  EXPECT_EQ(parts["[Content_Types].xml"].find("calcChain"), std::string::npos);
  EXPECT_NE(parts["xl/workbook.xml"].find("<calcPr calcId=\"191029\" fullCalcOnLoad=\"1\"/>"),
            std::string::npos);
}

TEST_F(XlsxTest, WritesNewValuesRowsAndHiddenRows) {
  Data().SetCell({6, 3}, Cell{"new <text> & more", "", 0});
  Data().SetCell({8, 2}, Cell{12.25, "", 0});
  Data().SetCell({8, 5}, Cell{false, "", 0});
  Data().SetCell({9, 1}, Cell{3.0, "=A3*3", 0});
  Data().SetCell({2, 1}, Cell{});
  Data().SetRowHidden(2, false);
  Data().SetRowHidden(4, true);
  Data().SetRowHidden(12, true);
  auto back = SaveAndReopen();
  ASSERT_TRUE(back);
  EXPECT_EQ(At(back, {6, 2}).value, Variant(7.0));  // the cell without a reference stays in B
  EXPECT_EQ(At(back, {6, 3}).value, Variant("new <text> & more"));
  EXPECT_EQ(At(back, {6, 4}).value, Variant(" spaced "));
  EXPECT_EQ(At(back, {8, 2}).value, Variant(12.25));
  EXPECT_EQ(At(back, {8, 5}).value, Variant(false));
  EXPECT_EQ(At(back, {9, 1}).formula, "=A3*3");
  EXPECT_EQ(At(back, {2, 1}), Cell{});
  EXPECT_EQ(At(back, {2, 2}).value, Variant(host::Date{45001.5}));
  EXPECT_EQ(back->sheets[0]->HiddenRows(), (std::vector<std::int32_t>{4, 12}));
  EXPECT_EQ(back->sheets[0]->UsedArea(), (Area{1, 1, 9, 5}));
  auto parts = ReadZip(dir_ + "/out.xlsx");
  EXPECT_NE(parts["xl/worksheets/sheet1.xml"].find(kRow1), std::string::npos);
}

TEST_F(XlsxTest, ValidationRulesKeepUntouchedOnesAndAddNewOnes) {
  auto& rules = Data().MutableValidations();
  memhost::ValidationRule rule;
  rule.areas = {Area{1, 3, memhost::kMaxRows, 3}};
  rule.type = host::xl::ValidateCustom;
  rule.formula1 = "=COUNTIF($C:$C,C1)=1";
  rule.errorTitle = "Duplicate";
  rule.errorMessage = "Already \"there\"";
  rules.push_back(rule);
  auto back = SaveAndReopen();
  ASSERT_TRUE(back);
  const auto& read = back->sheets[0]->validations();
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].formula1, "a,b,c");
  EXPECT_EQ(read[1].formula1, rule.formula1);
  EXPECT_EQ(read[1].areas, rule.areas);
  EXPECT_EQ(read[1].errorMessage, rule.errorMessage);
  EXPECT_EQ(read[1].type, rule.type);

  // Removing every rule removes the list.
  book_ = back;
  Data().MutableValidations().clear();
  auto cleared = SaveAndReopen("cleared.xlsx");
  ASSERT_TRUE(cleared);
  EXPECT_TRUE(cleared->sheets[0]->validations().empty());
  EXPECT_EQ(ReadZip(dir_ + "/cleared.xlsx")["xl/worksheets/sheet1.xml"].find("dataValidation"),
            std::string::npos);
}

TEST_F(XlsxTest, AFailedSaveLeavesTheTargetAlone) {
  std::string target = dir_ + "/target.xlsx";
  WriteText(target, "precious");
  book_->sheets[1]->set_name("Renamed");
  auto saved = SaveWorkbook(*book_, target);
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().kind, FileErrorKind::Unsupported);
  EXPECT_NE(saved.error().message.find("target.xlsx"), std::string::npos);
  EXPECT_EQ(ReadText(target), "precious");
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 2u);  // no temporary file left behind

  auto nowhere = SaveWorkbook(*book_, dir_ + "/missing/dir/out.xlsx");
  EXPECT_FALSE(nowhere.ok());
}

// Plain rows are read straight from the text and the rest by the XML parser: each form of row
// must read the same either way.
TEST(RowForms, EachReadsAsTheParserReadsIt) {
  struct Case {
    const char* rows;
    CellPos pos;
    Variant value;
    const char* formula;
  } cases[] = {
      {"<row r=\"2\"><c r=\"B2\"><v>1.5</v></c></row>", {2, 2}, 1.5, ""},
      {"<row r=\"2\" spans=\"1:2\" x14ac:dyDescent=\"0.25\">\n  <c r=\"B2\" s=\"0\" t=\"n\">\n"
       "    <v> 7 </v>\n  </c>\n</row>",
       {2, 2}, 7.0, ""},
      {"<row><c/><c t=\"s\"><v>0</v></c></row>", {1, 2}, "apple", ""},
      {"<row r='3'><c r='C3' t='b'><v>1</v></c></row>", {3, 3}, true, ""},
      {"<row r=\"1\"><c r=\"A1\" t=\"e\"><v>#N/A</v></c></row>", {1, 1}, host::ErrorValue::NA, ""},
      {"<row r=\"1\"><c r=\"A1\" t=\"str\"><v>a&amp;b</v></c></row>", {1, 1}, "a&b", ""},
      {"<row r=\"1\"><c r=\"A1\" t=\"str\"><v>a_x000D_b</v></c></row>", {1, 1}, "a\rb", ""},
      {"<row r=\"1\"><c r=\"A1\"><v/></c><c r=\"B1\"><v></v></c><c r=\"C1\"><v>2</v></c></row>",
       {1, 3}, 2.0, ""},
      {"<row r=\"1\"><c r=\"A1\"><f>1+1</f><v>2</v></c></row>", {1, 1}, 2.0, "=1+1"},
      {"<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t> x </t></is></c></row>", {1, 1}, " x ", ""},
      {"<row r=\"1\"><c r=\"A1\" t=\"str\"><v><![CDATA[<tag>]]></v></c></row>", {1, 1}, "<tag>", ""},
      {"<row r=\"1\"><!-- note --><c r=\"A1\"><v>3</v></c></row>", {1, 1}, 3.0, ""},
      {"<row r=\"1\"><c r=\"A1\" t=\"str\"><v> </v></c></row>", {1, 1}, " ", ""},
      {"<row r=\"1\"><c r=\"A1\" t=\"d\"><v>2024-01-05T12:00:00</v></c></row>", {1, 1},
       host::Date{45296.5}, ""},
      {"<row r=\"0005\" hidden=\"true\"><c><v>4</v></c></row>", {5, 1}, 4.0, ""},
  };
  std::string dir = ScratchDir();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    BookParts b;
    b.styles = kStyles;
    b.sharedStrings = kSharedStrings;
    b.sheets = {{"S", Sheet(std::string("<sheetData>") + c.rows + "</sheetData>")}};
    WriteZip(dir + "/rows.xlsx", MakeParts(b));
    auto book = OpenWorkbook(dir + "/rows.xlsx");
    ASSERT_TRUE(book.ok()) << book.error().message;
    const Cell* cell = book.value()->sheets[0]->CellAt(c.pos);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->value, c.value);
    EXPECT_EQ(cell->formula, c.formula);
  }
}

// Shared strings are read straight from the text when plain and by the parser otherwise.
TEST(SharedStringForms, EachReadsAsTheParserReadsIt) {
  struct Case {
    const char* item;
    const char* text;
  } cases[] = {
      {"<si><t>plain</t></si>", "plain"},
      {"<si><t xml:space=\"preserve\"> spaced </t></si>", " spaced "},
      {"<si><t> </t></si>", " "},
      {"<si><t></t></si>", ""},
      {"<si><t/></si>", ""},
      {"<si><t>a&amp;b&#233;</t></si>", "a&b\xC3\xA9"},
      {"<si><t>line_x000D_end</t></si>", "line\rend"},
      {"<si><r><t>ri</t></r><r><rPr><b/></rPr><t>ch</t></r></si>", "rich"},
      {"<si><t>base</t><rPh sb=\"0\" eb=\"1\"><t>guide</t></rPh></si>", "base"},
      {"<si><t><![CDATA[<cdata>]]></t></si>", "<cdata>"},
      {"<si>\n  <t>indented</t>\n</si>", "indented"},
  };
  std::string dir = ScratchDir();
  std::string items, rows;
  for (size_t i = 0; i < std::size(cases); ++i) {
    items += cases[i].item;
    rows += "<row r=\"" + std::to_string(i + 1) + "\"><c t=\"s\"><v>" + std::to_string(i) +
            "</v></c></row>";
  }
  BookParts b;
  b.styles = kStyles;
  b.sharedStrings = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                    items + "</sst>";
  b.sheets = {{"S", Sheet("<sheetData>" + rows + "</sheetData>")}};
  WriteZip(dir + "/strings.xlsx", MakeParts(b));
  auto book = OpenWorkbook(dir + "/strings.xlsx");
  ASSERT_TRUE(book.ok()) << book.error().message;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Cell* cell = book.value()->sheets[0]->CellAt({static_cast<std::int32_t>(i + 1), 1});
    ASSERT_NE(cell, nullptr) << cases[i].item;
    EXPECT_EQ(cell->value, Variant(cases[i].text)) << cases[i].item;
  }
}

// A sheet of many rows with numbers that hardly compress, so that its part is large.
std::string ManyRows(std::int32_t rows) {
  std::string data;
  std::uint64_t seed = 7;
  for (std::int32_t r = 1; r <= rows; ++r) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    std::string n = std::to_string(r);
    data += "<row r=\"" + n + "\" spans=\"1:2\"><c r=\"A" + n + "\"><v>" +
            std::to_string(seed >> 20) + "</v></c><c r=\"B" + n + "\" t=\"s\"><v>0</v></c></row>";
  }
  return data;
}

TEST(BigSheet, ClearingEveryThirdRowRewritesOnlyThoseRowsByteForByte) {
  std::string dir = ScratchDir();
  const std::int32_t rows = 30000;
  std::string data = ManyRows(rows);
  BookParts b;
  b.styles = kStyles;
  b.sharedStrings = kSharedStrings;
  b.sheets = {{"S", Sheet("<dimension ref=\"A1:B30000\"/><sheetData>" + data +
                          "</sheetData><pageMargins left=\"1\"/>")}};
  WriteZip(dir + "/big.xlsx", MakeParts(b));
  auto book = OpenWorkbook(dir + "/big.xlsx");
  ASSERT_TRUE(book.ok()) << book.error().message;
  memhost::Sheet& sheet = *book.value()->sheets[0];
  std::string expected;
  size_t at = 0;
  for (std::int32_t r = 1; r <= rows; ++r) {
    size_t end = data.find("</row>", at) + 6;
    std::string n = std::to_string(r);
    if (r % 3 == 0) {
      sheet.SetCell({r, 2}, Cell{});
      expected += data.substr(at, data.find("<c r=\"B", at) - at) + "</row>";
      expected.replace(expected.find(" spans=\"1:2\"", expected.size() - 80), 12, "");
    } else {
      expected += data.substr(at, end - at);
    }
    at = end;
  }
  sheet.SetCell({rows + 2, 1}, Cell{1.5, "", 0});
  expected += "<row r=\"" + std::to_string(rows + 2) + "\"><c r=\"A" + std::to_string(rows + 2) +
              "\"><v>1.5</v></c></row>";
  ASSERT_TRUE(SaveWorkbook(*book.value(), dir + "/out.xlsx").ok());
  std::string saved = ReadZip(dir + "/out.xlsx")["xl/worksheets/sheet1.xml"];
  expected = Sheet("<dimension ref=\"A1:B30002\"/><sheetData>" + expected +
                   "</sheetData><pageMargins left=\"1\"/>");
  // Where they differ, not two texts of megabytes.
  auto differ = std::mismatch(saved.begin(), saved.end(), expected.begin(), expected.end());
  size_t from = static_cast<size_t>(differ.first - saved.begin());
  from = from > 60 ? from - 60 : 0;
  EXPECT_EQ(saved.size(), expected.size());
  EXPECT_EQ(saved.substr(from, 120), expected.substr(from, 120));
}

// What surrounds the rows, and a single row, may each be larger than the stretch of a sheet
// that is read at a time.
TEST(BigSheet, LongHeadsRowsAndTailsReadAndSaveWhole) {
  std::string dir = ScratchDir();
  std::string cols = "<cols>", merges = "<mergeCells count=\"40000\">";
  for (int i = 1; i <= 40000; ++i) {
    cols += "<col min=\"" + std::to_string(i % 16000 + 1) + "\" max=\"" +
            std::to_string(i % 16000 + 1) + "\" width=\"9\"/>";
    merges += "<mergeCell ref=\"D" + std::to_string(2 * i) + ":E" + std::to_string(2 * i) + "\"/>";
  }
  cols += "</cols>";
  merges += "</mergeCells>";
  std::string longText(3 << 20, 'x');
  std::string rows = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + longText +
                     "</t></is></c></row>";
  for (int r = 2; r <= 30000; ++r) {
    std::string n = std::to_string(r);
    rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c></row>";
  }
  std::string head = "<dimension ref=\"A1:A30000\"/>" + cols + "<sheetData>";
  std::string tail = "</sheetData>" + merges + "<pageMargins left=\"1\"/>";
  BookParts b;
  b.styles = kStyles;
  b.sheets = {{"S", Sheet(head + rows + tail)}};
  WriteZip(dir + "/long.xlsx", MakeParts(b));
  OpenOptions options;
  options.limits.maxCellChars = 4 << 20;  // a row longer than the window, not a normal cell
  auto book = OpenWorkbook(dir + "/long.xlsx", options);
  ASSERT_TRUE(book.ok()) << book.error().message;
  memhost::Sheet& sheet = *book.value()->sheets[0];
  EXPECT_EQ(sheet.CellAt({1, 1})->value, Variant(longText));
  EXPECT_EQ(sheet.CellAt({30000, 1})->value, Variant(30000.0));
  EXPECT_EQ(sheet.CellCount(), 30000u);

  sheet.SetCell({2, 1}, Cell{});
  ASSERT_TRUE(SaveWorkbook(*book.value(), dir + "/out.xlsx").ok());
  std::string saved = ReadZip(dir + "/out.xlsx")["xl/worksheets/sheet1.xml"];
  std::string expected = rows;
  expected.replace(expected.find("<row r=\"2\">"), 39, "<row r=\"2\"></row>");
  EXPECT_EQ(saved.size(), Sheet(head + expected + tail).size());
  EXPECT_TRUE(saved == Sheet(head + expected + tail));
}

TEST(BigSheet, ADiskFillingUpPartWayThroughTheSaveLeavesTheTargetAlone) {
  std::string dir = ScratchDir();
  BookParts b;
  b.styles = kStyles;
  b.sharedStrings = kSharedStrings;
  b.sheets = {{"S", Sheet("<sheetData>" + ManyRows(20000) + "</sheetData>")}};
  std::string target = dir + "/target.xlsx";
  WriteZip(target, MakeParts(b));
  std::string before = ReadText(target);
  ASSERT_GT(before.size(), 200000u);
  auto book = OpenWorkbook(target);
  ASSERT_TRUE(book.ok()) << book.error().message;
  book.value()->sheets[0]->SetCell({5, 1}, Cell{});

  // Files may grow to 64 KiB only: writing the new package fails part-way through the sheet.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  auto saved = SaveWorkbook(*book.value(), target);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);

  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().kind, FileErrorKind::WriteFailed);
  EXPECT_NE(saved.error().message.find("target.xlsx"), std::string::npos);
  EXPECT_EQ(ReadText(target), before);
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 1u);  // no temporary file left behind
}

TEST_F(XlsxTest, SavingOverTheFileItCameFromWorks) {
  SetColor({1, 1}, 5);
  ASSERT_TRUE(SaveWorkbook(*book_, path_).ok());
  auto back = OpenWorkbook(path_);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.value()->styles.Get(back.value()->sheets[0]->CellAt({1, 1})->style).colorIndex, 5);
}

TEST(XlsxDates, Workbooks1904CountFromThe1904Epoch) {
  std::string dir = ScratchDir();
  BookParts b;
  b.workbookPr = "<workbookPr date1904=\"1\"/>";
  b.styles = kStyles;
  b.sheets = {{"S", Sheet("<sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>0</v></c>"
                          "<c r=\"B1\" t=\"d\"><v>2024-01-05T12:00:00</v></c></row></sheetData>")}};
  WriteZip(dir + "/d.xlsx", MakeParts(b));
  auto book = OpenWorkbook(dir + "/d.xlsx");
  ASSERT_TRUE(book.ok()) << book.error().message;
  EXPECT_EQ(book.value()->sheets[0]->CellAt({1, 1})->value, Variant(host::Date{1462}));
  EXPECT_EQ(book.value()->sheets[0]->CellAt({1, 2})->value, Variant(host::Date{45296.5}));
}

}  // namespace
}  // namespace kx::files::test

namespace kx::files::test {
namespace {

class ArrayFormulaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ScratchDir();
    BookParts b;
    b.styles = kStyles;
    b.sheets = {{"S", Sheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c>"
                            "<c r=\"C1\"><f t=\"array\" ref=\"C1:C2\">A1:A2*2</f><v>2</v></c></row>"
                            "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"C2\"><v>4</v></c></row>"
                            "</sheetData>")}};
    WriteZip(dir_ + "/a.xlsx", MakeParts(b));
    auto opened = OpenWorkbook(dir_ + "/a.xlsx");
    ASSERT_TRUE(opened.ok()) << opened.error().message;
    book_ = opened.value();
  }
  std::string SavedSheet() {
    auto saved = SaveWorkbook(*book_, dir_ + "/out.xlsx");
    EXPECT_TRUE(saved.ok()) << saved.error().message;
    return ReadZip(dir_ + "/out.xlsx")["xl/worksheets/sheet1.xml"];
  }
  std::string dir_;
  std::shared_ptr<memhost::Book> book_;
};

TEST_F(ArrayFormulaTest, EveryCellShowsTheArrayFormula) {
  EXPECT_EQ(book_->sheets[0]->CellAt({2, 3})->formula, "=A1:A2*2");
  EXPECT_EQ(book_->sheets[0]->CellAt({2, 3})->value, host::Variant(4.0));
}

TEST_F(ArrayFormulaTest, ColouringAMemberKeepsTheArray) {
  memhost::Cell c = *book_->sheets[0]->CellAt({2, 3});
  c.style = book_->styles.Intern(memhost::Style{3, "General", 0});
  book_->sheets[0]->SetCell({2, 3}, c);
  std::string sheet = SavedSheet();
  EXPECT_NE(sheet.find("<c r=\"C2\" s=\"6\"><v>4</v></c>"), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("<f t=\"array\" ref=\"C1:C2\">"), std::string::npos);
}

TEST_F(ArrayFormulaTest, ClearingTheArraysFirstCellLeavesTheOthersTheirValues) {
  book_->sheets[0]->SetCell({1, 3}, memhost::Cell{});
  std::string sheet = SavedSheet();
  EXPECT_EQ(sheet.find("<f"), std::string::npos) << sheet;
  auto back = OpenWorkbook(dir_ + "/out.xlsx");
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.value()->sheets[0]->CellAt({2, 3})->value, host::Variant(4.0));
  EXPECT_EQ(back.value()->sheets[0]->CellAt({1, 3}), nullptr);
}

}  // namespace
}  // namespace kx::files::test

namespace kx::files::test {
namespace {

TEST(NewWorkbook, ABookMadeHereSavesAsXlsxWithEverythingInIt) {
  std::string dir = ScratchDir();
  memhost::Book book("Book1");
  memhost::Sheet& first = book.AddSheet("Sheet1");
  book.AddSheet("R&D <2>").LoadCell({1, 1}, memhost::Cell{"x", "", 0});
  memhost::StyleId dateStyle =
      book.styles.Intern(memhost::Style{host::xl::ColorIndexNone, "m/d/yyyy", -1});
  memhost::StyleId yellow = book.styles.Intern(memhost::Style{6, "General", -1});
  first.SetCell({1, 1}, memhost::Cell{"name", "", 0});
  first.SetCell({2, 1}, memhost::Cell{1.5, "", yellow});
  first.SetCell({3, 2}, memhost::Cell{host::Date{45000}, "", dateStyle});
  first.SetCell({4, 1}, memhost::Cell{3.0, "=A2*2", 0});
  first.SetRowHidden(3, true);
  memhost::ValidationRule rule;
  rule.areas = {memhost::Area{1, 1, 10, 1}};
  rule.type = host::xl::ValidateCustom;
  rule.formula1 = "=COUNTIF($A$1:$A$10,A1)=1";
  first.MutableValidations().push_back(rule);
  book.activeSheet = 1;

  auto saved = SaveWorkbook(book, dir + "/new.xlsx");
  ASSERT_TRUE(saved.ok()) << saved.error().message;
  auto back = OpenWorkbook(dir + "/new.xlsx");
  ASSERT_TRUE(back.ok()) << back.error().message;
  const memhost::Book& b = *back.value();
  ASSERT_EQ(b.sheets.size(), 2u);
  EXPECT_EQ(b.sheets[1]->name(), "R&D <2>");
  EXPECT_EQ(b.activeSheet, 1u);
  const memhost::Sheet& s = *b.sheets[0];
  EXPECT_EQ(s.CellAt({1, 1})->value, host::Variant("name"));
  EXPECT_EQ(b.styles.Get(s.CellAt({2, 1})->style).colorIndex, 6);
  EXPECT_EQ(s.CellAt({3, 2})->value, host::Variant(host::Date{45000}));
  EXPECT_EQ(b.styles.Get(s.CellAt({3, 2})->style).numberFormat, "m/d/yyyy");
  EXPECT_EQ(s.CellAt({4, 1})->formula, "=A2*2");
  EXPECT_EQ(s.HiddenRows(), std::vector<std::int32_t>{3});
  ASSERT_EQ(s.validations().size(), 1u);
  EXPECT_EQ(s.validations()[0].formula1, rule.formula1);
}

TEST(NewWorkbook, ACsvBookSavesAsXlsx) {
  std::string dir = ScratchDir();
  WriteText(dir + "/in.csv", "a,007\nTRUE,\"x,y\"\n");
  auto book = OpenWorkbook(dir + "/in.csv");
  ASSERT_TRUE(book.ok());
  ASSERT_TRUE(SaveWorkbook(*book.value(), dir + "/out.xlsx").ok());
  auto back = OpenWorkbook(dir + "/out.xlsx");
  ASSERT_TRUE(back.ok()) << back.error().message;
  EXPECT_EQ(back.value()->sheets[0]->name(), "in");
  EXPECT_EQ(back.value()->sheets[0]->CellAt({1, 2})->value, host::Variant(7.0));
  EXPECT_EQ(back.value()->sheets[0]->CellAt({2, 2})->value, host::Variant("x,y"));
  EXPECT_EQ(back.value()->sheets[0]->CellAt({2, 1})->value, host::Variant(true));
}

}  // namespace
}  // namespace kx::files::test
