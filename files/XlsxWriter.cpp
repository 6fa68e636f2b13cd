#include <algorithm>

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

FileResult<void> WriteXlsx(const memhost::Book& book, const std::string& tempPath,
                           const std::string& targetName) {
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
                                               targetName + ": the shared strings"));
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
    std::string types = KX_TRY(zip->Read("[Content_Types].xml"));
    std::string partName = "/" + source->calcChainPart;
    plan.replaced.insert_or_assign(
        "[Content_Types].xml", PartText::Whole(WithoutChildren(types, [&](std::string_view tag) {
          auto name = RawAttribute(tag, "PartName");
          return name && *name == partName;
        })));
  }
  return WritePackage(*zip, plan, tempPath, targetName);
}

}  // namespace kx::files
