#include "files/SheetReader.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <unordered_map>

#include "memhost/References.h"
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

// "B7" -> {7, 2}; also "B" (column only, row 0) when allowRowless.
std::optional<CellPos> ParseCellRef(std::string_view ref) {
  size_t i = 0;
  while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i]))) ++i;
  auto col = memhost::ColumnFromLetters(ref.substr(0, i));
  if (!col || i == ref.size()) return std::nullopt;
  std::int32_t row = 0;
  auto [p, ec] = std::from_chars(ref.data() + i, ref.data() + ref.size(), row);
  if (ec != std::errc{} || p != ref.data() + ref.size() || row < 1 || row > memhost::kMaxRows) {
    return std::nullopt;
  }
  return CellPos{row, *col};
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

namespace {
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == ':' || c == '.' || c == '-';
}

// Calls attribute(name, value) for each attribute of the start tag text[at..], where `at` is
// just past the element's name; `at` ends just past the tag. False when the tag is not plain:
// a value with an entity, a '<' or a character the parser would change, or anything unusual.
template <class Attribute>
bool PlainAttributes(std::string_view text, size_t& at, size_t end, bool& selfClosing,
                     Attribute&& attribute) {
  for (;;) {
    bool spaced = false;
    while (at < end && IsSpace(text[at])) ++at, spaced = true;
    if (at >= end) return false;
    if (text[at] == '>') {
      ++at;
      selfClosing = false;
      return true;
    }
    if (text[at] == '/') {
      if (at + 1 >= end || text[at + 1] != '>') return false;
      at += 2;
      selfClosing = true;
      return true;
    }
    if (!spaced || !(std::isalpha(static_cast<unsigned char>(text[at])) || text[at] == '_'))
      return false;
    size_t nameBegin = at;
    while (at < end && IsNameChar(text[at])) ++at;
    std::string_view name = text.substr(nameBegin, at - nameBegin);
    if (at + 1 >= end || text[at] != '=' || (text[at + 1] != '"' && text[at + 1] != '\''))
      return false;
    char quote = text[at + 1];
    size_t valueBegin = at + 2, valueEnd = valueBegin;
    while (valueEnd < end && text[valueEnd] != quote) {
      char c = text[valueEnd];
      if (c == '&' || c == '<' || c == '\t' || c == '\n' || c == '\r') return false;
      ++valueEnd;
    }
    if (valueEnd >= end) return false;
    attribute(name, text.substr(valueBegin, valueEnd - valueBegin));
    at = valueEnd + 1;
  }
}

// The element name at text[at..] (after its '<'); `at` ends past it.
std::string_view NameAt(std::string_view text, size_t& at, size_t end) {
  size_t begin = at;
  while (at < end && IsNameChar(text[at])) ++at;
  return text.substr(begin, at - begin);
}

// Comparing short names in place: a call to memcmp for each attribute of a million cells shows.
bool Is(std::string_view name, std::string_view expected) {
  if (name.size() != expected.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] != expected[i]) return false;
  }
  return true;
}

