// How the stand-in answers a late-binding client: names, arguments, default members, errors.

#include "StandinFixture.h"
#include "host/Constants.h"

namespace kx::standin::testing {
namespace {

using DispatchTest = StandinTest;

TEST_F(DispatchTest, NamesAreFoundWithoutRegardToCaseAndEachKindHasItsOwnDispids) {
  EXPECT_EQ(Call(app_.get(), L"VERSION").Text(), "16.0");
  EXPECT_EQ(Ids(app_.get(), {L"version"}), Ids(app_.get(), {L"Version"}));

  HRESULT hr;
  Ids(app_.get(), {L"NoSuchMember"}, &hr);
  EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);

  // Count of Workbooks and Count of a Range are different members: a DISPID kept from one kind
  // of object does not reach the other.
  auto books = Obj(app_.get(), L"Workbooks");
  auto range = RangeAt("A1:B3");
  DISPID booksCount = Ids(books.get(), {L"Count"})[0];
  EXPECT_NE(booksCount, Ids(range.get(), {L"Count"})[0]);
  EXPECT_EQ(InvokeId(range.get(), booksCount, DISPATCH_PROPERTYGET, {}).hr, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(InvokeId(books.get(), booksCount, DISPATCH_PROPERTYGET, {}).Long(), 1);
  EXPECT_NE(Ids(books.get(), {L"Item"})[0], Ids(Obj(app_.get(), L"COMAddIns").get(), {L"Item"})[0]);
}

TEST_F(DispatchTest, NamedArgumentsInAnyOrderAndCase) {
  Write("A1", "apple");
  Write("A2", "Pear");
  Write("A3", "pear");
  auto column = RangeAt("A1:A3");
  // Find(LookAt:=xlWhole, MatchCase:=True, What:="pear"), names spelt as a client might.
  auto found = Call(column.get(), L"find", {},
                    {{L"LOOKAT", Arg(host::xl::LookAtWhole)},
                     {L"matchcase", ComVariant::Bool(true)},
                     {L"What", Arg("pear")}});
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(AddressOf(found.Object().get()), "$A$3");

  // Positional and named together: What first, MatchCase named.
  auto first = Call(column.get(), L"Find", {Arg("PEAR")},
                    {{L"LookAt", Arg(host::xl::LookAtWhole)}, {L"MatchCase", ComVariant::Bool(false)}});
  EXPECT_EQ(AddressOf(first.Object().get()), "$A$2");

  // Nothing found is Nothing, not a failure.
  auto none = Call(column.get(), L"Find", {Arg("plum")});
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(none.value.get()->vt, VT_DISPATCH);
  EXPECT_FALSE(none.Object());
}

TEST_F(DispatchTest, BadArgumentsAreTheCallersFault) {
  auto range = RangeAt("A1:C3");
  HRESULT hr;
  auto ids = Ids(range.get(), {L"Find", L"What", L"Colour"}, &hr);
  EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[1], 0);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);

