#pragma once
// The sheet an object of the host works on, with the workbook and host state it belongs to.
// Alive() turns false once the workbook is closed; objects then fail with 424 rather than
// touch a sheet nobody shows any more.

#include <memory>

#include "memhost/HostState.h"

namespace kx::memhost {

struct SheetHandle {
  std::shared_ptr<HostState> state;
  std::shared_ptr<Book> book;
  std::shared_ptr<Sheet> sheet;

  bool Alive() const { return state->IsOpen(book.get()); }
  bool IsActiveSheet() const {
    return state->activeBook == book && book->activeSheet < book->sheets.size() &&
           book->sheets[book->activeSheet] == sheet;
  }
};

}  // namespace kx::memhost
