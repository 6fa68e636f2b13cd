#pragma once
// Writing a changed worksheet part: the original bytes of every untouched row and cell are
// copied, and only the cells, rows, dimension and validation list that changed are written
// anew.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileError.h"
#include "files/PartSource.h"
#include "files/PartText.h"
#include "files/PartWindow.h"
#include "files/SharedStrings.h"
#include "files/XlsxSource.h"
#include "files/XlsxStyles.h"
#include "memhost/model/Book.h"

namespace kx::files {

struct SheetWriteContext {
  const memhost::Book* book = nullptr;
  const memhost::Sheet* sheet = nullptr;
  const XlsxSheetSource* source = nullptr;
  XlsxStyles* styles = nullptr;
  bool date1904 = false;
  std::string what;  // names the sheet in messages
  // The shared strings, read only when a changed cell needs them.
  std::function<FileResult<const SharedStrings*>()> sharedStrings;
  // Cell formats that show dates, by index (to compare a date with its stored number).
  const std::vector<bool>* dateFormats = nullptr;
  // Writes every cell, hidden row and rule of the sheet, as for a new file.
  bool everything = false;
  // Set when a formula cell was removed or rewritten (the calculation chain is then stale).
  bool formulaChanged = false;
  size_t windowBytes = PartWindow::kDefaultStretch;  // how much of the part is read at a time
};

// The sheet's part after the changes. The result refers to stretches of the original, which it
// reads again from `original` as it is read.
FileResult<PartText> RewriteSheet(std::shared_ptr<PartSource> original, SheetWriteContext& context);
FileResult<PartText> RewriteSheet(std::string xml, SheetWriteContext& context);

// The data validation list for a sheet's rules: unchanged rules keep their original element.
std::string ValidationsXml(const std::vector<memhost::ValidationRule>& rules,
                           const XlsxSheetSource& source, const std::string& prefix);

// A number as a cell stores it: the shortest text that reads back as the same double.
std::string NumberText(double value);

}  // namespace kx::files
