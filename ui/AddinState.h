#pragma once
// AddinState: everything the add-in keeps while it is loaded, in one object owned by the
// connected add-in and passed by reference to whatever needs it. Nothing here is saved.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Forward.h"
#include "host/Variant.h"
#include "ui/Driver.h"
#include "ui/FormRegistry.h"

namespace kx::addin {
class cbDupRem;
}

namespace kx::ui {

// One saved cell for the undo command: what to write back and where.
struct UndoEntry {
  host::Variant SavedFormula;  // as the cell's Formula accepts it: a formula text or a constant
  std::string CellAddress;     // as the host's Range lookup accepts it on the sheet, e.g. $B$7
  // SavedFormula is a text constant, which goes back behind an apostrophe so that it stays the
  // text it was: typed back, "007", "TRUE" or "1/2" would become a number, a truth value or a
  // date. The text is kept as the cell gave it: a million cleared cells are not a million texts
  // copied once more.
  bool KeptAsText = false;

  host::Variant FormulaToWrite() const {
    return KeptAsText ? host::Variant("'" + SavedFormula.AsText()) : SavedFormula;
  }
};

class AddinState {
 public:
  explicit AddinState(Driver& ui) : Ui(ui), Forms(ui, *this) {}
  AddinState(const AddinState&) = delete;
  AddinState& operator=(const AddinState&) = delete;

  // The host's application, set at connection and released at disconnection.
  host::ApplicationRef HostApp;

  // The click handlers of the add-in's menu buttons, kept alive while the menu exists, and the
  // one created last.
  std::vector<std::shared_ptr<addin::cbDupRem>> MenuHandlers;
  std::shared_ptr<addin::cbDupRem> LastMenuHandler;

  // The pending command's operation code ("RDPV"); empty until the first command, then never
  // cleared.
  std::optional<std::string> CurrentOperation;
  // Set by the progress window's "Stop"; cleared by each engine at its start.
  bool StopRequested = false;
  // True after the colour chooser was left with its cancel button.
  bool ColorChoiceCancelled = false;
  // Empty until the colour chooser's OK is first pressed, then the chosen palette index as text.
  host::Variant SelectedColorIndex;

  // The undo store: where to restore and what. UndoEntries is "not yet sized" until something
  // records into it; entries are used from index 1, an entry at index 0 is never written back.
  host::WorkbookRef UndoWorkbook;
  host::WorksheetRef UndoWorksheet;
  std::optional<std::vector<UndoEntry>> UndoEntries;

  // The screen, and the default instance of every form; Forms is declared last so that the forms
  // go first when the state is destroyed, while everything they may reach still exists.
  Driver& Ui;
  FormRegistry Forms;
};

}  // namespace kx::ui
