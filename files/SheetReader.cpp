#include "files/SheetReader.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <unordered_map>

#include "memhost/rules/References.h"
#include "files/RowReader.h"
#include "files/SheetWalk.h"
#include "files/Xlsx.h"
#include "files/XmlBatches.h"
#include "files/XmlScan.h"
#include "memhost/model/Address.h"

namespace kx::files {

using memhost::Area;
using memhost::CellPos;

namespace {
FileError Damaged(const SheetReadContext& ctx, const std::string& what) {
  return {FileErrorKind::Damaged, ctx.what + ": " + what};
}

bool Truthy(pugi::xml_attribute a) {
  std::string_view v = a.value();
  return v == "1" || v == "true";
}


std::optional<double> ParseNumber(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n'))
    s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc{} || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

long TypeFromText(std::string_view t) {
  static constexpr std::pair<std::string_view, long> kTypes[] = {
      {"none", 0}, {"whole", 1}, {"decimal", 2},    {"list", 3},
      {"date", 4}, {"time", 5},  {"textLength", 6}, {"custom", 7}};
  for (auto [name, v] : kTypes) {
    if (name == t) return v;
  }
  return 0;
}
long OperatorFromText(std::string_view t) {
  static constexpr std::pair<std::string_view, long> kOps[] = {{"between", 1},
                                                               {"notBetween", 2},
                                                               {"equal", 3},
                                                               {"notEqual", 4},
                                                               {"greaterThan", 5},
                                                               {"lessThan", 6},
                                                               {"greaterThanOrEqual", 7},
                                                               {"lessThanOrEqual", 8}};
  for (auto [name, v] : kOps) {
    if (name == t) return v;
  }
  return 1;
}

std::string FormulaAsShown(std::string_view text, long type) {
  if (text.empty()) return "";
  // A list typed into the rule is stored quoted; the host shows it bare.
  if (type == 3 && text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return std::string(text.substr(1, text.size() - 2));
  }
  return "=" + std::string(text);
}

// "A1:B5 D4" -> areas.
std::vector<Area> ParseSqref(std::string_view sqref) {
  std::vector<Area> areas;
  size_t start = 0;
  while (start < sqref.size()) {
    size_t end = sqref.find(' ', start);
    if (end == std::string_view::npos) end = sqref.size();
    if (end > start) {
      if (auto a = memhost::ParseArea(sqref.substr(start, end - start))) areas.push_back(*a);
    }
    start = end + 1;
  }
  return areas;
}

memhost::ValidationRule ReadValidation(pugi::xml_node dv, std::int32_t index) {
  memhost::ValidationRule rule;
  rule.sourceIndex = index;
  rule.areas = ParseSqref(dv.attribute("sqref").value());
  rule.type = TypeFromText(dv.attribute("type").as_string("none"));
  std::string_view style = dv.attribute("errorStyle").as_string("stop");
  rule.alertStyle = style == "warning" ? 2 : style == "information" ? 3 : 1;
  rule.op = OperatorFromText(dv.attribute("operator").as_string("between"));
  rule.ignoreBlank = Truthy(dv.attribute("allowBlank"));
  // The file's flag says the drop-down is hidden.
  rule.inCellDropdown = !Truthy(dv.attribute("showDropDown"));
  rule.showInput = Truthy(dv.attribute("showInputMessage"));
  rule.showError = Truthy(dv.attribute("showErrorMessage"));
  rule.inputTitle = dv.attribute("promptTitle").value();
  rule.inputMessage = dv.attribute("prompt").value();
  rule.errorTitle = dv.attribute("errorTitle").value();
  rule.errorMessage = dv.attribute("error").value();
  for (pugi::xml_node child : dv.children()) {
    std::string_view name = LocalName(child.name());
    if (name == "formula1") rule.formula1 = FormulaAsShown(child.text().get(), rule.type);
    if (name == "formula2") rule.formula2 = FormulaAsShown(child.text().get(), rule.type);
  }
  return rule;
}

void ReadView(std::string_view xml, const ElementSpan& views, memhost::Sheet& sheet) {
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data() + views.begin, views.end - views.begin, pugi::parse_default,
                       pugi::encoding_utf8)) {
    return;  // a view we cannot read leaves the default selection
  }
  pugi::xml_node view;
  for (pugi::xml_node v : doc.document_element().children()) {
    if (LocalName(v.name()) == "sheetView") {
      view = v;
      break;
    }
  }
  if (!view) return;
  std::string activePane;
  pugi::xml_node chosen;
  for (pugi::xml_node child : view.children()) {
    std::string_view name = LocalName(child.name());
    if (name == "pane") activePane = child.attribute("activePane").as_string("topLeft");
    if (name != "selection") continue;
    std::string pane = child.attribute("pane").as_string("topLeft");
    if (!chosen || pane == (activePane.empty() ? "topLeft" : activePane)) chosen = child;
  }
  if (!chosen) return;
  if (auto cell = ParseCellRef(chosen.attribute("activeCell").value())) sheet.activeCell = *cell;
  std::vector<Area> selection = ParseSqref(chosen.attribute("sqref").value());
  if (selection.empty()) selection.push_back(Area::Cell(sheet.activeCell));
  sheet.selection = std::move(selection);
}
}  // namespace