bool AllDigits(std::string_view s, size_t most) {
  if (s.empty() || s.size() > most) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

struct PlainRowStart {
  std::optional<std::string_view> r;
  std::string_view hidden;
};

// A cell's attributes and the text of its `v` element, as written.
struct PlainCell {
  std::optional<std::string_view> r, s, t, v;
};

// Whether the row is plain, and if so its attributes and cells: each child a `c` element whose
// attributes are plain and which holds nothing or one `v` element of text without entities, and
// only white space between them. Such a row reads the same as the XML parser would read it;
// anything else (formulas, inline strings, escapes, comments) is left to the parser.
bool PlainRow(std::string_view text, const ElementSpan& span, PlainRowStart& start,
              std::vector<PlainCell>& cells) {
  if (LocalName(span.name) != "row") return false;
  start = {};
  cells.clear();
  size_t at = span.begin + 1 + span.name.size();
  bool selfClosing = false, plain = true;
  if (!PlainAttributes(text, at, span.tagEnd, selfClosing,
                       [&](std::string_view name, std::string_view value) {
                         if (Is(name, "r") && !start.r) {
                           start.r = value;
                           plain = AllDigits(value, 9);
                         } else if (Is(name, "hidden") && start.hidden.empty()) {
                           start.hidden = value;
                         }
                       }) ||
      !plain) {
    return false;
  }
  if (selfClosing) return true;
  size_t end = span.contentEnd;
  for (;;) {
    while (at < end && IsSpace(text[at])) ++at;
    if (at == end) return true;
    if (text[at] != '<') return false;
    size_t nameAt = at + 1;
    std::string_view cellName = NameAt(text, nameAt, end);
    if (LocalName(cellName) != "c") return false;
    PlainCell cell;
    at = nameAt;
    if (!PlainAttributes(text, at, end, selfClosing,
                         [&](std::string_view name, std::string_view value) {
                           if (Is(name, "r") && !cell.r) cell.r = value;
                           if (Is(name, "s") && !cell.s) {
                             cell.s = value;
                             plain = plain && AllDigits(value, 9);
                           }
                           if (Is(name, "t") && !cell.t) cell.t = value;
                         }) ||
        !plain) {
      return false;
    }
    if (!selfClosing) {
      while (at < end && IsSpace(text[at])) ++at;
      if (at + 1 < end && text[at] == '<' && text[at + 1] != '/') {
        size_t valueAt = at + 1;
        std::string_view valueName = NameAt(text, valueAt, end);
        if (LocalName(valueName) != "v" || valueAt >= end) return false;
        if (text[valueAt] == '/') {
          if (valueAt + 1 >= end || text[valueAt + 1] != '>') return false;
          cell.v = std::string_view();
          at = valueAt + 2;
        } else {
          if (text[valueAt] != '>') return false;
          size_t textBegin = valueAt + 1, textEnd = textBegin;
          while (textEnd < end && text[textEnd] != '<') {
            if (text[textEnd] == '&' || text[textEnd] == '\r') return false;
            ++textEnd;
          }
          // Its end tag, exactly.
          if (textEnd + 2 + valueName.size() >= end || text[textEnd + 1] != '/' ||
              text.compare(textEnd + 2, valueName.size(), valueName) != 0 ||
              text[textEnd + 2 + valueName.size()] != '>') {
            return false;
          }
          cell.v = text.substr(textBegin, textEnd - textBegin);
          at = textEnd + 3 + valueName.size();
        }
        while (at < end && IsSpace(text[at])) ++at;
      }
      if (at + 2 + cellName.size() >= end || text[at] != '<' || text[at + 1] != '/' ||
          text.compare(at + 2, cellName.size(), cellName) != 0 ||
          text[at + 2 + cellName.size()] != '>') {
        return false;
      }
      at += 3 + cellName.size();
    }
    cells.push_back(cell);
  }
}
}  // namespace

