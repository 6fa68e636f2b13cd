#pragma once
// .csv workbooks: UTF-8 text (a byte-order mark is kept), fields quoted as RFC 4180 quotes them,
// the separator detected or given. A field that reads as a number is a number for the add-in,
// but every field the add-in did not change is written back exactly as it was read.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "files/FileError.h"
#include "files/Files.h"
#include "files/OnDisk.h"
#include "memhost/model/Book.h"

namespace kx::files {

class CsvSource : public FileOrigin {
 public:
  std::shared_ptr<const std::string> bytes;
  size_t bomLength = 0;
  char separator = ',';
};

// One field as the parser finds it: where its raw text is (quotes included) and its value.
struct CsvField {
  std::int32_t row = 1, column = 1;
  size_t begin = 0, end = 0;  // raw text
  std::string_view raw;
  const std::string* value = nullptr;
};

// Walks the fields of `text`; `visit` returns false to stop. `recordEnd(row, at)` is told where
// each record's last field ends. Returns false when a quoted field is never closed.
bool ParseCsv(std::string_view text, char separator,
              const std::function<bool(const CsvField&)>& visit,
              const std::function<void(std::int32_t row, size_t at)>& recordEnd);

// The separator the first lines use most consistently: comma, semicolon, tab or bar.
char DetectSeparator(std::string_view text);

// What a field's text is for the add-in: a number, TRUE/FALSE, an error value, or text.
host::Variant CsvValue(const std::string& text);

FileResult<std::shared_ptr<memhost::Book>> ReadCsv(std::shared_ptr<const std::string> bytes,
                                                   const std::string& fileName,
                                                   const OpenOptions& options);

// The file's text for a book; refuses what .csv cannot hold (colours, validation rules, more
// than one sheet), with a message that names .xlsx as the way to keep them.
FileResult<std::string> CsvText(const memhost::Book& book, const std::string& targetName,
                                const SaveOptions& options);

}  // namespace kx::files
