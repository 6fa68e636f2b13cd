#include <algorithm>
#include <map>

#include "files/Csv.h"
#include "files/SheetWriter.h"

namespace kx::files {

namespace {
std::string Quoted(std::string_view text, char sep, bool always = false) {
  bool needs =
      always || text.find_first_of(std::string{sep, '"', '\n', '\r'}) != std::string_view::npos;
  if (!needs) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string FieldText(const memhost::Cell* cell, char sep) {
  if (cell == nullptr) return "";
  const host::Variant& v = cell->value;
  switch (v.kind()) {
    case host::Variant::Kind::Empty:
      return "";
    case host::Variant::Kind::Number:
      return NumberText(v.AsNumber());
    case host::Variant::Kind::Date:
      return NumberText(v.AsDate().serial);
    case host::Variant::Kind::Boolean:
      return v.AsBoolean() ? "TRUE" : "FALSE";
    case host::Variant::Kind::Error:
      return std::string(host::ErrorValueText(v.AsError()));
    case host::Variant::Kind::Text:
      return Quoted(v.AsText(), sep);
  }
  return "";
}

FileError Refuse(const std::string& target, const std::string& what) {
  return {FileErrorKind::Unsupported,
          target + ": " + what +
              " cannot be stored in a .csv file; save the workbook as .xlsx to keep them"};
}

// Rows [firstRow, lastRow] of the sheet as records, written from the model.
void AppendRecords(const memhost::Sheet& sheet, std::int32_t firstRow, std::int32_t lastRow,
                   std::int32_t lastColumn, char sep, const std::string& lineEnd,
                   std::string& out) {
  for (std::int32_t row = firstRow; row <= lastRow; ++row) {
    std::int32_t last = 0;
    for (std::int32_t col = 1; col <= lastColumn; ++col) {
      if (sheet.CellAt({row, col}) != nullptr) last = col;
    }
    for (std::int32_t col = 1; col <= last; ++col) {
      if (col > 1) out += sep;
      out += FieldText(sheet.CellAt({row, col}), sep);
    }
    out += lineEnd;
  }
}
}  // namespace

FileResult<std::string> CsvText(const memhost::Book& book, const std::string& targetName,
                                const SaveOptions& options) {
  if (book.sheets.size() != 1) return Refuse(targetName, "a workbook with several sheets");
  const memhost::Sheet& sheet = *book.sheets[0];
  if (!sheet.validations().empty()) return Refuse(targetName, "data validation rules");
  // Only a colour some cell actually uses counts; most books have none at all.
  auto coloured = [&](const memhost::Style& st) { return st.colorIndex != host::xl::ColorIndexNone; };
  if (std::any_of(book.styles.all().begin(), book.styles.all().end(), coloured)) {
    bool used = false;
    for (std::int32_t col : sheet.UsedColumns()) {
      sheet.ForEachInColumn(col, 1, memhost::kMaxRows, [&](std::int32_t, const memhost::Cell& c) {
        used = used || coloured(book.styles.Get(c.style));
      });
      if (used) return Refuse(targetName, "cell colours");
    }
  }

  const auto* source = dynamic_cast<const CsvSource*>(book.source.get());
  char sep = options.csvSeparator != 0 ? options.csvSeparator
             : source != nullptr       ? source->separator
                                       : ',';
  if (source == nullptr) {
    std::string out;
    if (auto used = sheet.UsedArea())
      AppendRecords(sheet, 1, used->lastRow, used->lastColumn, sep, "\r\n", out);
    return out;
  }

  std::string_view original = *source->bytes;
  std::string_view text = original.substr(source->bomLength);
  std::map<std::int32_t, std::map<std::int32_t, bool>> changed;  // row -> column -> written
  for (memhost::CellPos pos : sheet.changes().cells) changed[pos.row][pos.column] = false;
  bool sameSeparator = sep == source->separator;

  std::string out(original.substr(0, source->bomLength));
  out.reserve(original.size() + 1024);
  size_t copied = 0;
  std::int32_t lastRow = 0;
  std::int32_t fieldsInRecord = 0;
  auto flushTo = [&](size_t at) {
    out.append(text.substr(copied, at - copied));
    copied = at;
  };
  ParseCsv(
      text, source->separator,
      [&](const CsvField& f) {
        fieldsInRecord = f.column;
        auto row = changed.find(f.row);
        bool isChanged = row != changed.end() && row->second.count(f.column) != 0;
        if (!isChanged && sameSeparator) return true;  // copied with its stretch of bytes
        flushTo(f.begin);
        if (isChanged) {
          out += FieldText(sheet.CellAt({f.row, f.column}), sep);
          row->second[f.column] = true;
        } else {
          // The separator changes: the same value, quoted for the new one when needed.
          bool wasQuoted = !f.raw.empty() && f.raw[0] == '"';
          out += wasQuoted ? Quoted(*f.value, sep, true) : Quoted(*f.value, sep);
        }
        copied = f.end;
        if (f.end < text.size() && text[f.end] == source->separator) {
          out += sep;
          copied = f.end + 1;
        }
        return true;
      },
      [&](std::int32_t rowNumber, size_t at) {
        lastRow = rowNumber;
        auto row = changed.find(rowNumber);
        if (row == changed.end()) return;
        // Cells written beyond the record's last field: pad with empty fields up to them.
        std::int32_t last = 0;
        for (const auto& [col, done] : row->second) {
          if (!done && col > fieldsInRecord && sheet.CellAt({rowNumber, col}) != nullptr)
            last = col;
        }
        if (last == 0) return;
        flushTo(at);
        for (std::int32_t col = fieldsInRecord + 1; col <= last; ++col) {
          out += sep;
          out += FieldText(sheet.CellAt({rowNumber, col}), sep);
        }
      });
  flushTo(text.size());
  // Rows below the file's last record.
  auto used = sheet.UsedArea();
  if (used && used->lastRow > lastRow) {
    // New records end the way the file's records do.
    std::string lineEnd =
        text.find('\n') == std::string_view::npos || text.find("\r\n") != std::string_view::npos
            ? "\r\n"
            : "\n";
    if (!out.empty() && out.back() != '\n') out += lineEnd;
    AppendRecords(sheet, lastRow + 1, used->lastRow, used->lastColumn, sep, lineEnd, out);
  }
  return out;
}

}  // namespace kx::files
