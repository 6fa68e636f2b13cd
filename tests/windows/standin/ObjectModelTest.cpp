// The object model's behaviour through the stand-in: enumeration, selection, ranges as
// arguments, formats, the add-in list and the ribbon's control.

#include "StandinFixture.h"
#include "com/HostInterfaces.h"
#include "com/ObjectModelIds.h"
#include "host/Constants.h"
#include "standin/Wrap.h"

namespace kx::standin::testing {
namespace {

using ObjectModelTest = StandinTest;

std::vector<std::string> Enumerate(IDispatch* range) {
  auto got = InvokeId(range, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
  EXPECT_EQ(got.value.get()->vt, VT_UNKNOWN);
  if (got.value.get()->vt != VT_UNKNOWN) return {};
  ComPtr<IEnumVARIANT> cells =
      ComPtr<IUnknown>::Share(got.value.get()->punkVal).As<IEnumVARIANT>(IID_IEnumVARIANT);
  std::vector<std::string> addresses;
  ComVariant cell;
  ULONG fetched = 0;
  while (cells->Next(1, cell.get(), &fetched) == S_OK && fetched == 1) {
    addresses.push_back(Call(cell.get()->pdispVal, L"Address").Text());
    cell = ComVariant();
  }
  return addresses;
}

TEST_F(ObjectModelTest, ForEachGivesTheCellsAreaByAreaRowByRow) {
  ASSERT_TRUE(host_->SelectAddress("A1:B2,D1").ok());
  auto selection = Obj(app_.get(), L"Selection");
  EXPECT_EQ(Enumerate(selection.get()),
            (std::vector<std::string>{"$A$1", "$B$1", "$A$2", "$B$2", "$D$1"}));
  auto areas = Obj(selection.get(), L"Areas");
  EXPECT_EQ(Call(areas.get(), L"Count").Long(), 2);
  EXPECT_EQ(AddressOf(Call(areas.get(), L"Item", {Arg(2)}).Object().get()), "$D$1");
  EXPECT_EQ(Call(areas.get(), L"Item", {Arg(3)}).scode, static_cast<SCODE>(0x800A0009));
  EXPECT_EQ(Call(selection.get(), L"Count").Long(), 5);

  host_->faults().FailOnce("Range.ForEachCell", 1004);
  EXPECT_EQ(InvokeId(selection.get(), DISPID_NEWENUM, DISPATCH_METHOD, {}).hr, DISP_E_EXCEPTION);
}

TEST_F(ObjectModelTest, ASelectedDrawingIsNoRange) {
  ASSERT_TRUE(host_->SelectAddress("B2").ok());
  auto cells = Obj(app_.get(), L"Selection");
  EXPECT_TRUE(cells.As<IDispatch>(com::kRangeIid));
  EXPECT_TRUE(Obj(app_.get(), L"ActiveSheet").As<IDispatch>(com::kWorksheetIid));

  host_->SelectDrawingObject();
  auto drawing = Obj(app_.get(), L"Selection");
  EXPECT_FALSE(drawing.As<IDispatch>(com::kRangeIid));
  EXPECT_EQ(Call(drawing.get(), L"Address").hr, DISP_E_UNKNOWNNAME);
  EXPECT_TRUE(Call(drawing.get(), L"Name").ok());
  // Nor is it accepted where a range belongs.
  EXPECT_EQ(Call(app_.get(), L"Intersect", {Arg(drawing), Arg(cells)}).hr, DISP_E_TYPEMISMATCH);
}

TEST_F(ObjectModelTest, RangesPassedBackAreTheHostsRanges) {
  Write("A1", "x");
  Write("A2", "y");
  Write("A3", "x");
  auto overlap = Call(app_.get(), L"Intersect", {Arg(RangeAt("A1:B5")), Arg(RangeAt("B2:C3"))});
  EXPECT_EQ(AddressOf(overlap.Object().get()), "$B$2:$B$3");
  auto apart = Call(app_.get(), L"Intersect", {Arg(RangeAt("A1")), Arg(RangeAt("C3"))});
  ASSERT_TRUE(apart.ok());
  EXPECT_FALSE(apart.Object());

  auto functions = Obj(app_.get(), L"WorksheetFunction");
  EXPECT_EQ(Call(functions.get(), L"CountIf", {Arg(RangeAt("A1:A3")), Arg("x")}).Long(), 2);
  EXPECT_EQ(Call(functions.get(), L"CountA", {Arg(RangeAt("A1:A9"))}).Long(), 3);
  host_->faults().FailOnce("WorksheetFunction.CountIf", 1004);
  EXPECT_EQ(Call(functions.get(), L"CountIf", {Arg(RangeAt("A1:A3")), Arg("x")}).scode,
            static_cast<SCODE>(0x800A03EC));

  // Find after a given cell wraps around to the first match.
  auto again = Call(RangeAt("A1:A3").get(), L"Find", {Arg("x")}, {{L"After", Arg(RangeAt("A3"))}});
  EXPECT_EQ(AddressOf(again.Object().get()), "$A$1");
}

TEST_F(ObjectModelTest, FormatsAndValidationOfCells) {
  auto range = RangeAt("C1:C4");
  auto interior = Obj(range.get(), L"Interior");
  ASSERT_TRUE(Put(interior.get(), L"ColorIndex", Arg(36)).ok());
  EXPECT_EQ(Call(interior.get(), L"ColorIndex").Long(), 36);
  EXPECT_EQ(Put(interior.get(), L"ColorIndex", Arg(99)).scode, static_cast<SCODE>(0x800A03EC));

  auto rule = Obj(range.get(), L"Validation");
  ASSERT_TRUE(Call(rule.get(), L"Add", {},
                   {{L"Formula1", Arg("=COUNTIF($C:$C,C1)=1")},
                    {L"AlertStyle", Arg(host::xl::ValidAlertStop)},
                    {L"Type", Arg(host::xl::ValidateCustom)}})
                  .ok());
  EXPECT_EQ(Call(rule.get(), L"Type").Long(), host::xl::ValidateCustom);
  ASSERT_TRUE(Put(rule.get(), L"ErrorTitle", Arg("Duplicate")).ok());
  EXPECT_EQ(Call(rule.get(), L"ErrorTitle").Text(), "Duplicate");
  ASSERT_TRUE(Put(rule.get(), L"ShowError", ComVariant::Bool(false)).ok());
  EXPECT_FALSE(Call(rule.get(), L"ShowError").Bool());
  // A second rule is refused until the first is deleted.
  EXPECT_EQ(Call(rule.get(), L"Add", {Arg(host::xl::ValidateCustom)}).scode,
            static_cast<SCODE>(0x800A03EC));
  EXPECT_TRUE(Call(rule.get(), L"Delete").ok());
}

TEST_F(ObjectModelTest, WorkbooksAndSheets) {
  auto books = Obj(app_.get(), L"Workbooks");
  auto added = Obj(books.get(), L"Add");
  EXPECT_EQ(Call(added.get(), L"Name").Text(), "Book2");
  EXPECT_EQ(Call(Obj(app_.get(), L"ActiveWorkbook").get(), L"Name").Text(), "Book2");
  auto sheets = Obj(added.get(), L"Worksheets");
  EXPECT_EQ(Call(sheets.get(), L"Count").Long(), 1);
  auto sheet = Call(sheets.get(), L"Item", {Arg("Sheet1")}).Object();
  EXPECT_EQ(Call(Obj(sheet.get(), L"Parent").get(), L"Name").Text(), "Book2");
  EXPECT_EQ(AddressOf(Call(sheet.get(), L"Range", {Arg("b2:c3")}).Object().get()), "$B$2:$C$3");
  EXPECT_FALSE(Call(sheet.get(), L"FilterMode").Bool());
  EXPECT_EQ(Call(sheet.get(), L"ShowAllData").scode, static_cast<SCODE>(0x800A03EC));
  EXPECT_TRUE(Call(added.get(), L"Close").ok());
  EXPECT_EQ(Call(books.get(), L"Count").Long(), 1);
}

TEST_F(ObjectModelTest, TheAddInListShowsARegisteredAddIn) {
  host_->RegisterAddIn(ComAddInRegistration("Kestrix.Connect", "Kestrix", "Finds duplicates", 3));
  auto addIns = Obj(app_.get(), L"COMAddIns");
  EXPECT_EQ(Call(addIns.get(), L"Count").Long(), 1);
  auto addIn = Call(addIns.get(), L"Item", {Arg("kestrix.connect")}).Object();
  EXPECT_EQ(Call(addIn.get(), L"ProgId").Text(), "Kestrix.Connect");
  EXPECT_EQ(Call(addIn.get(), L"Description").Text(), "Finds duplicates");
  EXPECT_FALSE(Call(addIn.get(), L"Connect").Bool());
  EXPECT_EQ(Call(Call(addIns.get(), L"Item", {Arg(1)}).Object().get(), L"ProgId").Text(),
            "Kestrix.Connect");
  // Connecting a class that is not registered here fails as the host's refusal.
  EXPECT_EQ(Put(addIn.get(), L"Connect", ComVariant::Bool(true)).scode,
            static_cast<SCODE>(0x800A03EC));
}

TEST_F(ObjectModelTest, TheRibbonControlAnswersThroughItsInterfaceAndByName) {
  auto control = WrapRibbonControl(host::RibbonControl{"btnFind", "find"});
  auto ribbon = control.As<IRibbonControl>(IID_IRibbonControl);
  ASSERT_TRUE(ribbon);
  com::Bstr id;
  ASSERT_EQ(ribbon->get_Id(id.Out()), S_OK);
  EXPECT_EQ(com::BstrToUtf8(id.get()), "btnFind");
  EXPECT_EQ(Call(ribbon.get(), L"Tag").Text(), "find");
  auto context = Call(control.get(), L"Context");
  ASSERT_TRUE(context.ok());
  EXPECT_FALSE(context.Object());
}

TEST_F(ObjectModelTest, EveryObjectIsCountedUntilReleased) {
  long before = LiveObjects();
  {
    auto cell = Call(Obj(app_.get(), L"ActiveSheet").get(), L"Cells", {Arg(1), Arg(1)}).Object();
    auto enumerator = InvokeId(RangeAt("A1:A3").get(), DISPID_NEWENUM, DISPATCH_METHOD, {});
    EXPECT_GT(LiveObjects(), before);
  }
  EXPECT_EQ(LiveObjects(), before);
}

}  // namespace
}  // namespace kx::standin::testing
