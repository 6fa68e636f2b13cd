#pragma once
// The screen the add-in's windows are drawn on: Windows itself (ui/win32), owned by the host's
// main window, unless the process that loaded the module brings its own. A test host exports a function named KestrixTestDriver that returns
// its driver (a scripted user), and the add-in's windows then go to it; the spreadsheet exports
// no such function.

#include "ui/Driver.h"

namespace kx::module {

ui::Driver& ModuleDriver();

}  // namespace kx::module
