#include <pugixml.hpp>

#include <algorithm>
#include <set>

#include "files/Palette.h"
#include "files/Relationships.h"
#include "files/SheetReader.h"
#include "files/Xlsx.h"
#include "files/XlsxSource.h"
#include "files/XlsxStyles.h"
#include "files/XmlScan.h"
#include "files/ZipPackage.h"
#include "memhost/model/NumberFormat.h"

namespace kx::files {

FileResult<void> CheckPartXml(std::string_view xml, const std::string& what) {
  if (xml.size() >= 2 &&
      ((xml[0] == '\xFF' && xml[1] == '\xFE') || (xml[0] == '\xFE' && xml[1] == '\xFF'))) {
    return FileError{FileErrorKind::Unsupported,
                     what + " is written in UTF-16, which is not supported"};
  }
  // A declaration can only come before the root element; look at the prolog only.
  std::string_view prolog = xml.substr(0, std::min<size_t>(xml.size(), 4096));
  if (prolog.find("<!DOCTYPE") != std::string_view::npos ||
      prolog.find("<!ENTITY") != std::string_view::npos) {
    return FileError{FileErrorKind::Damaged,
                     what + " contains a document type declaration, which workbooks never have"};
  }
  return {};
}

namespace {
FileError NotWorkbook(const std::string& file, const std::string& why) {
  return {FileErrorKind::NotAWorkbook, file + ": is not a workbook (" + why + ")"};
}

FileResult<std::string> ReadXmlPart(ZipReader& zip, const std::string& part) {
  std::string xml = KX_TRY(zip.Read(part));
  KX_TRY(CheckPartXml(xml, zip.fileName() + ": the part " + part));
  return xml;
}

FileResult<pugi::xml_document*> LoadDocument(pugi::xml_document& doc, const std::string& xml,
                                             const std::string& what) {
  pugi::xml_parse_result r =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!r)
    return FileError{FileErrorKind::Damaged, what + " is malformed XML (" + r.description() + ")"};
  return &doc;
}

pugi::xml_node Child(pugi::xml_node parent, std::string_view local) {
  for (pugi::xml_node c : parent.children()) {
    if (LocalName(c.name()) == local) return c;
  }
  return {};
}

std::string_view IdAttribute(pugi::xml_node sheet) {
  for (pugi::xml_attribute a : sheet.attributes()) {
    std::string_view name = a.name();
    if (name != "sheetId" && LocalName(name) == "id" && name.find(':') != std::string_view::npos) {
      return a.value();
    }
  }
  return {};
}
}  // namespace