namespace {
// A cell's value from its type and the text of its `v` element (nullopt when it has none), for
// every type but inline strings.
FileResult<host::Variant> CellValue(std::string_view type, std::optional<std::string_view> v,
                                    const SheetReadContext& ctx) {
  std::string_view text = v.value_or("");
  if (!v || (text.empty() && !Is(type, "str"))) {
    // No value: an empty or formatted-only cell, or a formula never calculated.
    return host::Variant{};
  } else if (Is(type, "s")) {
    std::uint64_t index = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (ec != std::errc{} || ctx.sharedStrings == nullptr || index >= ctx.sharedStrings->size()) {
      return Damaged(
          ctx, "a cell refers to shared string " + std::string(text) + ", which does not exist");
    }
    return host::Variant((*ctx.sharedStrings)[index]);
  } else if (Is(type, "str")) {
    return host::Variant(DecodeCellText(text));
  } else if (Is(type, "b")) {
    return host::Variant(text == "1" || text == "true");
  } else if (Is(type, "e")) {
    return host::Variant(host::ErrorValueFromText(text).value_or(host::ErrorValue::Value));
  } else if (Is(type, "d")) {
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
}  // namespace

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

FileResult<std::vector<std::string>> ReadSharedStrings(std::string_view xml,
                                                       const std::string& what) {
  std::vector<std::string> strings;
  auto root = RootElement(xml);
  if (!root || LocalName(root->name) != "sst") {
    return FileError{FileErrorKind::Damaged, what + " is malformed"};
  }
  if (root->selfClosing) return strings;
  KX_TRY(ForEachChildNode(xml, root->tagEnd, root->contentEnd, what,
                               [&](pugi::xml_node si) -> FileResult<void> {
                                 if (LocalName(si.name()) == "si")
                                   strings.push_back(ElementText(si));
                                 return {};
                               }));
  return strings;
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
  SheetWalk walk(std::move(part), ctx.what);
  KX_TRY(walk.ReadHead());
  KX_TRY(CheckPartXml(walk.head(), ctx.what));
  if (!walk.root() || LocalName(walk.root()->name) != "worksheet")
    return Damaged(ctx, "the sheet's part is malformed");
  std::unordered_map<std::int64_t, size_t> sharedGroups;  // si -> index in formulaGroups
  std::vector<size_t> arrayGroups;
  const auto& styleIds = *ctx.styleIds;
  const auto& dateFormats = *ctx.dateFormats;
  std::int32_t row = 0;
  std::int32_t column = 0;
  // What both ways of reading a row share: the row's number and flag, and each cell's place,
  // style and value.
  auto beginRow = [&](std::optional<std::string_view> r, std::int64_t n,
                      bool hidden) -> FileResult<void> {
    if (r) {
      if (n < 1 || n > memhost::kMaxRows) {
        return FileError{FileErrorKind::TooLarge,
                         ctx.what + ": row number " + std::string(*r) + " is outside the sheet"};
      }
      row = static_cast<std::int32_t>(n);
    } else if (++row > memhost::kMaxRows) {
      return FileError{FileErrorKind::TooLarge, ctx.what + ": more rows than a sheet holds"};
    }
    if (hidden) sheet.SetRowHidden(row, true);
    column = 0;
    return {};
  };
  auto placeCell = [&](std::optional<std::string_view> r, std::uint64_t xf,
                       memhost::Cell& cell) -> FileResult<CellPos> {
    CellPos pos{row, column + 1};
    if (r) {
      auto parsed = ParseCellRef(*r);
      if (!parsed) {
        return FileError{FileErrorKind::Damaged, ctx.what + ": the cell reference \"" +
                                                     std::string(*r) + "\" is not valid"};
      }
      pos = *parsed;
    } else if (pos.column > memhost::kMaxColumns) {
      return FileError{FileErrorKind::TooLarge, ctx.what + ": more columns than a sheet holds"};
    }
    column = pos.column;
    if (*ctx.cellBudget == 0) {
      return FileError{FileErrorKind::TooLarge,
                       ctx.what + ": the workbook has more cells than can be held in memory"};
    }
    --*ctx.cellBudget;
    if (xf >= styleIds.size()) {
      return Damaged(ctx, "cell " + memhost::FormatAreaRelative(Area::Cell(pos)) +
                              " uses a cell format that does not exist");
    }
    cell.style = styleIds[xf];
    return pos;
  };
  auto setValue = [&](memhost::Cell& cell, host::Variant value, std::uint64_t xf) {
    cell.value = std::move(value);
    if (cell.value.IsNumber() && dateFormats[xf]) {
      double serial = cell.value.AsNumber() + (ctx.date1904 ? 1462 : 0);
      cell.value = host::Date{serial};
    }
  };
  // The other cells of an array formula show the array's formula.
  auto arrayFormula = [&](CellPos pos, memhost::Cell& cell) {
    for (size_t g : arrayGroups) {
      const FormulaGroup& group = source.formulaGroups[g];
      if (group.area.Contains(pos) && !(group.anchor == pos)) cell.formula = group.formula;
    }
  };

  auto readRow = [&](pugi::xml_node rowNode) -> FileResult<void> {
        if (LocalName(rowNode.name()) != "row") return {};
        pugi::xml_attribute rowRef = rowNode.attribute("r");
        KX_TRY(beginRow(rowRef ? std::optional<std::string_view>(rowRef.value()) : std::nullopt,
                        rowRef.as_llong(-1), Truthy(rowNode.attribute("hidden"))));
        for (pugi::xml_node c : rowNode.children()) {
          if (LocalName(c.name()) != "c") continue;
          memhost::Cell cell;
          pugi::xml_attribute ref = c.attribute("r");
          std::uint64_t xf = c.attribute("s").as_ullong(0);
          CellPos pos = KX_TRY(placeCell(
              ref ? std::optional<std::string_view>(ref.value()) : std::nullopt, xf, cell));
          CellContent content = KX_TRY(ReadCellContent(c, ctx));
          setValue(cell, std::move(content.value), xf);
          pugi::xml_node f;
          for (pugi::xml_node child : c.children()) {
            if (LocalName(child.name()) == "f") f = child;
          }
          if (f) {
            std::string_view kind = f.attribute("t").as_string("normal");
            std::string text = f.text().get();
            if (kind == "shared") {
              std::int64_t si = f.attribute("si").as_llong(-1);
              auto group = sharedGroups.find(si);
              if (!text.empty() && f.attribute("ref")) {
                auto area = memhost::ParseArea(f.attribute("ref").value());
                sharedGroups[si] = source.formulaGroups.size();
                source.formulaGroups.push_back(
                    {pos, area.value_or(Area::Cell(pos)), "=" + text, false});
                cell.formula = "=" + text;
              } else if (group != sharedGroups.end()) {
                const FormulaGroup& g = source.formulaGroups[group->second];
                cell.formula =
                    "=" + memhost::ShiftFormula(std::string_view(g.formula).substr(1),
                                       pos.row - g.anchor.row, pos.column - g.anchor.column);
              } else if (!text.empty()) {
                cell.formula = "=" + text;
              }
            } else if (kind == "array") {
              auto area = memhost::ParseArea(f.attribute("ref").value());
              arrayGroups.push_back(source.formulaGroups.size());
              source.formulaGroups.push_back(
                  {pos, area.value_or(Area::Cell(pos)), "=" + text, true});
              cell.formula = "=" + text;
            } else if (!text.empty()) {
              cell.formula = "=" + text;
            }
          } else {
            arrayFormula(pos, cell);
          }
          sheet.LoadCell(pos, std::move(cell));
        }
        return {};
      };
  // A row whose cells are plain (see PlainRow) is read straight from the text: building a
  // document for it is most of the time a big sheet takes to read.
  std::vector<PlainCell> plain;
  PlainRowStart start;
  auto readPlainRow = [&]() -> FileResult<void> {
    std::int64_t n = -1;
    if (start.r) std::from_chars(start.r->data(), start.r->data() + start.r->size(), n);
    KX_TRY(beginRow(start.r, n, start.hidden == "1" || start.hidden == "true"));
    for (const PlainCell& c : plain) {
      memhost::Cell cell;
      std::uint64_t xf = 0;
      if (c.s) std::from_chars(c.s->data(), c.s->data() + c.s->size(), xf);
      CellPos pos = KX_TRY(placeCell(c.r, xf, cell));
      setValue(cell, KX_TRY(CellValue(c.t.value_or("n"), c.v, ctx)), xf);
      arrayFormula(pos, cell);
      sheet.LoadCell(pos, std::move(cell));
    }
    return {};
  };
  pugi::xml_document doc;
  KX_TRY(walk.ForEachBatch([&](std::string_view text, size_t,
                               const std::vector<ElementSpan>& rows) -> FileResult<void> {
    // Rows that are not plain are parsed together, a run at a time, in their place.
    size_t runFrom = std::string_view::npos, runTo = 0;
    auto parseRun = [&]() -> FileResult<void> {
      if (runFrom == std::string_view::npos) return {};
      pugi::xml_parse_result parsed =
          doc.load_buffer(text.data() + runFrom, runTo - runFrom,
                          kCellParse | pugi::parse_fragment, pugi::encoding_utf8);
      runFrom = std::string_view::npos;
      if (!parsed) {
        return FileError{FileErrorKind::Damaged,
                         ctx.what + " is malformed XML (" + parsed.description() + ")"};
      }
      for (pugi::xml_node node : doc.children()) {
        if (node.type() == pugi::node_element) KX_TRY(readRow(node));
      }
      return {};
    };
    for (const ElementSpan& span : rows) {
      if (PlainRow(text, span, start, plain)) {
        KX_TRY(parseRun());
        KX_TRY(readPlainRow());
      } else {
        if (runFrom == std::string_view::npos) runFrom = span.begin;
        runTo = span.end;
      }
    }
    return parseRun();
  }));
  return ReadSkeleton(KX_TRY(walk.Finish()), sheet, source, ctx);
}

}  // namespace kx::files
