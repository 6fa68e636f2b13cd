// Opening and saving a workbook with one column of 1,000,000 distinct strings.
//
//   files_bench generate big.xlsx [rows]   writes the workbook
//   files_bench open big.xlsx              opens it and reports the time
//   files_bench save big.xlsx out.xlsx     opens it, colours and clears 1% of the cells, saves
//
// Run each under /usr/bin/time -v to see the peak memory of that step alone.

#include <zip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/Files.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

int Generate(const std::string& path, int rows) {
  std::string sheet =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><dimension ref=\"A1:A" +
      std::to_string(rows) + "\"/><sheetData>";
  std::string strings =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst "
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
      std::to_string(rows) + "\" uniqueCount=\"" + std::to_string(rows) + "\">";
  for (int r = 1; r <= rows; ++r) {
    std::string n = std::to_string(r);
    sheet += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>" + std::to_string(r - 1) +
             "</v></c></row>";
    strings += "<si><t>customer-" + std::to_string(std::int64_t{r} * 7919 % rows) + "</t></si>";
  }
  sheet += "</sheetData></worksheet>";
  strings += "</sst>";
  const std::string rt = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  std::string parts[][2] = {
      {"[Content_Types].xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
       "Extension=\"rels\" "
       "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default "
       "Extension=\"xml\" "
       "ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/"
       ">"
       "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
       "<Override PartName=\"/xl/sharedStrings.xml\" "
       "ContentType=\"application/"
       "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
       "<Override PartName=\"/xl/styles.xml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/></"
       "Types>"},
      {"_rels/.rels",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
       "Id=\"rId1\" "
       "Type=\"" +
           rt + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook "
       "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
       "xmlns:r=\"" +
           rt.substr(0, rt.size() - 1) +
           "\"><sheets><sheet name=\"Customers\" sheetId=\"1\" "
           "r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"" +
           rt +
           "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
           "<Relationship Id=\"rId2\" Type=\"" +
           rt +
           "sharedStrings\" Target=\"sharedStrings.xml\"/>"
           "<Relationship Id=\"rId3\" Type=\"" +
           rt + "styles\" Target=\"styles.xml\"/></Relationships>"},
      {"xl/styles.xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet "
       "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><fonts "
       "count=\"1\"><font/></fonts>"
       "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
       "patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border/></borders><cellXfs "
       "count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
       "borderId=\"0\"/></cellXfs></styleSheet>"},
      {"xl/worksheets/sheet1.xml", sheet},
      {"xl/sharedStrings.xml", strings},
  };
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (z == nullptr) return 1;
  for (auto& [name, content] : parts) {
    zip_file_add(z, name.c_str(), zip_source_buffer(z, content.data(), content.size(), 0), 0);
  }
  return zip_close(z) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: files_bench generate|open|save FILE [OUT|ROWS]\n");
    return 2;
  }
  std::string command = argv[1], path = argv[2];
  if (command == "generate") return Generate(path, argc > 3 ? std::atoi(argv[3]) : 1000000);
  auto start = Clock::now();
  auto book = kx::files::OpenWorkbook(path);
  if (!book.ok()) {
    std::fprintf(stderr, "%s\n", book.error().message.c_str());
    return 1;
  }
  std::printf("open: %.2f s, %zu cells\n", Seconds(start), book.value()->sheets[0]->CellCount());
  if (command != "save" || argc < 4) return 0;
  kx::memhost::Book& b = *book.value();
  kx::memhost::Sheet& sheet = *b.sheets[0];
  kx::memhost::StyleId red = b.styles.Intern(kx::memhost::Style{3, "General", 0});
  for (std::int32_t row = 1; row <= 1000000; row += 100) {
    const kx::memhost::Cell* cell = sheet.CellAt({row, 1});
    if (cell == nullptr) continue;
    kx::memhost::Cell changed = *cell;
    if (row % 200 == 1)
      changed.style = red;
    else
      changed = {};
    sheet.SetCell({row, 1}, changed);
  }
  start = Clock::now();
  auto saved = kx::files::SaveWorkbook(b, argv[3]);
  if (!saved.ok()) {
    std::fprintf(stderr, "%s\n", saved.error().message.c_str());
    return 1;
  }
  std::printf("save: %.2f s (%zu changed cells)\n", Seconds(start), sheet.changes().cells.size());
  return 0;
}
