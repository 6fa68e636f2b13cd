#include "memhost/objects/Application.h"

#include <algorithm>
#include <cctype>

#include "memhost/objects/AddIns.h"
#include "memhost/objects/CellWrite.h"
#include "memhost/objects/CommandBars.h"
#include "memhost/rules/DisplayText.h"
#include "memhost/objects/Range.h"
#include "memhost/rules/ValidationCheck.h"
#include "memhost/objects/Worksheet.h"
#include "memhost/objects/WorksheetFunction.h"
#include "memhost/model/Address.h"

namespace kx::memhost {

namespace {

host::Error Refused(std::string what) {
  return host::Fail(host::err::ApplicationDefined, std::move(what));
}

}  // namespace

Application::Application(std::string version)
    : state_(std::make_shared<HostState>(std::move(version))), owner_(true) {
  MakeBuiltinBars(*state_);
  HostState* raw = state_.get();
  state_->applicationView = [raw] {
    return host::ApplicationRef(std::make_shared<Application>(raw->shared_from_this()));
  };
}

Application::Application(std::shared_ptr<HostState> state) : state_(std::move(state)), owner_(false) {}

Application::~Application() {
  if (!owner_) return;
  Shutdown();
  // Add-ins and their sinks may hold handles back to the host; let go of them all.
  for (auto& entry : state_->addIns) entry->object.reset();
  state_->releaseLater.clear();
  for (auto& bar : state_->bars) {
    std::vector<std::shared_ptr<ControlData>> stack(bar->controls.begin(), bar->controls.end());
    while (!stack.empty()) {
      auto control = std::move(stack.back());
      stack.pop_back();
      control->sinks.clear();
      stack.insert(stack.end(), control->children.begin(), control->children.end());
    }
  }
  state_->applicationView = nullptr;
}

// --- the object model -------------------------------------------------------------------------

host::Result<std::string> Application::Version() {
  KX_MEMHOST_ENTER(*state_, "Application.Version");
  return state_->version;
}

host::Result<host::CommandBarsRef> Application::CommandBars() {
  KX_MEMHOST_ENTER(*state_, "Application.CommandBars");
  return host::CommandBarsRef(std::make_shared<memhost::CommandBars>(state_));
}

host::Result<host::COMAddInsRef> Application::COMAddIns() {
  KX_MEMHOST_ENTER(*state_, "Application.COMAddIns");
  return host::COMAddInsRef(std::make_shared<memhost::COMAddIns>(state_));
}

host::Result<host::WorkbooksRef> Application::Workbooks() {
  KX_MEMHOST_ENTER(*state_, "Application.Workbooks");
  return host::WorkbooksRef(std::make_shared<memhost::Workbooks>(state_));
}

host::Result<host::WorkbookRef> Application::ActiveWorkbook() {
  KX_MEMHOST_ENTER(*state_, "Application.ActiveWorkbook");
  if (!state_->activeBook) return host::WorkbookRef();
  return host::WorkbookRef(std::make_shared<memhost::Workbook>(state_, state_->activeBook));
}

host::Result<host::WorksheetRef> Application::ActiveSheet() {
  KX_MEMHOST_ENTER(*state_, "Application.ActiveSheet");
  auto sheet = ActiveSheetHandle(state_);
  if (!sheet) return host::WorksheetRef();
  return host::WorksheetRef(std::make_shared<memhost::Worksheet>(*sheet));
}

host::Result<host::RangeRef> Application::Selection() {
  KX_MEMHOST_ENTER(*state_, "Application.Selection");
  auto sheet = ActiveSheetHandle(state_);
  if (!sheet) return host::RangeRef();
  if (state_->drawingSelected) return host::RangeRef(std::make_shared<DrawingSelection>());
  // A sheet read from a file may come without a selection: the active cell is selected then.
  if (sheet->sheet->selection.empty()) {
    return memhost::Range::Make(*sheet, {Area::Cell(sheet->sheet->activeCell)});
  }
  return memhost::Range::Make(*sheet, sheet->sheet->selection);
}

host::Result<host::RangeRef> Application::ActiveCell() {
  KX_MEMHOST_ENTER(*state_, "Application.ActiveCell");
  auto sheet = ActiveSheetHandle(state_);
  if (!sheet) return host::RangeRef();
  return memhost::Range::Make(*sheet, {Area::Cell(sheet->sheet->activeCell)});
}

host::Result<host::RangeRef> Application::Intersect(const host::RangeRef& first,
                                                    const host::RangeRef& second) {
  KX_MEMHOST_ENTER(*state_, "Application.Intersect");
  if (!first || !second) return host::Fail(host::err::ObjectRequired, "Object required");
  auto* a = memhost::Range::From(first);
  auto* b = memhost::Range::From(second);
  if (!a || !b) return host::Fail(host::err::TypeMismatch, "Type mismatch");
  if (!a->sheet().Alive() || !b->sheet().Alive()) return ObjectGone();
  if (a->sheet().sheet != b->sheet().sheet) {
    return Refused("Method 'Intersect' of object '_Application' failed");
  }
  std::vector<Area> overlap;
  for (const Area& x : a->areas()) {
    for (const Area& y : b->areas()) {
      Area o;
      if (memhost::Intersect(x, y, o)) overlap.push_back(o);
    }
  }
  if (overlap.empty()) return host::RangeRef();
  return memhost::Range::Make(a->sheet(), std::move(overlap));
}

host::Result<host::RangeRef> Application::Range(std::string_view address) {
  KX_MEMHOST_ENTER(*state_, "Application.Range");
  auto sheet = ActiveSheetHandle(state_);
  if (!sheet) return Refused("Method 'Range' of object '_Global' failed: no workbook is open");
  if (const CellPos cell = state_->lastAddressedCell;
      cell.row != 0 && address == FormatArea(Area::Cell(cell))) {
    return memhost::Range::SpareCell(spareCell_, *sheet, cell);
  }
  auto areas = ParseAreas(address);
  if (!areas) return Refused("Method 'Range' of object '_Global' failed");
  return memhost::Range::Make(*sheet, std::move(*areas));
}

host::Result<host::WorksheetFunctionRef> Application::WorksheetFunction() {
  KX_MEMHOST_ENTER(*state_, "Application.WorksheetFunction");
  // One object serves every call, as the host hands out the same one.
  if (!worksheetFunction_) worksheetFunction_ = std::make_shared<memhost::WorksheetFunction>(state_);
  return worksheetFunction_;
}

host::Result<long> Application::EnableCancelKey() {
  KX_MEMHOST_ENTER(*state_, "Application.EnableCancelKey");
  return state_->enableCancelKey;
}

host::Result<void> Application::SetEnableCancelKey(long mode) {
  KX_MEMHOST_ENTER(*state_, "Application.SetEnableCancelKey");
  if (mode < host::xl::CancelKeyDisabled || mode > host::xl::CancelKeyErrorHandler) {
    return host::Fail(host::err::InvalidProcedureCall, "Invalid procedure call or argument");
  }
  state_->enableCancelKey = mode;
  return {};
}

host::Result<host::Variant> Application::StatusBar() {
  KX_MEMHOST_ENTER(*state_, "Application.StatusBar");
  return state_->statusBar;
}

host::Result<void> Application::SetStatusBar(const host::Variant& text) {
  KX_MEMHOST_ENTER(*state_, "Application.SetStatusBar");
  // FALSE (or TRUE) gives the bar back to the host; anything else is shown as text.
  if (text.IsBoolean()) state_->statusBar = host::Variant(false);
  else state_->statusBar = host::Variant(DisplayText(text, "General"));
  return {};
}

host::Result<bool> Application::ScreenUpdating() {
  KX_MEMHOST_ENTER(*state_, "Application.ScreenUpdating");
  return state_->screenUpdating;
}

host::Result<void> Application::SetScreenUpdating(bool on) {
  KX_MEMHOST_ENTER(*state_, "Application.SetScreenUpdating");
  state_->screenUpdating = on;
  return {};
}

host::Result<long> Application::Calculation() {
  KX_MEMHOST_ENTER(*state_, "Application.Calculation");
  return CalculationSetting();
}

host::Result<void> Application::SetCalculation(long mode) {
  KX_MEMHOST_ENTER(*state_, "Application.SetCalculation");
  if (state_->books.empty()) return Refused("Method 'Calculation' of object '_Application' failed");
  if (mode != host::xl::CalculationAutomatic && mode != host::xl::CalculationManual &&
      mode != host::xl::CalculationSemiautomatic) {
    return Refused("Unable to set the Calculation property of the Application class");
  }
  state_->calculation = mode;
  return {};
}

host::Result<void> Application::OnUndo(const std::string& text, const std::string& procedure) {
  KX_MEMHOST_ENTER(*state_, "Application.OnUndo");
  state_->onUndoText = text;
  state_->onUndoProcedure = procedure;
  return {};
}

host::Result<void> Application::OnKey(const std::string& key,
                                      const std::optional<std::string>& procedure) {
  KX_MEMHOST_ENTER(*state_, "Application.OnKey");
  if (key.empty()) return host::Fail(host::err::InvalidProcedureCall, "OnKey needs a key");
  if (procedure) state_->onKey[key] = procedure;
  else state_->onKey.erase(key);
  return {};
}

// --- driver -----------------------------------------------------------------------------------

std::shared_ptr<Book> Application::AddBook() { return AddNewBook(*state_); }

void Application::AdoptBook(std::shared_ptr<Book> book) { memhost::AdoptBook(*state_, std::move(book)); }

void Application::CloseBook(const std::shared_ptr<Book>& book) {
  spareCell_.reset();  // it may stand on the book, which it would keep
  memhost::CloseBook(*state_, book);
}

host::Result<void> Application::ActivateSheet(std::string_view name) {
  auto& book = state_->activeBook;
  if (!book) return Refused("No workbook is open");
  for (size_t i = 0; i < book->sheets.size(); ++i) {
    if (book->sheets[i]->name() == name) {
      book->activeSheet = i;
      state_->drawingSelected = false;
      return {};
    }
  }
  return host::Fail(host::err::SubscriptOutOfRange, "Subscript out of range");
}

host::Result<void> Application::SelectAddress(std::string_view address) {
  auto sheet = ActiveSheetHandle(state_);
  if (!sheet) return Refused("No workbook is open");
  auto areas = ParseAreas(address);
  if (!areas) return Refused("Not an address: " + std::string(address));
  sheet->sheet->selection = *areas;
  sheet->sheet->activeCell = {(*areas)[0].firstRow, (*areas)[0].firstColumn};
  state_->drawingSelected = false;
  return {};
}

host::Result<Application::Entry> Application::TypeIntoCell(std::string_view address,
                                                           std::string_view text) {
  auto sheet = ActiveSheetHandle(state_);
  if (!sheet) return Refused("No workbook is open");
  auto area = ParseArea(address);
  if (!area || area->cells() != 1) return Refused("Type into one cell: " + std::string(address));
  CellPos pos{area->firstRow, area->firstColumn};
  Book& book = *sheet->book;
  Sheet& s = *sheet->sheet;
  const Cell* current = s.CellAt(pos);
  bool textFormat = current && book.styles.Get(current->style).numberFormat == "@";
  TypedInput typed = EntryFor(host::Variant(text), textFormat);

  Entry entry;
  if (const ValidationRule* rule = RuleAt(s, pos); rule && rule->showError &&
                                                   rule->alertStyle == host::xl::ValidAlertStop) {
    // The rule is evaluated as if the entry were already in the cell.
    Cell candidate;
    if (current) candidate.style = current->style;
    candidate.value = typed.valueKnown ? typed.value
                      : (current && current->formula == typed.formula ? current->value : host::Variant());
    candidate.formula = typed.formula;
    if (!RuleAccepts(*sheet, *rule, pos, candidate.IsBlank() ? nullptr : &candidate)) {
      entry.accepted = false;
      entry.errorTitle = rule->errorTitle;
      entry.errorMessage = rule->errorMessage;
      return entry;
    }
  }
  WriteEntry(book, s, pos, typed);
  return entry;
}

host::Result<bool> Application::Click(const host::CommandBarControlRef& control) {
  return ClickControl(*state_, control);
}

host::Result<long> Application::CalculationSetting() const {
  if (state_->books.empty()) return Refused("Method 'Calculation' of object '_Application' failed");
  return state_->calculation;
}

std::optional<std::string> Application::OnKeyProcedure(const std::string& key) const {
  auto it = state_->onKey.find(key);
  return it == state_->onKey.end() ? std::nullopt : it->second;
}

void Application::RegisterAddIn(host::AddInRegistration registration) {
  auto entry = std::make_shared<AddInEntry>();
  entry->registration = std::move(registration);
  state_->addIns.push_back(std::move(entry));
}

host::Result<void> Application::Start() {
  host::Result<void> outcome;
  auto entries = state_->addIns;
  for (const auto& entry : entries) {
    if (entry->registration.LoadBehavior != 3) continue;
    auto connected = ConnectAddIn(*state_, entry, host::ext::ConnectStartup);
    if (!connected.ok() && outcome.ok()) outcome = connected;
  }
  return outcome;
}

void Application::Shutdown() {
  auto entries = state_->addIns;
  for (const auto& entry : entries) {
    (void)DisconnectAddIn(*state_, entry, host::ext::DisconnectHostShutdown);
  }
  RemoveTemporaryControls(*state_);
}

std::shared_ptr<AddInEntry> Application::FindAddIn(std::string_view progId) const {
  for (const auto& entry : state_->addIns) {
    if (entry->registration.ProgId == progId) return entry;
  }
  return nullptr;
}

std::string Application::CustomUI(std::string_view progId) const {
  auto entry = FindAddIn(progId);
  return entry ? entry->customUI : std::string();
}

long Application::CustomUICalls(std::string_view progId) const {
  auto entry = FindAddIn(progId);
  return entry ? entry->customUICalls : 0;
}

}  // namespace kx::memhost
