#pragma once
// Book: one workbook as memhost keeps it.

#include <memory>
#include <string>
#include <vector>

#include "memhost/model/Sheet.h"
#include "memhost/model/Styles.h"

namespace kx::memhost {

// What a file reader keeps of the file a book came from, so that a writer can carry through
// everything memhost does not model. memhost itself never looks inside.
class SourceDocument {
 public:
  virtual ~SourceDocument() = default;
};

class Book {
 public:
  explicit Book(std::string bookName) : name(std::move(bookName)) {}

  std::string name;  // "Book1", or the file's name
  std::string path;  // the file it was read from; empty for a new book
  std::vector<std::shared_ptr<Sheet>> sheets;
  size_t activeSheet = 0;
  StyleTable styles;
  // Set when formulas may no longer agree with their cached values (a cell they depend on was
  // changed here); a writer asks the spreadsheet to recalculate on load.
  bool needsRecalculation = false;
  std::shared_ptr<SourceDocument> source;

  Sheet& AddSheet(std::string sheetName) {
    sheets.push_back(std::make_shared<Sheet>(std::move(sheetName)));
    return *sheets.back();
  }
};

}  // namespace kx::memhost
