#pragma once
// host/: the spreadsheet host's object model as the add-in sees it.
//
// Everything the add-in does to a workbook, its menu or its own loading goes through these
// interfaces. Each member keeps to what the spreadsheet's object model offers, so that the same
// interface can be implemented over late binding (IDispatch, locale 1033) as well as by memhost.
// Calls never throw: each returns a Result holding either the value or the error number the
// host raises. Object references are shared handles; a null handle is Nothing.

#include "host/AddIn.h"
#include "host/Application.h"
#include "host/CommandBars.h"
#include "host/Constants.h"
#include "host/ErrorNumbers.h"
#include "host/EventConnection.h"
#include "host/Forward.h"
#include "host/Range.h"
#include "host/Result.h"
#include "host/Validation.h"
#include "host/Variant.h"
#include "host/Worksheet.h"
#include "host/WorksheetFunction.h"
