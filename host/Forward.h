#pragma once
// Forward declarations and the shared-handle aliases of the host object model.
// Object references are cheap shared handles; a null handle is the object model's Nothing.

#include <memory>

namespace kx::host {

class Application;
class Workbooks;
class Workbook;
class Worksheet;
class Range;
class Interior;
class Validation;
class WorksheetFunction;
class CommandBars;
class CommandBar;
class CommandBarControls;
class CommandBarControl;
class COMAddIns;
class COMAddIn;
class AddInObject;

using ApplicationRef = std::shared_ptr<Application>;
using WorkbooksRef = std::shared_ptr<Workbooks>;
using WorkbookRef = std::shared_ptr<Workbook>;
using WorksheetRef = std::shared_ptr<Worksheet>;
using RangeRef = std::shared_ptr<Range>;
using InteriorRef = std::shared_ptr<Interior>;
using ValidationRef = std::shared_ptr<Validation>;
using WorksheetFunctionRef = std::shared_ptr<WorksheetFunction>;
using CommandBarsRef = std::shared_ptr<CommandBars>;
using CommandBarRef = std::shared_ptr<CommandBar>;
using CommandBarControlsRef = std::shared_ptr<CommandBarControls>;
using CommandBarControlRef = std::shared_ptr<CommandBarControl>;
using COMAddInsRef = std::shared_ptr<COMAddIns>;
using COMAddInRef = std::shared_ptr<COMAddIn>;
using AddInObjectRef = std::shared_ptr<AddInObject>;

}  // namespace kx::host
