#pragma once
// Reading a sheet's rows into its cells, a batch of rows at a time as the part is walked: plain
// rows straight from the text, the others through the XML parser.

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

#include "files/FileError.h"
#include "files/PlainRow.h"
#include "files/SheetReader.h"
#include "files/XlsxSource.h"
#include "files/XmlScan.h"
#include "memhost/model/Sheet.h"

namespace kx::files {

// "B7" -> {7, 2}; nullopt when not a cell reference.
std::optional<memhost::CellPos> ParseCellRef(std::string_view ref);

class RowReader {
 public:
  RowReader(memhost::Sheet& sheet, XlsxSheetSource& source, const SheetReadContext& context)
      : sheet_(sheet), source_(source), ctx_(context) {}

  // Reads the rows, child elements of the sheet data whose spans are positions in `text`.
  FileResult<void> ReadBatch(std::string_view text, const std::vector<ElementSpan>& rows);

 private:
  FileResult<void> BeginRow(std::optional<std::string_view> r, std::int64_t n, bool hidden);
  FileResult<memhost::CellPos> PlaceCell(std::optional<std::string_view> r, std::uint64_t xf,
                                         memhost::Cell& cell);
  void SetValue(memhost::Cell& cell, host::Variant value, std::uint64_t xf) const;
  void ArrayFormula(memhost::CellPos pos, memhost::Cell& cell) const;
  void Formula(pugi::xml_node f, memhost::CellPos pos, memhost::Cell& cell);
  FileResult<void> ReadRow(pugi::xml_node row);
  FileResult<void> ReadPlainRow();
  FileResult<void> CheckLength(const memhost::Cell& cell, memhost::CellPos pos) const;
  // Parses text[from, to), rows that are not plain, and reads them.
  FileResult<void> ParseRows(std::string_view text, size_t from, size_t to);

  memhost::Sheet& sheet_;
  XlsxSheetSource& source_;
  const SheetReadContext& ctx_;
  std::int32_t row_ = 0, column_ = 0;
  std::unordered_map<std::int64_t, size_t> sharedGroups_;  // si -> index in formulaGroups
  std::vector<size_t> arrayGroups_;
  pugi::xml_document doc_;
  PlainRowStart start_;
  std::vector<PlainCell> plain_;
};

}  // namespace kx::files
