#include <algorithm>
#include <cctype>
#include <filesystem>

#include "files/NewPackage.h"
#include "files/Palette.h"
#include "files/Relationships.h"
#include "files/SheetReader.h"
#include "files/SheetWriter.h"
#include "files/Xlsx.h"
#include "files/XlsxSource.h"
#include "files/XlsxStyles.h"
#include "files/XmlScan.h"
#include "files/ZipPackage.h"
#include "memhost/model/NumberFormat.h"

namespace kx::files {

namespace {
// The part without the root's children for which `drop` says so.
std::string WithoutChildren(std::string_view xml,
                            const std::function<bool(std::string_view tag)>& drop) {
  auto root = RootElement(xml);
  if (!root) return std::string(xml);
  std::string out;
  size_t copied = 0, next = root->tagEnd;
  bool malformed = false;
  while (auto child = NextChild(xml, next, root->contentEnd, malformed)) {
    if (!drop(child->StartTag(xml))) continue;
    out.append(xml.substr(copied, child->begin - copied));
    copied = child->end;
  }
  out.append(xml.substr(copied));
  return out;
}

enum class PackageKind { Workbook, MacroWorkbook, Template, MacroTemplate };

PackageKind KindOf(const std::string& targetName) {
  std::string ext = std::filesystem::path(targetName).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".xlsm") return PackageKind::MacroWorkbook;
  if (ext == ".xltx") return PackageKind::Template;
  if (ext == ".xltm") return PackageKind::MacroTemplate;
  return PackageKind::Workbook;
}

std::string_view WorkbookContentType(PackageKind kind) {
  switch (kind) {
    case PackageKind::MacroWorkbook:
      return "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
    case PackageKind::Template:
      return "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
    case PackageKind::MacroTemplate:
      return "application/vnd.ms-excel.template.macroEnabled.main+xml";
    case PackageKind::Workbook:
      break;
  }
  return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
}

// The content types with the workbook part's type set; the spreadsheet refuses a file whose
// extension and type disagree.
std::string WithWorkbookType(std::string_view types, const std::string& partName,
                             std::string_view type) {
  auto root = RootElement(types);
  if (!root) return std::string(types);
  size_t next = root->tagEnd;
  bool malformed = false;
  while (auto child = NextChild(types, next, root->contentEnd, malformed)) {
    std::string_view tag = child->StartTag(types);
    if (LocalName(child->name) != "Override" || RawAttribute(tag, "PartName") != partName)
      continue;
    if (RawAttribute(tag, "ContentType") == type) return std::string(types);
    return std::string(types.substr(0, child->begin)) +
           SetAttribute(tag, "ContentType", type) + std::string(types.substr(child->tagEnd));
  }
  std::string prefix(root->name.substr(0, root->name.size() - LocalName(root->name).size()));
  return std::string(types.substr(0, root->contentEnd)) + "<" + prefix + "Override PartName=\"" +
         partName + "\" ContentType=\"" + std::string(type) + "\"/>" +
         std::string(types.substr(root->contentEnd));
}

// Asks the spreadsheet to recalculate every formula when it opens the book.
std::string WithFullCalculation(std::string_view xml) {
  auto root = RootElement(xml);
  if (!root) return std::string(xml);
  std::string prefix(root->name.substr(0, root->name.size() - LocalName(root->name).size()));
  if (auto calc = FindChild(xml, root->tagEnd, root->contentEnd, "calcPr")) {
    return std::string(xml.substr(0, calc->begin)) +
           SetAttribute(calc->StartTag(xml), "fullCalcOnLoad", "1") +
           std::string(xml.substr(calc->tagEnd));
  }
  static constexpr std::string_view kAfterCalc[] = {
      "oleSize",       "customWorkbookViews", "pivotCaches",       "smartTagPr", "smartTagTypes",
      "webPublishing", "fileRecoveryPr",      "webPublishObjects", "extLst"};
  size_t at = root->contentEnd;
  for (std::string_view follower : kAfterCalc) {
    if (auto f = FindChild(xml, root->tagEnd, root->contentEnd, follower))
      at = std::min(at, f->begin);
  }
  return std::string(xml.substr(0, at)) + "<" + prefix + "calcPr fullCalcOnLoad=\"1\"/>" +
         std::string(xml.substr(at));
}
}  // namespace

FileResult<void> CheckXlsxTarget(const memhost::Book& book, const std::string& targetName) {
  const auto* source = dynamic_cast<const XlsxSource*>(book.source.get());
  const PackageKind kind = KindOf(targetName);
  if (source != nullptr && source->macros &&
      (kind == PackageKind::Workbook || kind == PackageKind::Template)) {
    const bool tmpl = kind == PackageKind::Template;
    return FileError{FileErrorKind::Unsupported,
                     targetName + ": the workbook holds macros, which an " +
                         (tmpl ? ".xltx" : ".xlsx") + " file cannot keep; save it as " +
                         (tmpl ? ".xltm" : ".xlsm") + " to keep them"};
  }
  return {};
}

