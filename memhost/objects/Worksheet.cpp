#include "memhost/objects/Worksheet.h"

#include <algorithm>
#include <cctype>

#include "memhost/objects/Range.h"
#include "memhost/rules/TextMatch.h"
#include "memhost/model/Address.h"

namespace kx::memhost {

namespace {

host::Error NoSuchItem() { return host::Fail(host::err::SubscriptOutOfRange, "Subscript out of range"); }

}  // namespace

std::shared_ptr<Book> AddNewBook(HostState& state) {
  auto book = std::make_shared<Book>("Book" + std::to_string(++state.booksMade));
  book->AddSheet("Sheet1");
  AdoptBook(state, book);
  return book;
}

void AdoptBook(HostState& state, std::shared_ptr<Book> book) {
  if (book->sheets.empty()) book->AddSheet("Sheet1");
  if (book->activeSheet >= book->sheets.size()) book->activeSheet = 0;
  if (!state.IsOpen(book.get())) state.books.push_back(book);
  state.activeBook = std::move(book);
  state.drawingSelected = false;
}

void CloseBook(HostState& state, const std::shared_ptr<Book>& book) {
  state.indexes.Drop(*book);
  std::erase(state.books, book);
  if (state.activeBook == book) {
    state.activeBook = state.books.empty() ? nullptr : state.books.back();
    state.drawingSelected = false;
  }
}

std::optional<SheetHandle> ActiveSheetHandle(const std::shared_ptr<HostState>& state) {
  const auto& book = state->activeBook;
  if (!book || book->sheets.empty()) return std::nullopt;
  return SheetHandle{state, book, book->sheets[std::min(book->activeSheet, book->sheets.size() - 1)]};
}

// --- Worksheet ------------------------------------------------------------------------------

host::Result<void> Worksheet::Enter(const char* name) const {
  KX_MEMHOST_ENTER(*sheet_.state, name);
  if (!sheet_.Alive()) return ObjectGone();
  return {};
}

host::Result<std::string> Worksheet::Name() {
  KX_TRY(Enter("Worksheet.Name"));
  return sheet_.sheet->name();
}

host::Result<host::WorkbookRef> Worksheet::Parent() {
  KX_TRY(Enter("Worksheet.Parent"));
  return host::WorkbookRef(std::make_shared<Workbook>(sheet_.state, sheet_.book));
}

host::Result<void> Worksheet::Activate() {
  KX_TRY(Enter("Worksheet.Activate"));
  auto& sheets = sheet_.book->sheets;
  sheet_.book->activeSheet =
      static_cast<size_t>(std::find(sheets.begin(), sheets.end(), sheet_.sheet) - sheets.begin());
  sheet_.state->activeBook = sheet_.book;
  sheet_.state->drawingSelected = false;
  return {};
}

host::Result<host::RangeRef> Worksheet::UsedRange() {
  KX_TRY(Enter("Worksheet.UsedRange"));
  return memhost::Range::Make(sheet_, {sheet_.sheet->UsedArea().value_or(Area{})});
}

host::Result<bool> Worksheet::FilterMode() {
  KX_TRY(Enter("Worksheet.FilterMode"));
  return sheet_.sheet->filterRange.has_value();
}

host::Result<void> Worksheet::ShowAllData() {
  KX_TRY(Enter("Worksheet.ShowAllData"));
  Sheet& sheet = *sheet_.sheet;
  if (!sheet.filterRange) {
    return host::Fail(host::err::ApplicationDefined, "ShowAllData method of Worksheet class failed");
  }
  for (std::int32_t r = sheet.filterRange->firstRow; r <= sheet.filterRange->lastRow; ++r) {
    sheet.SetRowHidden(r, false);
  }
  sheet.filterRange.reset();
  return {};
}

host::Result<host::RangeRef> Worksheet::Range(std::string_view address) {
  KX_TRY(Enter("Worksheet.Range"));
  auto areas = ParseAreas(address);
  if (!areas) {
    return host::Fail(host::err::ApplicationDefined, "Method 'Range' of object '_Worksheet' failed");
  }
  return memhost::Range::Make(sheet_, std::move(*areas));
}

host::Result<host::RangeRef> Worksheet::Cells() {
  KX_TRY(Enter("Worksheet.Cells"));
  return memhost::Range::Make(sheet_, {Area{1, 1, kMaxRows, kMaxColumns}});
}

// --- Workbook -------------------------------------------------------------------------------

host::Result<void> Workbook::Enter(const char* name) const {
  KX_MEMHOST_ENTER(*state_, name);
  if (!state_->IsOpen(book_.get())) return ObjectGone();
  return {};
}

host::WorksheetRef Workbook::SheetObject(size_t index) const {
  return std::make_shared<Worksheet>(SheetHandle{state_, book_, book_->sheets[index]});
}

host::Result<std::string> Workbook::Name() {
  KX_TRY(Enter("Workbook.Name"));
  return book_->name;
}

host::Result<void> Workbook::Activate() {
  KX_TRY(Enter("Workbook.Activate"));
  state_->activeBook = book_;
  state_->drawingSelected = false;
  return {};
}

host::Result<host::WorksheetRef> Workbook::ActiveSheet() {
  KX_TRY(Enter("Workbook.ActiveSheet"));
  return SheetObject(std::min(book_->activeSheet, book_->sheets.size() - 1));
}

host::Result<long> Workbook::WorksheetCount() {
  KX_TRY(Enter("Workbook.WorksheetCount"));
  return static_cast<long>(book_->sheets.size());
}

host::Result<host::WorksheetRef> Workbook::Worksheets(long index) {
  KX_TRY(Enter("Workbook.Worksheets"));
  if (index < 1 || static_cast<size_t>(index) > book_->sheets.size()) return NoSuchItem();
  return SheetObject(static_cast<size_t>(index - 1));
}

host::Result<host::WorksheetRef> Workbook::Worksheets(std::string_view name) {
  KX_TRY(Enter("Workbook.Worksheets"));
  for (size_t i = 0; i < book_->sheets.size(); ++i) {
    if (EqualIgnoringAsciiCase(book_->sheets[i]->name(), name)) return SheetObject(i);
  }
  return NoSuchItem();
}

host::Result<void> Workbook::Close() {
  KX_TRY(Enter("Workbook.Close"));
  CloseBook(*state_, book_);
  return {};
}

// --- Workbooks ------------------------------------------------------------------------------

host::Result<long> Workbooks::Count() {
  KX_MEMHOST_ENTER(*state_, "Workbooks.Count");
  return static_cast<long>(state_->books.size());
}

host::Result<host::WorkbookRef> Workbooks::Item(long index) {
  KX_MEMHOST_ENTER(*state_, "Workbooks.Item");
  if (index < 1 || static_cast<size_t>(index) > state_->books.size()) return NoSuchItem();
  return host::WorkbookRef(std::make_shared<Workbook>(state_, state_->books[static_cast<size_t>(index - 1)]));
}

host::Result<host::WorkbookRef> Workbooks::Item(std::string_view name) {
  KX_MEMHOST_ENTER(*state_, "Workbooks.Item");
  for (const auto& book : state_->books) {
    if (EqualIgnoringAsciiCase(book->name, name)) {
      return host::WorkbookRef(std::make_shared<Workbook>(state_, book));
    }
  }
  return NoSuchItem();
}

host::Result<host::WorkbookRef> Workbooks::Add() {
  KX_MEMHOST_ENTER(*state_, "Workbooks.Add");
  return host::WorkbookRef(std::make_shared<Workbook>(state_, AddNewBook(*state_)));
}

}  // namespace kx::memhost