FileResult<std::shared_ptr<memhost::Book>> ReadXlsx(std::shared_ptr<const std::string> bytes,
                                                    const std::string& fileName,
                                                    const OpenOptions& options) {
  // Password-protected workbooks and the old binary format are compound files, not packages.
  if (bytes->compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") == 0) {
    return FileError{FileErrorKind::Unsupported,
                     fileName + ": is password-protected or in the old .xls format, which cannot be opened"};
  }
  auto zip = KX_TRY(ZipReader::Open(bytes, fileName, options.limits));
  if (zip->Find("[Content_Types].xml") == nullptr)
    return NotWorkbook(fileName, "it has no content types");
  if (zip->Find("_rels/.rels") == nullptr)
    return NotWorkbook(fileName, "it has no package relationships");
  auto rootRels = ParseRelationships(KX_TRY(ReadXmlPart(*zip, "_rels/.rels")), "");
  const Relationship* office = FindByType(rootRels, "officeDocument");
  if (office == nullptr || zip->Find(office->target) == nullptr) {
    return NotWorkbook(fileName, "it has no workbook part");
  }

  auto source = std::make_shared<XlsxSource>();
  source->bytes = bytes;
  source->workbookPart = office->target;
  std::string workbookXml = KX_TRY(ReadXmlPart(*zip, source->workbookPart));
  pugi::xml_document workbookDoc;
  KX_TRY(LoadDocument(workbookDoc, workbookXml, fileName + ": the workbook part"));
  pugi::xml_node workbook = workbookDoc.document_element();
  if (LocalName(workbook.name()) != "workbook")
    return NotWorkbook(fileName, "the main part is not a spreadsheet");

  std::vector<Relationship> rels;
  std::string relsPart = RelationshipsPartFor(source->workbookPart);
  if (zip->Find(relsPart) != nullptr) {
    rels = ParseRelationships(KX_TRY(ReadXmlPart(*zip, relsPart)), source->workbookPart);
  }
  auto partOf = [&](std::string_view kind) -> std::string {
    const Relationship* r = FindByType(rels, kind);
    return r != nullptr && !r->external && zip->Find(r->target) != nullptr ? r->target : "";
  };
  source->stylesPart = partOf("styles");
  source->sharedStringsPart = partOf("sharedStrings");
  source->themePart = partOf("theme");
  source->calcChainPart = partOf("calcChain");
  source->macros = !partOf("vbaProject").empty();
  if (pugi::xml_node pr = Child(workbook, "workbookPr")) {
    std::string_view v = pr.attribute("date1904").value();
    source->date1904 = v == "1" || v == "true";
  }

  auto book = std::make_shared<memhost::Book>(fileName.substr(fileName.find_last_of('/') + 1));
  ThemeColors theme = DefaultThemeColors();
  if (!source->themePart.empty())
    theme = ParseThemeColors(KX_TRY(ReadXmlPart(*zip, source->themePart)));
  std::string stylesXml;
  if (!source->stylesPart.empty()) stylesXml = KX_TRY(ReadXmlPart(*zip, source->stylesPart));
  XlsxStyles styles = KX_TRY(XlsxStyles::Parse(std::move(stylesXml), theme, fileName));
  std::vector<memhost::StyleId> styleIds;
  std::vector<bool> dateFormats;
  for (const memhost::Style& s : styles.formats()) {
    bool plain = s.sourceStyle == 0 && s.colorIndex == host::xl::ColorIndexNone &&
                 s.numberFormat == "General";
    styleIds.push_back(plain ? memhost::kDefaultStyle : book->styles.Intern(s));
    dateFormats.push_back(memhost::IsDateFormat(s.numberFormat));
  }
  SharedStrings sharedStrings;
  if (!source->sharedStringsPart.empty()) {
    sharedStrings = KX_TRY(ReadSharedStrings(KX_TRY(zip->OpenPart(source->sharedStringsPart)),
                                             fileName + ": the shared strings",
                                             options.limits.maxCellChars));
  }

  std::uint64_t cellBudget = options.limits.maxCells;
  pugi::xml_node sheets = Child(workbook, "sheets");
  size_t activeTab = 0;
  if (pugi::xml_node views = Child(workbook, "bookViews")) {
    activeTab = Child(views, "workbookView").attribute("activeTab").as_ullong(0);
  }
  size_t tab = 0;
  std::set<std::string> names;
  for (pugi::xml_node sheetNode : sheets.children()) {
    if (LocalName(sheetNode.name()) != "sheet") continue;
    if (book->sheets.size() >= options.limits.maxSheets) {
      return FileError{FileErrorKind::TooLarge, fileName + ": has more sheets than allowed"};
    }
    std::string name = sheetNode.attribute("name").value();
    std::string_view id = IdAttribute(sheetNode);
    auto rel =
        std::find_if(rels.begin(), rels.end(), [&](const Relationship& r) { return r.id == id; });
    if (rel == rels.end() || zip->Find(rel->target) == nullptr) {
      return FileError{FileErrorKind::Damaged,
                       fileName + ": the part of sheet \"" + name + "\" is missing"};
    }
    size_t thisTab = tab++;
    // Chart sheets and the like hold no cells; they are carried through untouched.
    if (!TypeIs(*rel, "worksheet")) continue;
    if (!names.insert(name).second) {
      return FileError{FileErrorKind::Damaged,
                       fileName + ": two sheets are named \"" + name + "\""};
    }
    if (thisTab == activeTab) book->activeSheet = book->sheets.size();
    memhost::Sheet& sheet = book->AddSheet(name);
    XlsxSheetSource sheetSource{name, rel->target, {}, {}, {}};
    SheetReadContext ctx;
    ctx.what = fileName + ": sheet \"" + name + "\"";
    ctx.sharedStrings = &sharedStrings;
    ctx.styleIds = &styleIds;
    ctx.dateFormats = &dateFormats;
    ctx.date1904 = source->date1904;
    ctx.cellBudget = &cellBudget;
    ctx.maxCellChars = options.limits.maxCellChars;
    KX_TRY(ReadSheet(KX_TRY(zip->OpenPart(rel->target)), sheet, sheetSource, ctx));
    sheet.ForgetChanges();
    source->sheets.push_back(std::move(sheetSource));
  }
  if (book->sheets.empty()) return NotWorkbook(fileName, "it has no worksheet");
  book->source = source;
  return book;
}

}  // namespace kx::files