FileResult<void> WriteXlsx(const memhost::Book& book, int fd, const std::string& targetName) {
  KX_TRY(CheckXlsxTarget(book, targetName));
  const auto* source = dynamic_cast<const XlsxSource*>(book.source.get());
  std::shared_ptr<XlsxSource> fresh;
  if (source == nullptr) {
    fresh = KX_TRY(EmptyPackageFor(book, targetName));
    source = fresh.get();
  }
  if (book.sheets.size() != source->sheets.size()) {
    return FileError{FileErrorKind::Unsupported,
                     targetName + ": sheets were added or removed, which saving cannot carry out"};
  }
  for (size_t i = 0; i < book.sheets.size(); ++i) {
    if (book.sheets[i]->name() != source->sheets[i].name) {
      return FileError{FileErrorKind::Unsupported,
                       targetName + ": sheet \"" + source->sheets[i].name +
                           "\" was renamed, which saving cannot carry out"};
    }
  }
  // The parts were read within the caller's limits when the book was opened.
  Limits limits;
  limits.maxPartBytes = limits.maxTotalBytes = UINT64_MAX;
  limits.maxRatio = UINT64_MAX;
  auto zip = KX_TRY(ZipReader::Open(source->bytes, targetName, limits));

  ThemeColors theme = DefaultThemeColors();
  if (!source->themePart.empty())
    theme = ParseThemeColors(KX_TRY(zip->Read(source->themePart)));
  std::string stylesXml;
  if (!source->stylesPart.empty()) stylesXml = KX_TRY(zip->Read(source->stylesPart));
  XlsxStyles styles = KX_TRY(XlsxStyles::Parse(std::move(stylesXml), theme, targetName));
  std::vector<bool> dateFormats;
  for (const memhost::Style& s : styles.formats())
    dateFormats.push_back(memhost::IsDateFormat(s.numberFormat));

  SharedStrings sharedStrings;
  bool sharedStringsRead = false;
  auto loadSharedStrings = [&]() -> FileResult<const SharedStrings*> {
    if (!sharedStringsRead && !source->sharedStringsPart.empty()) {
      sharedStrings = KX_TRY(ReadSharedStrings(KX_TRY(zip->OpenPart(source->sharedStringsPart)),
                                               targetName + ": the shared strings", 0));
    }
    sharedStringsRead = true;
    return &sharedStrings;
  };

  PackagePlan plan;
  bool formulaChanged = false;
  for (size_t i = 0; i < book.sheets.size(); ++i) {
    const memhost::Sheet& sheet = *book.sheets[i];
    if (!sheet.Changed() && !fresh) continue;
    SheetWriteContext ctx;
    ctx.everything = fresh != nullptr;
    ctx.book = &book;
    ctx.sheet = &sheet;
    ctx.source = &source->sheets[i];
    ctx.styles = &styles;
    ctx.date1904 = source->date1904;
    ctx.what = targetName + ": sheet \"" + sheet.name() + "\"";
    ctx.sharedStrings = loadSharedStrings;
    ctx.dateFormats = &dateFormats;
    plan.replaced.insert_or_assign(source->sheets[i].part,
                                   KX_TRY(RewriteSheet(zip->Source(source->sheets[i].part), ctx)));
    formulaChanged |= ctx.formulaChanged;
  }
  if (styles.Changed()) {
    if (source->stylesPart.empty()) {
      return FileError{FileErrorKind::Unsupported,
                       targetName + ": the workbook has no styles, so fills cannot be added"};
    }
    plan.replaced.insert_or_assign(source->stylesPart, PartText::Whole(styles.Text()));
  }
  if (book.needsRecalculation) {
    plan.replaced.insert_or_assign(
        source->workbookPart,
        PartText::Whole(WithFullCalculation(KX_TRY(zip->Read(source->workbookPart)))));
  }
  const std::string originalTypes = KX_TRY(zip->Read("[Content_Types].xml"));
  std::string types = WithWorkbookType(originalTypes, "/" + source->workbookPart,
                                       WorkbookContentType(KindOf(targetName)));
  // The calculation chain lists formula cells; one that lost or gained formulas is stale, and
  // the spreadsheet rebuilds a missing chain on its own.
  if ((formulaChanged || book.needsRecalculation) && !source->calcChainPart.empty()) {
    plan.dropped.push_back(source->calcChainPart);
    std::string relsPart = RelationshipsPartFor(source->workbookPart);
    std::string rels = KX_TRY(zip->Read(relsPart));
    plan.replaced.insert_or_assign(
        relsPart, PartText::Whole(WithoutChildren(rels, [&](std::string_view tag) {
          auto type = RawAttribute(tag, "Type");
          return type && type->size() > 10 && type->substr(type->size() - 10) == "/calcChain";
        })));
    std::string partName = "/" + source->calcChainPart;
    types = WithoutChildren(types, [&](std::string_view tag) {
      auto name = RawAttribute(tag, "PartName");
      return name && *name == partName;
    });
  }
  if (types != originalTypes)
    plan.replaced.insert_or_assign("[Content_Types].xml", PartText::Whole(std::move(types)));
  return WritePackage(*zip, plan, fd, targetName);
}

}  // namespace kx::files