  DISPID find = ids[0];
  EXPECT_EQ(InvokeId(range.get(), find, DISPATCH_METHOD, {Arg("x")}, {42}).hr, DISP_E_PARAMNOTFOUND);
  // What is required; an argument passed as missing is no argument.
  EXPECT_EQ(Call(range.get(), L"Find").hr, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(Call(range.get(), L"Find", {ComVariant::Missing()}).hr, DISP_E_PARAMNOTFOUND);

  // The wrong type is reported with the argument's index in rgvarg (reverse order).
  auto item = Call(range.get(), L"Item", {Arg(1), Arg("first")});
  EXPECT_EQ(item.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(item.argError, 0u);
  item = Call(range.get(), L"Item", {Arg("first"), Arg(1)});
  EXPECT_EQ(item.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(item.argError, 1u);
  // A workbook where a range belongs.
  auto intersect = Call(app_.get(), L"Intersect", {Arg(range), Arg(Obj(app_.get(), L"ActiveWorkbook"))});
  EXPECT_EQ(intersect.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(intersect.argError, 0u);

  EXPECT_EQ(Call(range.get(), L"Clear", {Arg(1)}).hr, DISP_E_BADPARAMCOUNT);
  // A put names its value DISPID_PROPERTYPUT.
  DISPID value = Ids(range.get(), {L"Value"})[0];
  EXPECT_EQ(InvokeId(range.get(), value, DISPATCH_PROPERTYPUT, {Arg(5)}).hr, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(Put(range.get(), L"Count", Arg(5)).hr, DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, ArgumentsByReferenceAreRead) {
  auto cells = Obj(app_.get(), L"ActiveSheet");
  VARIANT row;
  ::VariantInit(&row);
  row.vt = VT_I4;
  row.lVal = 4;
  ComVariant byRef;
  byRef.get()->vt = VT_BYREF | VT_VARIANT;
  byRef.get()->pvarVal = &row;
  auto cell = Call(Obj(cells.get(), L"Cells").get(), L"Item", {byRef, Arg(2)});
  EXPECT_EQ(AddressOf(cell.Object().get()), "$B$4");
}

TEST_F(DispatchTest, ArgumentsOfAPropertyWithoutParametersGoToItsObjectsDefaultMember) {
  auto sheet = Obj(app_.get(), L"ActiveSheet");
  EXPECT_EQ(AddressOf(Call(sheet.get(), L"Cells", {Arg(2), Arg(1)}).Object().get()), "$A$2");
  auto book = Obj(app_.get(), L"ActiveWorkbook");
  EXPECT_EQ(Call(Call(book.get(), L"Worksheets", {Arg(1)}).Object().get(), L"Name").Text(), "Sheet1");
  EXPECT_EQ(Call(Call(book.get(), L"Worksheets", {Arg("SHEET1")}).Object().get(), L"Name").Text(),
            "Sheet1");
  EXPECT_EQ(Call(Call(app_.get(), L"Workbooks", {Arg("Book1")}).Object().get(), L"Name").Text(),
            "Book1");
  auto bar = Call(app_.get(), L"CommandBars", {Arg("Worksheet Menu Bar")}).Object();
  EXPECT_EQ(Call(bar.get(), L"Name").Text(), "Worksheet Menu Bar");
  auto column = Call(RangeAt("B2:D4").get(), L"Columns", {Arg(2)}).Object();
  EXPECT_EQ(AddressOf(column.get()), "$C$2:$C$4");

  // Cells(1, 1) = 7: a put with arguments reaches the cell's Value.
  ASSERT_TRUE(Put(sheet.get(), L"Cells", Arg(7), {Arg(1), Arg(1)}).ok());
  EXPECT_EQ(host_->Range("A1").value()->Value().value(), host::Variant(7));

  // A property whose value is no object takes no arguments.
  EXPECT_EQ(Call(app_.get(), L"Version", {Arg(1)}).hr, DISP_E_BADPARAMCOUNT);
}

TEST_F(DispatchTest, RangeDefaultMemberIsValueWithoutArgumentsAndItemWithThem) {
  Write("B3", "here");
  auto range = RangeAt("B3:C4");
  EXPECT_EQ(InvokeId(range.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {}).Text(), "here");
  auto item = InvokeId(range.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {Arg(2), Arg(2)});
  EXPECT_EQ(AddressOf(item.Object().get()), "$C$4");
  ASSERT_TRUE(InvokeId(range.get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {Arg(12)}, {DISPID_PROPERTYPUT}).ok());
  EXPECT_EQ(host_->Range("B3").value()->Value().value(), host::Variant(12));
  // Collections answer DISPID_VALUE with Item.
  auto books = Obj(app_.get(), L"Workbooks");
  auto first = InvokeId(books.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {Arg(1)});
  EXPECT_EQ(Call(first.Object().get(), L"Name").Text(), "Book1");
}

TEST_F(DispatchTest, HostFailuresAreExceptionsWithTheErrorNumber) {
  auto range = RangeAt("A1");
  host_->faults().FailOnce("Range.Clear", 1004);
  auto failed = Call(range.get(), L"Clear");
  EXPECT_EQ(failed.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(failed.scode, static_cast<SCODE>(0x800A03EC));
  EXPECT_TRUE(Call(range.get(), L"Clear").ok());

  // The host's own 438: a button has no Controls.
  auto bar = Call(app_.get(), L"CommandBars", {Arg("Worksheet Menu Bar")}).Object();
  auto button = Call(Obj(bar.get(), L"Controls").get(), L"Add", {Arg(host::mso::ControlButton)}).Object();
  ASSERT_TRUE(button);
  auto controls = Call(button.get(), L"Controls");
  EXPECT_EQ(controls.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(controls.scode, static_cast<SCODE>(0x800A01B6));
  EXPECT_TRUE(Call(button.get(), L"Delete").ok());

  // Out of range: 9.
  EXPECT_EQ(Call(Obj(app_.get(), L"Workbooks").get(), L"Item", {Arg(5)}).scode,
            static_cast<SCODE>(0x800A0009));
}

TEST_F(DispatchTest, PropertiesPutAndReadBack) {
  ASSERT_TRUE(Put(app_.get(), L"Calculation", Arg(host::xl::CalculationManual)).ok());
  EXPECT_EQ(host_->CalculationSetting().value(), host::xl::CalculationManual);
  EXPECT_EQ(Call(app_.get(), L"calculation").Long(), host::xl::CalculationManual);
  ASSERT_TRUE(Put(app_.get(), L"ScreenUpdating", ComVariant::Bool(false)).ok());
  EXPECT_FALSE(host_->ScreenUpdatingSetting());
  ASSERT_TRUE(Put(app_.get(), L"StatusBar", Arg("Working")).ok());
  EXPECT_EQ(Call(app_.get(), L"StatusBar").Text(), "Working");
  ASSERT_TRUE(Put(app_.get(), L"StatusBar", ComVariant::Bool(false)).ok());
  EXPECT_EQ(Call(app_.get(), L"StatusBar").value.get()->vt, VT_BOOL);

  ASSERT_TRUE(Call(app_.get(), L"OnKey", {Arg("^z"), Arg("Undo")}).ok());
  EXPECT_EQ(host_->OnKeyProcedure("^z"), "Undo");
  ASSERT_TRUE(Call(app_.get(), L"OnKey", {Arg("^z")}).ok());
  EXPECT_EQ(host_->OnKeyProcedure("^z"), std::nullopt);
  ASSERT_TRUE(Call(app_.get(), L"OnUndo", {}, {{L"Procedure", Arg("Undo")}, {L"Text", Arg("Undo it")}}).ok());
  EXPECT_EQ(host_->OnUndoText(), "Undo it");
  EXPECT_EQ(host_->OnUndoProcedure(), "Undo");

  // Setting the host refuses is the host's failure.
  EXPECT_EQ(Put(app_.get(), L"Calculation", Arg(77)).scode, static_cast<SCODE>(0x800A03EC));
}

}  // namespace
}  // namespace kx::standin::testing
