// Files that are missing, not workbooks, damaged or built to exhaust memory: each gets a clear
// message that names the file, and nothing is loaded.

#include <gtest/gtest.h>

#include "Fixtures.h"
#include "files/Files.h"

namespace kx::files::test {
namespace {

struct Hostile {
  const char* name;
  Parts parts;  // written as a package, unless `raw` is set
  std::string raw;
  FileErrorKind kind;
  const char* says;  // part of the message
  Limits limits{};
};

Parts WithSheet(const std::string& sheetXml) {
  BookParts b;
  b.sheets = {{"S", sheetXml}};
  return MakeParts(b);
}

std::vector<Hostile> Cases() {
  Parts noWorkbook = MakeParts(SampleBook());
  noWorkbook.erase(noWorkbook.begin() + 2);  // the workbook part
  Parts truncated;                           // filled below from a real package
  Limits tinyParts;
  tinyParts.maxPartBytes = 1 << 20;
  Limits lowRatio;
  lowRatio.maxRatio = 50;
  // The sheets that test these hold one long cell; without this the cell's own limit comes first.
  tinyParts.maxCellChars = lowRatio.maxCellChars = 1 << 30;
  Limits fewCells;
  fewCells.maxCells = 10;
  std::string bigSheet = Sheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" +
                               std::string(3 << 20, 'a') + "</t></is></c></row></sheetData>");
  std::string manyCells = "<sheetData>";
  for (int r = 1; r <= 20; ++r)
    manyCells += "<row r=\"" + std::to_string(r) + "\"><c><v>1</v></c></row>";
  manyCells += "</sheetData>";
  return {
      {"text file", {}, "just some text", FileErrorKind::NotAWorkbook, "not a workbook"},
      {"encrypted", {}, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), FileErrorKind::Unsupported,
       "password-protected"},
      {"no workbook part", noWorkbook, "", FileErrorKind::NotAWorkbook, "no workbook part"},
      {"entity expansion",
       WithSheet(
           "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 "
           "\"&lol;&lol;&lol;\">]><worksheet><sheetData><row><c t=\"inlineStr\"><is><t>&lol2;</t>"
           "</is></c></row></sheetData></worksheet>"),
       "", FileErrorKind::Damaged, "document type declaration"},
      {"row beyond the sheet",
       WithSheet(Sheet("<sheetData><row r=\"2000000\"><c><v>1</v></c></row></sheetData>")), "",
       FileErrorKind::TooLarge, "outside the sheet"},
      {"column beyond the sheet",
       WithSheet(Sheet("<sheetData><row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row></sheetData>")), "",
       FileErrorKind::Damaged, "XFE1"},
      {"malformed sheet",
       WithSheet(Sheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>1</c></row></sheetData>")), "",
       FileErrorKind::Damaged, "malformed"},
      {"malformed around the rows",
       WithSheet(Sheet("<dimension ref=\"A1\"/=<sheetData><row r=\"1\"/></sheetData>")), "",
       FileErrorKind::Damaged, "malformed"},
      {"not a number",
       WithSheet(Sheet("<sheetData><row r=\"1\"><c r=\"A1\"><v>1x</v></c></row></sheetData>")), "",
       FileErrorKind::Damaged, "where a number belongs"},
      {"missing shared string",
       WithSheet(
           Sheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row></sheetData>")),
       "", FileErrorKind::Damaged, "shared string 5"},
      {"unknown cell format",
       WithSheet(
           Sheet("<sheetData><row r=\"1\"><c r=\"A1\" s=\"9\"><v>5</v></c></row></sheetData>")),
       "", FileErrorKind::Damaged, "cell format"},
      {"part over the size limit", WithSheet(bigSheet), "", FileErrorKind::TooLarge,
       "larger than allowed", tinyParts},
      {"decompression bomb", WithSheet(bigSheet), "", FileErrorKind::TooLarge, "decompression bomb",
       lowRatio},
      {"too many cells", WithSheet(Sheet(manyCells)), "", FileErrorKind::TooLarge, "more cells",
       fewCells},
  };
}

TEST(HostileInput, EachGetsAClearMessageNamingTheFile) {
  std::string dir = ScratchDir();
  for (const Hostile& c : Cases()) {
    SCOPED_TRACE(c.name);
    std::string path = dir + "/bad.xlsx";
    if (c.raw.empty())
      WriteZip(path, c.parts);
    else
      WriteText(path, c.raw);
    OpenOptions options;
    options.limits = c.limits;
    auto book = OpenWorkbook(path, options);
    ASSERT_FALSE(book.ok());
    EXPECT_EQ(book.error().kind, c.kind) << book.error().message;
    EXPECT_NE(book.error().message.find("bad.xlsx"), std::string::npos) << book.error().message;
    EXPECT_NE(book.error().message.find(c.says), std::string::npos) << book.error().message;
  }
}

TEST(HostileInput, MissingTruncatedAndUnknownFiles) {
  std::string dir = ScratchDir();
  auto missing = OpenWorkbook(dir + "/nothing.xlsx");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().kind, FileErrorKind::NotFound);
  EXPECT_NE(missing.error().message.find("nothing.xlsx"), std::string::npos);

  WriteZip(dir + "/whole.xlsx", MakeParts(SampleBook()));
  std::string bytes = ReadText(dir + "/whole.xlsx");
  WriteText(dir + "/cut.xlsx", bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(OpenWorkbook(dir + "/cut.xlsx").ok());
  // A damaged byte in the middle of a stored part is caught by its checksum.
  std::string flipped = bytes;
  flipped[flipped.size() / 3] ^= 0x55;
  WriteText(dir + "/flipped.xlsx", flipped);
  auto damaged = OpenWorkbook(dir + "/flipped.xlsx");
  EXPECT_FALSE(damaged.ok());

  WriteText(dir + "/book.ods", "x");
  auto unknown = OpenWorkbook(dir + "/book.ods");
  ASSERT_FALSE(unknown.ok());
  EXPECT_NE(unknown.error().message.find(".xlsx and .csv"), std::string::npos);
}

}  // namespace
}  // namespace kx::files::test

namespace kx::files::test {
namespace {

TEST(HostileInput, DeepNestingNeitherCrashesNorHangs) {
  std::string dir = ScratchDir();
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<r>";
  deep += "<t>x</t>";
  for (int i = 0; i < 200000; ++i) deep += "</r>";
  BookParts b;
  b.sheets = {{"S", Sheet("<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is>" + deep +
                          "</is></c></row></sheetData>")}};
  WriteZip(dir + "/deep.xlsx", MakeParts(b));
  auto book = OpenWorkbook(dir + "/deep.xlsx");
  // Runs do not nest: the nested text is not part of the cell, and reading ends normally.
  ASSERT_TRUE(book.ok()) << book.error().message;
  EXPECT_EQ(book.value()->sheets[0]->CellAt({1, 1})->value, host::Variant(""));
}

}  // namespace
}  // namespace kx::files::test
