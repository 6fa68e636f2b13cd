#pragma once
// Workbooks, Workbook and Worksheet over the open books of the host state.

#include <memory>

#include "host/Worksheet.h"
#include "memhost/SheetHandle.h"

namespace kx::memhost {

class Worksheet final : public host::Worksheet {
 public:
  explicit Worksheet(SheetHandle sheet) : sheet_(std::move(sheet)) {}

  host::Result<std::string> Name() override;
  host::Result<host::WorkbookRef> Parent() override;
  host::Result<void> Activate() override;
  host::Result<host::RangeRef> UsedRange() override;
  host::Result<bool> FilterMode() override;
  host::Result<void> ShowAllData() override;
  host::Result<host::RangeRef> Range(std::string_view address) override;
  host::Result<host::RangeRef> Cells() override;

 private:
  host::Result<void> Enter(const char* name) const;
  SheetHandle sheet_;
};

class Workbook final : public host::Workbook {
 public:
  Workbook(std::shared_ptr<HostState> state, std::shared_ptr<Book> book)
      : state_(std::move(state)), book_(std::move(book)) {}

  host::Result<std::string> Name() override;
  host::Result<void> Activate() override;
  host::Result<host::WorksheetRef> ActiveSheet() override;
  host::Result<long> WorksheetCount() override;
  host::Result<host::WorksheetRef> Worksheets(long index) override;
  host::Result<host::WorksheetRef> Worksheets(std::string_view name) override;
  host::Result<void> Close() override;

 private:
  host::Result<void> Enter(const char* name) const;
  host::WorksheetRef SheetObject(size_t index) const;
  std::shared_ptr<HostState> state_;
  std::shared_ptr<Book> book_;
};

class Workbooks final : public host::Workbooks {
 public:
  explicit Workbooks(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  host::Result<long> Count() override;
  host::Result<host::WorkbookRef> Item(long index) override;
  host::Result<host::WorkbookRef> Item(std::string_view name) override;
  host::Result<host::WorkbookRef> Add() override;

 private:
  std::shared_ptr<HostState> state_;
};

// Book-level operations shared by the object model and the test driver.
std::shared_ptr<Book> AddNewBook(HostState& state);
void AdoptBook(HostState& state, std::shared_ptr<Book> book);
void CloseBook(HostState& state, const std::shared_ptr<Book>& book);
// The active sheet of the active book, or nothing when no book is open.
std::optional<SheetHandle> ActiveSheetHandle(const std::shared_ptr<HostState>& state);

}  // namespace kx::memhost
