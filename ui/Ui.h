#pragma once
// ui/: the add-in's windows as models, and the screen that shows them.
//
// A form is a class whose controls are plain members and whose handlers are methods named
// control_event (Form.h). Each form has one default instance, created on first reference and
// discarded when it unloads (FormHolder.h, FormRegistry.h). A Driver draws forms, runs modal
// shows, delivers the user's actions when the add-in yields, and shows message boxes (Driver.h);
// the ScriptedDriver plays a user for tests (ScriptedDriver.h). AddinState holds everything the
// add-in keeps while loaded (AddinState.h).
//
// Nothing here reaches a terminal or an operating system's windows; drivers that do live beside
// the programs that use them.

#include "ui/AddinState.h"
#include "ui/Color.h"
#include "ui/ControlBase.h"
#include "ui/Controls.h"
#include "ui/Driver.h"
#include "ui/Events.h"
#include "ui/Form.h"
#include "ui/FormHolder.h"
#include "ui/FormRegistry.h"
#include "ui/ProgressBar.h"
#include "ui/PropertyChange.h"
#include "ui/ScriptStep.h"
#include "ui/ScriptedDriver.h"
#include "ui/Showing.h"
#include "ui/Watched.h"
