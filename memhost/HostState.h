#pragma once
// What every memhost object shares: the open workbooks, the application's settings, the
// remembered Find options, the command bars, the add-in list, the value indexes and the failure
// injection. Objects handed to the add-in hold it by shared_ptr, so a handle never outlives it.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/AddIn.h"
#include "host/CommandBars.h"
#include "host/Constants.h"
#include "host/ErrorNumbers.h"
#include "host/Variant.h"
#include "memhost/Faults.h"
#include "memhost/index/ValueIndex.h"
#include "memhost/model/Book.h"

namespace kx::memhost {

// One control of a command bar as the host keeps it.
struct BarData;

struct ControlData {
  struct Sink {
    host::CommandBarControl::ClickHandler handler;
    bool attached = true;
  };
  long type = host::mso::ControlButton;
  long id = 1;
  std::string caption;
  std::string tag;
  long faceId = 0;
  long style = host::mso::ButtonAutomatic;
  bool beginGroup = false;
  std::string onAction;
  std::string parameter;
  bool visible = true;
  bool temporary = false;
  bool deleted = false;
  std::vector<std::shared_ptr<ControlData>> children;  // a popup's controls
  std::vector<std::shared_ptr<Sink>> sinks;
  // Where the control sits: a bar's list or a popup's.
  std::weak_ptr<BarData> bar;
  std::weak_ptr<ControlData> parent;
};

struct BarData {
  std::string name;
  bool visible = true;
  std::vector<std::shared_ptr<ControlData>> controls;
};

struct AddInEntry {
  host::AddInRegistration registration;
  host::AddInObjectRef object;  // set while connected
  std::string customUI;         // the text GetCustomUI gave on a ribbon host
  long customUICalls = 0;
};

struct HostState : std::enable_shared_from_this<HostState> {
  explicit HostState(std::string hostVersion) : version(std::move(hostVersion)) {}

  Faults faults;
  std::string version;
  bool ribbon() const { return version != "11.0"; }

  // --- workbooks ----------------------------------------------------------------------------
  std::vector<std::shared_ptr<Book>> books;
  std::shared_ptr<Book> activeBook;
  int booksMade = 0;
  bool drawingSelected = false;  // a chart or shape is the selection
  bool IsOpen(const Book* book) const {
    for (const auto& b : books) {
      if (b.get() == book) return true;
    }
    return false;
  }

  // --- application settings -------------------------------------------------------------------
  long enableCancelKey = host::xl::CancelKeyInterrupt;
  host::Variant statusBar = host::Variant(false);
  bool screenUpdating = true;
  long calculation = host::xl::CalculationAutomatic;
  std::string onUndoText, onUndoProcedure;
  std::map<std::string, std::optional<std::string>> onKey;

  // Find remembers these between calls, as the host's Find dialog does.
  long findLookIn = host::xl::LookInValues;
  long findLookAt = host::xl::LookAtPart;
  long findSearchOrder = host::xl::SearchByRows;
  bool findMatchCase = false;

  // --- command bars and add-ins -------------------------------------------------------------
  std::vector<std::shared_ptr<BarData>> bars;
  std::vector<std::shared_ptr<AddInEntry>> addIns;
  std::vector<std::string> macroLog;
  // Makes the Application handle the host passes to an add-in's connection event.
  std::function<host::ApplicationRef()> applicationView;
  // Add-in objects disconnected from inside one of their own callbacks, released when the
  // outermost call into add-in code returns.
  int callbackDepth = 0;
  std::vector<host::AddInObjectRef> releaseLater;

  IndexCache indexes;
  // Where COUNTIF builds the key of a literal criterion, kept from call to call so that the
  // text is not allocated again for every row the add-in counts.
  std::string criterionKey;
  std::string criterionText;
  std::string findKey;  // the index key Range.Find last looked up, kept for its capacity
  // The cell whose value was read last: the add-in mostly counts the value it has just read,
  // and the index finds that cell's entry without a lookup.
  const Sheet* lastReadSheet = nullptr;
  CellPos lastReadCell{0, 0};
  // The cell whose address Range.Address gave last (row 0: none): the add-in hands an address
  // it was just given back to Application.Range, which then need not read it again.
  CellPos lastAddressedCell{0, 0};
};

// Counts a call into add-in code, so that an add-in unloading itself from inside it stays alive
// until the call returns.
class CallbackScope {
 public:
  explicit CallbackScope(HostState& state) : state_(state) { ++state_.callbackDepth; }
  ~CallbackScope() {
    if (--state_.callbackDepth == 0) {
      auto release = std::move(state_.releaseLater);
      state_.releaseLater.clear();
    }
  }
  CallbackScope(const CallbackScope&) = delete;
  CallbackScope& operator=(const CallbackScope&) = delete;

 private:
  HostState& state_;
};

inline host::Error ObjectGone() {
  return host::Fail(host::err::ObjectRequired, "Object required: its workbook has been closed");
}

}  // namespace kx::memhost
