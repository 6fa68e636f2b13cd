// Workbooks, Workbook, its Worksheets collection, and Worksheet.

#include "com/ObjectModelIds.h"
#include "host/Worksheet.h"
#include "standin/Args.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

host::Workbooks& Books(Object& self) { return Held<host::Workbooks>(self); }
host::Workbook& Book(Object& self) { return Held<host::Workbook>(self); }
host::Worksheet& Sheet(Object& self) { return Held<host::Worksheet>(self); }

const Member kWorkbooksMembers[] = {
    {L"Count", {}, [](Object& o, Args&) { return Reply(Books(o).Count()); }},
    {L"Item", {L"Index"},
     [](Object& o, Args& a) -> Value {
       if (a.IsText(0)) return Reply(Books(o).Item(KX_TRY(a.Text(0))));
       return Reply(Books(o).Item(KX_TRY(a.Long(0))));
     },
     nullptr, Role::Default},
    {L"Add", {}, [](Object& o, Args&) { return Reply(Books(o).Add()); }},
};

const Member kWorkbookMembers[] = {
    {L"Name", {}, [](Object& o, Args&) { return Reply(Book(o).Name()); }},
    {L"Activate", {}, [](Object& o, Args&) { return Reply(Book(o).Activate()); }},
    {L"ActiveSheet", {}, [](Object& o, Args&) { return Reply(Book(o).ActiveSheet()); }},
    {L"Worksheets", {},
     [](Object& o, Args&) -> Value {
       return ToCom(WrapSheets(static_cast<Holder<host::Workbook>&>(o).held()));
     }},
    {L"Close", {}, [](Object& o, Args&) { return Reply(Book(o).Close()); }},
};

// Worksheets is the workbook's collection of sheets, answered by the workbook's members.
const Member kSheetsMembers[] = {
    {L"Count", {}, [](Object& o, Args&) { return Reply(Book(o).WorksheetCount()); }},
    {L"Item", {L"Index"},
     [](Object& o, Args& a) -> Value {
       if (a.IsText(0)) return Reply(Book(o).Worksheets(KX_TRY(a.Text(0))));
       return Reply(Book(o).Worksheets(KX_TRY(a.Long(0))));
     },
     nullptr, Role::Default},
};

const Member kWorksheetMembers[] = {
    {L"Name", {}, [](Object& o, Args&) { return Reply(Sheet(o).Name()); }},
    {L"Parent", {}, [](Object& o, Args&) { return Reply(Sheet(o).Parent()); }},
    {L"Activate", {}, [](Object& o, Args&) { return Reply(Sheet(o).Activate()); }},
    {L"UsedRange", {}, [](Object& o, Args&) { return Reply(Sheet(o).UsedRange()); }},
    {L"FilterMode", {}, [](Object& o, Args&) { return Reply(Sheet(o).FilterMode()); }},
    {L"ShowAllData", {}, [](Object& o, Args&) { return Reply(Sheet(o).ShowAllData()); }},
    {L"Range", {L"Cell1"},
     [](Object& o, Args& a) -> Value { return Reply(Sheet(o).Range(KX_TRY(a.Text(0)))); }},
    {L"Cells", {}, [](Object& o, Args&) { return Reply(Sheet(o).Cells()); }},
};

const Class kWorkbooks{L"Workbooks", 0x2000, kWorkbooksMembers};
const Class kWorkbook{L"Workbook", 0x2100, kWorkbookMembers};
const Class kSheets{L"Sheets", 0x2200, kSheetsMembers};
const Class kWorksheet{L"Worksheet", 0x2300, kWorksheetMembers, &com::kWorksheetIid};

}  // namespace

com::ComPtr<IDispatch> Wrap(const host::WorkbooksRef& books) { return Make(kWorkbooks, books); }
com::ComPtr<IDispatch> Wrap(const host::WorkbookRef& book) { return Make(kWorkbook, book); }
com::ComPtr<IDispatch> WrapSheets(const host::WorkbookRef& book) { return Make(kSheets, book); }
com::ComPtr<IDispatch> Wrap(const host::WorksheetRef& sheet) { return Make(kWorksheet, sheet); }

}  // namespace kx::standin
