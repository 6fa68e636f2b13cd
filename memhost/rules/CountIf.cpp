#include "memhost/rules/CountIf.h"

#include <optional>
#include <string_view>

#include "host/Wildcards.h"
#include "memhost/index/CellKeys.h"
#include "memhost/rules/TypedInput.h"

namespace kx::memhost {

namespace {

// The cells of the area whose value has the key.
std::int64_t EqualCount(const SheetHandle& sheet, const Area& area, const std::string& key) {
  const AreaIndex& index = sheet.state->indexes.For(sheet.book, sheet.sheet, area);
  const HostState& state = *sheet.state;
  return state.lastReadSheet == sheet.sheet.get() ? index.Count(key, state.lastReadCell)
                                                  : index.Count(key);
}

// The cells of the area holding `text` as plain text, when the cell the add-in read last does:
// it counts the value it has just read, and the count is that cell's entry's, without a key
// made from the text again (folding a name with accents is most of a count).
std::optional<std::int64_t> CountAsLastRead(const SheetHandle& sheet, const Area& area,
                                            std::string_view text) {
  const HostState& state = *sheet.state;
  if (state.lastReadSheet != sheet.sheet.get()) return std::nullopt;
  const AreaIndex& index = sheet.state->indexes.For(sheet.book, sheet.sheet, area);
  return index.CountOfText(text, state.lastReadCell);
}

// The criterion the add-in sends for every row it compares: "=" and a value's text, with "~"
// before each "*", "?" and "~" so that it stands for the text itself. The text it stands for is
// read here, in a buffer kept between calls, without reading the criterion into a Criterion (a
// pattern, a copy of the text, a key of its own). Nothing for every other criterion, and for a
// text the full reading treats otherwise (a number, TRUE, FALSE, an error value, more than 255
// characters).
std::optional<std::string_view> LiteralText(HostState& state, const host::Variant& criterion) {
  if (!criterion.IsText()) return std::nullopt;
  std::string_view text = criterion.AsText();
  if (text.size() < 2 || text.front() != '=') return std::nullopt;
  text.remove_prefix(1);
  // Every number, date and time starts with one of these, and every error value with "#".
  char first = text.front();
  if ((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.' ||
      first == '$' || first == '(' || first == ' ' || first == '#') {
    return std::nullopt;
  }
  if (EqualIgnoringAsciiCase(text, "TRUE") || EqualIgnoringAsciiCase(text, "FALSE")) {
    return std::nullopt;
  }
  std::string_view literal = text;
  if (host::FirstWildcardChar(text) != text.size()) {
    std::string& unescaped = state.criterionText;
    unescaped.clear();
    for (size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c == '*' || c == '?') return std::nullopt;  // a pattern
      if (c == '~') {
        if (i + 1 == text.size() || !host::IsWildcardChar(text[i + 1])) {
          return std::nullopt;  // a tilde of its own: the pattern decides
        }
        c = text[++i];
      }
      unescaped += c;
    }
    literal = unescaped;
  }
  if (literal.size() > kComparedChars && CharCount(literal) > kComparedChars) return std::nullopt;
  return literal;
}

// The criterion the add-in sends for a cell holding a whole number, or digits kept as text (a
// card number): "=" and the digits, up to 22 of them, perhaps after a minus sign. Its key is the
// number's, as the full reading gives it, without that reading (a Pattern, a number reader that
// knows dates, currency and percent): the first 15 digits and zeros for the rest, as typing
// them would, then rounded to 15 digits.
bool LiteralNumberKey(HostState& state, const host::Variant& criterion) {
  if (!criterion.IsText()) return false;
  std::string_view text = criterion.AsText();
  if (text.size() < 2 || text.front() != '=') return false;
  text.remove_prefix(1);
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.size() > 1 && text.front() == '0') return false;
  auto value = ReadDigits(text);
  if (!value) return false;
  state.criterionKey = NumberKey(Round15(negative ? -*value : *value));
  return true;
}

std::int64_t Count(const SheetHandle& sheet, const Area& area, const Criterion& criterion) {
  if (auto key = criterion.EqualityKey()) {
    std::int64_t equal = EqualCount(sheet, area, *key);
    return criterion.op() == Criterion::Op::Eq ? equal : area.cells() - equal;
  }
  if (criterion.kind() == Criterion::Kind::Blank) {
    const AreaIndex& index = sheet.state->indexes.For(sheet.book, sheet.sheet, area);
    if (criterion.op() == Criterion::Op::Ne) return index.NonBlankCount();
    std::int64_t empty = area.cells() - index.NonBlankCount();
    return criterion.CountsEmptyText() ? empty + index.EmptyTextCount() : empty;
  }
  // Patterns and comparisons: only stored cells can match, except that a "<>" criterion also
  // counts every empty cell.
  std::int64_t n = 0, stored = 0;
  const Sheet& s = *sheet.sheet;
  for (std::int32_t column : s.UsedColumns()) {
    if (column < area.firstColumn || column > area.lastColumn) continue;
    s.ForEachInColumn(column, area.firstRow, area.lastRow, [&](std::int32_t, const Cell& cell) {
      ++stored;
      if (criterion.Matches(&cell)) ++n;
    });
  }
  if (criterion.Matches(nullptr)) n += area.cells() - stored;
  return n;
}

}  // namespace

host::Result<double> CountIfArea(const SheetHandle& sheet, const Area& area,
                                 const host::Variant& criterion) {
  if (auto literal = LiteralText(*sheet.state, criterion)) {
    if (auto counted = CountAsLastRead(sheet, area, *literal)) return static_cast<double>(*counted);
    SetTextKey(*literal, sheet.state->criterionKey);
    return static_cast<double>(EqualCount(sheet, area, sheet.state->criterionKey));
  }
  if (LiteralNumberKey(*sheet.state, criterion)) {
    return static_cast<double>(EqualCount(sheet, area, sheet.state->criterionKey));
  }
  auto parsed = KX_TRY(Criterion::Parse(criterion));
  return static_cast<double>(Count(sheet, area, parsed));
}

host::Result<double> CountIfAreaWith(const SheetHandle& sheet, const Area& area,
                                     const host::Variant& criterion, CellPos pos,
                                     const Cell* candidate) {
  auto parsed = KX_TRY(Criterion::Parse(criterion));
  auto n = static_cast<double>(Count(sheet, area, parsed));
  if (area.Contains(pos)) {
    if (parsed.Matches(sheet.sheet->CellAt(pos))) --n;
    if (parsed.Matches(candidate)) ++n;
  }
  return n;
}

}  // namespace kx::memhost
