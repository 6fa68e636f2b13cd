#pragma once
// Reading one worksheet part into a memhost Sheet.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "files/FileError.h"
#include "files/PartSource.h"
#include "files/PartWindow.h"
#include "files/SharedStrings.h"
#include "files/XlsxSource.h"
#include "memhost/model/Sheet.h"

namespace kx::files {

struct SheetReadContext {
  std::string what;  // "book.xlsx: sheet "Data"" for messages
  const SharedStrings* sharedStrings = nullptr;
  const std::vector<memhost::StyleId>* styleIds = nullptr;  // cell format index -> model style
  const std::vector<bool>* dateFormats = nullptr;           // cell format index -> shows a date
  bool date1904 = false;
  std::uint64_t* cellBudget = nullptr;  // cells the book may still take
  std::uint64_t maxCellChars = 32767;   // the longest text a cell may hold
  size_t windowBytes = PartWindow::kDefaultStretch;  // how much of the part is read at a time
};

// Reads the part as it inflates, never holding it whole.
FileResult<void> ReadSheet(std::unique_ptr<TextStream> part, memhost::Sheet& sheet,
                           XlsxSheetSource& source, const SheetReadContext& context);
FileResult<void> ReadSheet(std::string_view xml, memhost::Sheet& sheet, XlsxSheetSource& source,
                           const SheetReadContext& context);

// A cell's value and whether it has a formula, as a `c` element states them (used by the
// writer to tell a restyled cell from a rewritten one).
struct CellContent {
  host::Variant value;
  bool hasFormula = false;
};
FileResult<CellContent> ReadCellContent(pugi::xml_node c, const SheetReadContext& context);
// A cell's value from its type and the text of its `v` element (nullopt when it has none), for
// every type but inline strings.
FileResult<host::Variant> CellValue(std::string_view type, std::optional<std::string_view> v,
                                    const SheetReadContext& context);


// "2024-01-05T12:00:00" -> the serial day number; nullopt when not such a date.
std::optional<double> SerialFromIsoDate(std::string_view text);

}  // namespace kx::files
