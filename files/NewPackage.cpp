#include "files/NewPackage.h"

#include <zip.h>

#include <cstdio>
#include <vector>

#include "files/XmlScan.h"

namespace kx::files {

namespace {
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const std::string kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const std::string kType = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

// The parts' bytes as a zip file, built in memory.
FileResult<std::string> Zip(const std::vector<std::pair<std::string, std::string>>& parts,
                            const std::string& targetName) {
  FileError failed{FileErrorKind::WriteFailed, targetName + ": cannot build the package"};
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_error_fini(&error);
  if (buffer == nullptr) return failed;
  zip_source_keep(buffer);
  zip_t* z = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  if (z == nullptr) {
    zip_source_free(buffer);
    return failed;
  }
  for (const auto& [name, content] : parts) {
    zip_source_t* src = zip_source_buffer(z, content.data(), content.size(), 0);
    if (src == nullptr || zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8) < 0) {
      zip_discard(z);
      zip_source_free(buffer);
      return failed;
    }
  }
  if (zip_close(z) != 0) {
    zip_discard(z);
    zip_source_free(buffer);
    return failed;
  }
  std::string bytes;
  if (zip_source_open(buffer) == 0) {
    zip_source_seek(buffer, 0, SEEK_END);
    zip_int64_t size = zip_source_tell(buffer);
    zip_source_seek(buffer, 0, SEEK_SET);
    if (size > 0) {
      bytes.resize(static_cast<size_t>(size));
      zip_source_read(buffer, bytes.data(), static_cast<zip_uint64_t>(size));
    }
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  if (bytes.empty()) return failed;
  return bytes;
}
}  // namespace

FileResult<std::shared_ptr<XlsxSource>> EmptyPackageFor(const memhost::Book& book,
                                                        const std::string& targetName) {
  auto source = std::make_shared<XlsxSource>();
  source->workbookPart = "xl/workbook.xml";
  source->stylesPart = "xl/styles.xml";
  std::string types =
      kDeclaration +
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
      kType +
      "sheet.main+xml\"/>"
      "<Override PartName=\"/xl/styles.xml\" ContentType=\"" +
      kType + "styles+xml\"/>";
  std::string rels =
      kDeclaration +
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rIdStyles\" Type=\"" +
      kRel + "/styles\" Target=\"styles.xml\"/>";
  std::string sheets;
  std::vector<std::pair<std::string, std::string>> parts;
  for (size_t i = 0; i < book.sheets.size(); ++i) {
    std::string n = std::to_string(i + 1);
    std::string part = "xl/worksheets/sheet" + n + ".xml";
    types += "<Override PartName=\"/" + part + "\" ContentType=\"" + kType + "worksheet+xml\"/>";
    rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRel +
            "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
    sheets += "<sheet name=\"" + EscapeXml(book.sheets[i]->name()) + "\" sheetId=\"" + n +
              "\" r:id=\"rId" + n + "\"/>";
    parts.push_back({part, kDeclaration + "<worksheet xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel +
                               "\"><dimension ref=\"A1\"/><sheetData/></worksheet>"});
    source->sheets.push_back({book.sheets[i]->name(), part, {}, {}, {}});
  }
  types += "</Types>";
  rels += "</Relationships>";
  parts.insert(
      parts.begin(),
      {{"[Content_Types].xml", types},
       {"_rels/.rels",
        kDeclaration +
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"" +
            kRel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
       {"xl/workbook.xml", kDeclaration + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRel +
                               "\"><bookViews><workbookView activeTab=\"" +
                               std::to_string(book.activeSheet) + "\"/></bookViews><sheets>" +
                               sheets + "</sheets></workbook>"},
       {"xl/_rels/workbook.xml.rels", rels},
       {"xl/styles.xml",
        kDeclaration + "<styleSheet xmlns=\"" + kMain +
            "\">"
            "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family "
            "val=\"2\"/></font></fonts>"
            "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
            "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
            "<borders "
            "count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
            "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
            "borderId=\"0\"/></cellStyleXfs>"
            "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
            "xfId=\"0\"/></cellXfs>"
            "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
            "builtinId=\"0\"/></cellStyles>"
            "</styleSheet>"}});
  source->bytes = std::make_shared<const std::string>(KX_TRY(Zip(parts, targetName)));
  return source;
}

}  // namespace kx::files
