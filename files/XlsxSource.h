#pragma once
// What a book read from an .xlsx keeps of its file: the original bytes (so untouched parts are
// copied as they were, even if the file on disk has changed meanwhile) and where things are.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/OnDisk.h"
#include "memhost/model/Book.h"
#include "memhost/model/Grid.h"
#include "memhost/model/Validation.h"

namespace kx::files {

// A group of cells sharing one formula, or an array formula, as the file states it.
struct FormulaGroup {
  memhost::CellPos anchor;
  memhost::Area area;
  std::string formula;  // the anchor's, with "="
  bool array = false;
};

struct XlsxSheetSource {
  std::string name;
  std::string part;                                  // "xl/worksheets/sheet1.xml"
  std::vector<memhost::ValidationRule> validations;  // as read, by sourceIndex
  std::vector<std::string> validationXml;            // each rule's original element
  std::vector<FormulaGroup> formulaGroups;
};

class XlsxSource : public FileOrigin {
 public:
  std::shared_ptr<const std::string> bytes;
  std::string workbookPart;
  std::string stylesPart;         // empty when the package has none
  std::string sharedStringsPart;  // empty when none
  std::string themePart;
  std::string calcChainPart;
  bool date1904 = false;
  bool macros = false;  // the package holds a macro project
  std::vector<XlsxSheetSource> sheets;
};

}  // namespace kx::files
