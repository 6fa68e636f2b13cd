#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "files/CellText.h"
#include "files/Csv.h"
#include "memhost/model/Grid.h"

namespace kx::files {

bool ParseCsv(std::string_view text, char sep, const std::function<bool(const CsvField&)>& visit,
              const std::function<void(std::int32_t, size_t)>& recordEnd) {
  std::string value;
  CsvField field;
  field.value = &value;
  size_t i = 0;
  std::int32_t row = 1, column = 1;
  while (i < text.size()) {
    field.begin = i;
    value.clear();
    if (text[i] == '"') {
      size_t j = i + 1;
      for (;;) {
        size_t q = text.find('"', j);
        if (q == std::string_view::npos) return false;
        value.append(text.substr(j, q - j));
        if (q + 1 < text.size() && text[q + 1] == '"') {
          value += '"';
          j = q + 2;
          continue;
        }
        j = q + 1;
        break;
      }
      // Anything between the closing quote and the separator is kept, as spreadsheets do.
      while (j < text.size() && text[j] != sep && text[j] != '\n' && text[j] != '\r')
        value += text[j++];
      i = j;
    } else {
      size_t j = i;
      while (j < text.size() && text[j] != sep && text[j] != '\n' && text[j] != '\r') ++j;
      value.assign(text.substr(i, j - i));
      i = j;
    }
    field.end = i;
    field.raw = text.substr(field.begin, field.end - field.begin);
    field.row = row;
    field.column = column;
    if (!visit(field)) return true;
    if (i < text.size() && text[i] == sep) {
      ++i;
      ++column;
      if (i == text.size()) {  // a separator at the very end leaves one more empty field
        field.begin = field.end = i;
        field.raw = {};
        value.clear();
        field.column = column;
        if (!visit(field)) return true;
        recordEnd(row, i);
      }
      continue;
    }
    recordEnd(row, i);
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
    ++row;
    column = 1;
  }
  return true;
}

char DetectSeparator(std::string_view text) {
  static constexpr std::array<char, 4> kCandidates{',', ';', '\t', '|'};
  char best = ',';
  long bestScore = 0;
  for (char sep : kCandidates) {
    std::vector<int> counts;
    bool quoted = false;
    int count = 0;
    for (size_t i = 0; i < text.size() && counts.size() < 20; ++i) {
      char c = text[i];
      if (c == '"')
        quoted = !quoted;
      else if (!quoted && c == sep)
        ++count;
      else if (!quoted && c == '\n') {
        counts.push_back(count);
        count = 0;
      }
    }
    if (count > 0 || counts.empty()) counts.push_back(count);
    if (counts.empty() || counts[0] == 0) continue;
    bool consistent =
        std::all_of(counts.begin(), counts.end(), [&](int n) { return n == counts[0]; });
    long score = counts[0] + (consistent ? 1000 : 0);
    if (score > bestScore) {
      bestScore = score;
      best = sep;
    }
  }
  return best;
}

host::Variant CsvValue(const std::string& text) {
  if (text.empty()) return {};
  std::string_view s = text;
  if (s == "TRUE" || s == "true" || s == "True") return true;
  if (s == "FALSE" || s == "false" || s == "False") return false;
  if (auto e = host::ErrorValueFromText(s)) return *e;
  std::string_view digits = s;
  if (digits[0] == '+' || digits[0] == '-') digits.remove_prefix(1);
  // Only plain decimal numbers: no spaces, no "inf", no hexadecimal.
  bool plain = !digits.empty() && (std::isdigit(static_cast<unsigned char>(digits[0])) ||
                                   (digits[0] == '.' && digits.size() > 1));
  if (plain) {
    for (char c : digits) {
      if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != 'e' && c != 'E' &&
          c != '+' && c != '-') {
        plain = false;
        break;
      }
    }
  }
  if (plain) {
    double v = 0;
    const char* first = s.data() + (s[0] == '+' ? 1 : 0);
    auto [p, ec] = std::from_chars(first, s.data() + s.size(), v);
    if (ec == std::errc{} && p == s.data() + s.size() && std::isfinite(v)) return v;
  }
  return text;
}

FileResult<std::shared_ptr<memhost::Book>> ReadCsv(std::shared_ptr<const std::string> bytes,
                                                   const std::string& fileName,
                                                   const OpenOptions& options) {
  auto source = std::make_shared<CsvSource>();
  source->bytes = bytes;
  std::string_view text = *bytes;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") source->bomLength = 3;
  text.remove_prefix(source->bomLength);
  if (text.substr(0, 4096).find('\0') != std::string_view::npos) {
    return FileError{FileErrorKind::NotAWorkbook, fileName + ": is not a text file"};
  }
  source->separator = options.csvSeparator != 0 ? options.csvSeparator : DetectSeparator(text);

  std::string base = fileName.substr(fileName.find_last_of('/') + 1);
  std::string sheetName = base.substr(0, base.find_last_of('.'));
  auto book = std::make_shared<memhost::Book>(base);
  memhost::Sheet& sheet = book->AddSheet(sheetName.substr(0, 31));
  std::uint64_t budget = options.limits.maxCells;
  FileResult<void> status;
  bool closed = ParseCsv(
      text, source->separator,
      [&](const CsvField& f) {
        if (f.row > memhost::kMaxRows || f.column > memhost::kMaxColumns) {
          status = FileError{FileErrorKind::TooLarge,
                             fileName + ": has more " +
                                 (f.row > memhost::kMaxRows ? "rows" : "columns") +
                                 " than a sheet holds"};
          return false;
        }
        if (!FitsACell(*f.value, options.limits.maxCellChars)) {
          status = TooLongForACell(fileName + ": the field at row " + std::to_string(f.row) +
                                       ", column " + std::to_string(f.column),
                                   options.limits.maxCellChars);
          return false;
        }
        host::Variant v = CsvValue(*f.value);
        if (v.IsEmpty()) return true;
        if (budget-- == 0) {
          status = FileError{FileErrorKind::TooLarge,
                             fileName + ": has more cells than can be held in memory"};
          return false;
        }
        sheet.LoadCell({f.row, f.column}, memhost::Cell{std::move(v), "", memhost::kDefaultStyle});
        return true;
      },
      [](std::int32_t, size_t) {});
  if (!status) return status.error();
  if (!closed) {
    return FileError{FileErrorKind::Damaged, fileName + ": a quoted field is never closed"};
  }
  sheet.ForgetChanges();
  book->source = source;
  return book;
}

}  // namespace kx::files
