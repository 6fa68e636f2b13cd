#pragma once
// memhost: the in-memory spreadsheet host.
//
// memhost answers the host object model of host/ over workbooks kept in memory, with the
// spreadsheet's own rules for what the add-in relies on: COUNTIF criteria, the unique-records
// filter, Find, displayed text, used ranges, fills, data validation, command bars and the COM
// add-in list. It is the host of the kestrix program and of every test. Besides the object
// model, Application offers a driver API for tests and the program: open and close books, act
// as the user (select, type into a cell, click a menu button), start and shut down the host,
// and make chosen calls fail.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Application.h"
#include "memhost/Faults.h"
#include "memhost/HostState.h"

namespace kx::memhost {

class Range;

class Application final : public host::Application {
 public:
  // `version` is "11.0" for a host with classic menus, "16.0" for a ribbon host.
  explicit Application(std::string version = "16.0");
  // The handle the host gives add-ins: the same host, not owning it.
  explicit Application(std::shared_ptr<HostState> state);
  // The owning Application disconnects every add-in and lets go of their objects and sinks.
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // --- the object model -------------------------------------------------------------------
  host::Result<std::string> Version() override;
  host::Result<host::CommandBarsRef> CommandBars() override;
  host::Result<host::COMAddInsRef> COMAddIns() override;
  host::Result<host::WorkbooksRef> Workbooks() override;
  host::Result<host::WorkbookRef> ActiveWorkbook() override;
  host::Result<host::WorksheetRef> ActiveSheet() override;
  host::Result<host::RangeRef> Selection() override;
  host::Result<host::RangeRef> ActiveCell() override;
  host::Result<host::RangeRef> Intersect(const host::RangeRef& first,
                                         const host::RangeRef& second) override;
  host::Result<host::RangeRef> Range(std::string_view address) override;
  host::Result<host::WorksheetFunctionRef> WorksheetFunction() override;
  host::Result<long> EnableCancelKey() override;
  host::Result<void> SetEnableCancelKey(long mode) override;
  host::Result<host::Variant> StatusBar() override;
  host::Result<void> SetStatusBar(const host::Variant& text) override;
  host::Result<bool> ScreenUpdating() override;
  host::Result<void> SetScreenUpdating(bool on) override;
  host::Result<long> Calculation() override;
  host::Result<void> SetCalculation(long mode) override;
  host::Result<void> OnUndo(const std::string& text, const std::string& procedure) override;
  host::Result<void> OnKey(const std::string& key,
                           const std::optional<std::string>& procedure) override;

  // --- driver: workbooks and the user's view ------------------------------------------------
  Faults& faults() { return state_->faults; }
  std::shared_ptr<Book> AddBook();
  // Opens a book made elsewhere (the file reader); it becomes the active book.
  void AdoptBook(std::shared_ptr<Book> book);
  void CloseBook(const std::shared_ptr<Book>& book);
  std::shared_ptr<Book> ActiveBook() const { return state_->activeBook; }
  const std::vector<std::shared_ptr<Book>>& Books() const { return state_->books; }
  // 9 when the active book has no such sheet, 1004 when no book is open.
  host::Result<void> ActivateSheet(std::string_view name);
  // Selects cells of the active sheet ("A1:A10"); 1004 for an unreadable address.
  host::Result<void> SelectAddress(std::string_view address);
  // Selects a chart or shape: Selection is then no range.
  void SelectDrawingObject() { state_->drawingSelected = true; }

  // --- driver: the user at the keyboard -------------------------------------------------------
  struct Entry {
    bool accepted = true;
    // The stopping rule's error texts when the entry was refused.
    std::string errorTitle;
    std::string errorMessage;
  };
  // The user types `text` into a cell of the active sheet. The cell's validation rule is
  // applied as the host applies it to typing: a Stop rule that rejects the entry refuses it
  // and the cell keeps what it held; Warning and Information rules let it through (the user
  // answers the host's question with Yes/OK).
  host::Result<Entry> TypeIntoCell(std::string_view address, std::string_view text);
  // The user clicks a button of a command bar. Returns whether a sink set CancelDefault.
  host::Result<bool> Click(const host::CommandBarControlRef& control);
  // What clicks would have run as macros: "would run macro X".
  const std::vector<std::string>& MacroLog() const { return state_->macroLog; }

  // --- driver: settings the add-in changes ------------------------------------------------
  long EnableCancelKeySetting() const { return state_->enableCancelKey; }
  const host::Variant& StatusBarSetting() const { return state_->statusBar; }
  bool ScreenUpdatingSetting() const { return state_->screenUpdating; }
  // 1004 while no workbook is open, as the host's own property.
  host::Result<long> CalculationSetting() const;
  const std::string& OnUndoText() const { return state_->onUndoText; }
  const std::string& OnUndoProcedure() const { return state_->onUndoProcedure; }
  // The procedure bound to a key; nullopt when the key belongs to the host.
  std::optional<std::string> OnKeyProcedure(const std::string& key) const;

  // --- driver: the add-in list ----------------------------------------------------------------
  void RegisterAddIn(host::AddInRegistration registration);
  // Starting the host connects every add-in registered to load at start-up (LoadBehavior 3);
  // a failing connection leaves that add-in unloaded and is reported after the others ran.
  host::Result<void> Start();
  // Closing the host disconnects every add-in and removes the temporary controls.
  void Shutdown();
  // The custom UI text an add-in gave the ribbon host; empty when none.
  std::string CustomUI(std::string_view progId) const;
  long CustomUICalls(std::string_view progId) const;

  // --- driver: the ribbon ---------------------------------------------------------------------
  struct RibbonButton {
    std::string id;
    std::string label;
    std::string onAction;
  };
  // The buttons of the custom UI an add-in gave, in document order; none when its text is
  // empty or is no custom UI.
  std::vector<RibbonButton> RibbonButtons(std::string_view progId) const;
  // The user presses a ribbon button: the host calls the add-in's callback named by the
  // button's onAction, finding it by name. 9 when the add-in is not connected, 5 when it has no
  // such button; a failing callback's failure is returned.
  host::Result<void> PressRibbonButton(std::string_view progId, std::string_view buttonId);

 private:
  std::shared_ptr<AddInEntry> FindAddIn(std::string_view progId) const;
  std::shared_ptr<HostState> state_;
  host::WorksheetFunctionRef worksheetFunction_;  // made on first use
  // The cell Range(address) gave last, given again for the next once nobody holds it: the
  // add-in asks for the cell of an address it has just read, one after another.
  std::shared_ptr<memhost::Range> spareCell_;
  bool owner_;
};

}  // namespace kx::memhost