std::string ElementText(pugi::xml_node node) {
  std::string out;
  for (pugi::xml_node child : node.children()) {
    std::string_view name = LocalName(child.name());
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      out += child.value();
    } else if (name == "t") {
      out += DecodeCellText(child.text().get());
    } else if (name == "r") {
      // A run holds its text directly; runs do not nest, so neither does this (a file that
      // nests them deeply cannot exhaust the stack).
      for (pugi::xml_node part : child.children()) {
        if (LocalName(part.name()) == "t") out += DecodeCellText(part.text().get());
      }
    }
    // rPh (phonetic guides) and phoneticPr are not part of the cell's text.
  }
  return out;
}

std::optional<double> SerialFromIsoDate(std::string_view text) {
  int y = 0, m = 0, d = 0, hh = 0, mm = 0;
  double ss = 0;
  if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto num = [&](size_t at, size_t len, int& out) {
    auto [p, ec] = std::from_chars(text.data() + at, text.data() + at + len, out);
    return ec == std::errc{} && p == text.data() + at + len;
  };
  if (!num(0, 4, y) || !num(5, 2, m) || !num(8, 2, d)) return std::nullopt;
  if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
  if (text.size() >= 16 && text[10] == 'T' && text[13] == ':') {
    if (!num(11, 2, hh) || !num(14, 2, mm)) return std::nullopt;
    if (text.size() >= 19 && text[16] == ':') {
      size_t end = 17;
      while (end < text.size() &&
             (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.'))
        ++end;
      std::from_chars(text.data() + 17, text.data() + end, ss);
    }
  }
  // Days from the civil date (proleptic Gregorian), counted from 1899-12-30.
  auto days = [](int yy, int mo, int dd) {
    yy -= mo <= 2;
    long era = (yy >= 0 ? yy : yy - 399) / 400;
    long yoe = yy - era * 400;
    long doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + dd - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
  };
  double serial = static_cast<double>(days(y, m, d) - days(1899, 12, 30));
  // The spreadsheet counts a 29 February 1900 that never was; dates before it are one less.
  if (serial < 61) serial -= 1;
  return serial + (hh * 3600 + mm * 60 + ss) / 86400.0;
}


FileResult<host::Variant> CellValue(std::string_view type, std::optional<std::string_view> v,
                                    const SheetReadContext& ctx) {
  std::string_view text = v.value_or("");
  if (!v || (text.empty() && !SameText(type, "str"))) {
    // No value: an empty or formatted-only cell, or a formula never calculated.
    return host::Variant{};
  } else if (SameText(type, "s")) {
    std::uint64_t index = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (ec != std::errc{} || ctx.sharedStrings == nullptr || index >= ctx.sharedStrings->size()) {
      return Damaged(
          ctx, "a cell refers to shared string " + std::string(text) + ", which does not exist");
    }
    return host::Variant(std::string((*ctx.sharedStrings)[index]));
  } else if (SameText(type, "str")) {
    return host::Variant(DecodeCellText(text));
  } else if (SameText(type, "b")) {
    return host::Variant(text == "1" || text == "true");
  } else if (SameText(type, "e")) {
    return host::Variant(host::ErrorValueFromText(text).value_or(host::ErrorValue::Value));
  } else if (SameText(type, "d")) {
    auto serial = SerialFromIsoDate(text);
    if (!serial)
      return Damaged(ctx,
                     "a cell holds the date \"" + std::string(text) + "\", which cannot be read");
    return host::Variant(host::Date{*serial});
  }
  auto number = ParseNumber(text);
  if (!number)
    return Damaged(ctx, "a cell holds \"" + std::string(text) + "\" where a number belongs");
  return host::Variant(*number);
}

FileResult<CellContent> ReadCellContent(pugi::xml_node c, const SheetReadContext& ctx) {
  CellContent content;
  std::string_view type = c.attribute("t").as_string("n");
  pugi::xml_node v, is;
  for (pugi::xml_node child : c.children()) {
    std::string_view name = LocalName(child.name());
    if (name == "v")
      v = child;
    else if (name == "is")
      is = child;
    else if (name == "f")
      content.hasFormula = true;
  }
  std::string_view text = v ? v.text().get() : "";
  if (type == "inlineStr") {
    if (is)
      content.value = ElementText(is);
    else if (v)
      content.value = std::string(text);
  } else {
    content.value = KX_TRY(CellValue(type, v ? std::optional(text) : std::nullopt, ctx));
  }
  return content;
}


namespace {
// Reads what surrounds the rows: the view and the validation rules.
FileResult<void> ReadSkeleton(const SheetSkeleton& skeleton, memhost::Sheet& sheet,
                              XlsxSheetSource& source, const SheetReadContext& ctx) {
  std::string_view xml = skeleton.text;
  {
    // Everything around the rows must be well-formed too, since saving copies it and edits it
    // by position.
    pugi::xml_document doc;
    pugi::xml_parse_result parsed =
        doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
      return Damaged(
          ctx, std::string("the sheet's part is malformed XML (") + parsed.description() + ")");
  }
  auto root = RootElement(xml);
  if (!root) return Damaged(ctx, "the sheet's part is malformed");
  std::optional<ElementSpan> views, dvs;
  {
    bool malformed = false;
    size_t next = root->tagEnd;
    while (auto child = NextChild(xml, next, root->contentEnd, malformed)) {
      std::string_view local = LocalName(child->name);
      if (local == "sheetViews" && !views) views = child;
      if (local == "dataValidations" && !dvs) dvs = child;
    }
  }
  if (views) ReadView(xml, *views, sheet);
  if (dvs && !dvs->selfClosing) {
    std::vector<memhost::ValidationRule> rules;
    bool malformed = false;
    size_t next = dvs->tagEnd;
    pugi::xml_document doc;
    while (auto dv = NextChild(xml, next, dvs->contentEnd, malformed)) {
      if (LocalName(dv->name) != "dataValidation") continue;
      std::string_view element = xml.substr(dv->begin, dv->end - dv->begin);
      if (!doc.load_buffer(element.data(), element.size(), kCellParse,
                           pugi::encoding_utf8)) {
        return Damaged(ctx, "a data validation rule is malformed");
      }
      rules.push_back(
          ReadValidation(doc.document_element(), static_cast<std::int32_t>(rules.size())));
      source.validationXml.emplace_back(element);
    }
    if (malformed) return Damaged(ctx, "the data validation rules are malformed");
    source.validations = rules;
    sheet.LoadValidations(std::move(rules));
  }
  return {};
}
}  // namespace

FileResult<void> ReadSheet(std::string_view xml, memhost::Sheet& sheet, XlsxSheetSource& source,
                           const SheetReadContext& ctx) {
  return ReadSheet(StreamOf(std::string(xml)), sheet, source, ctx);
}

FileResult<void> ReadSheet(std::unique_ptr<TextStream> part, memhost::Sheet& sheet,
                           XlsxSheetSource& source, const SheetReadContext& ctx) {
  SheetWalk walk(std::move(part), ctx.what, "sheetData", ctx.windowBytes);
  walk.LimitTextRuns(ctx.maxCellChars);
  KX_TRY(walk.ReadHead());
  KX_TRY(CheckPartXml(walk.head(), ctx.what));
  if (!walk.root() || LocalName(walk.root()->name) != "worksheet")
    return Damaged(ctx, "the sheet's part is malformed");
  RowReader rows(sheet, source, ctx);
  KX_TRY(walk.ForEachBatch(
      [&](std::string_view text, size_t, const std::vector<ElementSpan>& batch) {
        return rows.ReadBatch(text, batch);
      }));
  return ReadSkeleton(KX_TRY(walk.Finish()), sheet, source, ctx);
}

}  // namespace kx::files
