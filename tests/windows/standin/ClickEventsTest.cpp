// A button's Click through its connection point, as an add-in's event sink receives it.

#include <olectl.h>

#include "StandinFixture.h"
#include "com/HostInterfaces.h"
#include "host/Constants.h"

namespace kx::standin::testing {
namespace {

// Records each Click and answers CancelDefault as told.
class ClickSink final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID__CommandBarButtonEvents) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    EXPECT_EQ(id, 1);
    EXPECT_EQ(params->cArgs, 2u);
    EXPECT_EQ(params->rgvarg[1].vt, VT_DISPATCH);
    EXPECT_EQ(params->rgvarg[0].vt, VT_BOOL | VT_BYREF);
    captions.push_back(Call(params->rgvarg[1].pdispVal, L"Caption").Text());
    cancelSeen.push_back(*params->rgvarg[0].pboolVal != VARIANT_FALSE);
    if (cancel) *params->rgvarg[0].pboolVal = VARIANT_TRUE;
    return S_OK;
  }

  ULONG refs = 1;
  bool cancel = false;
  std::vector<std::string> captions;
  std::vector<bool> cancelSeen;
};

class ClickEventsTest : public StandinTest {
 protected:
  void SetUp() override {
    auto bar = Call(app_.get(), L"CommandBars", {Arg("Worksheet Menu Bar")}).Object();
    button_ = Call(Obj(bar.get(), L"Controls").get(), L"Add", {},
                   {{L"Temporary", ComVariant::Bool(true)}, {L"Type", Arg(host::mso::ControlButton)}})
                  .Object();
    ASSERT_TRUE(button_);
    ASSERT_TRUE(Put(button_.get(), L"Caption", Arg("&Find")).ok());
    auto controls = host_->CommandBars().value()->Item("Worksheet Menu Bar").value()->Controls().value();
    hostButton_ = controls->Item("&Find").value();
  }
  void TearDown() override {
    button_.Reset();
    StandinTest::TearDown();
  }

  ComPtr<IConnectionPoint> ClickPoint(IDispatch* control) {
    auto container = ComPtr<IDispatch>::Share(control).As<IConnectionPointContainer>(
        IID_IConnectionPointContainer);
    EXPECT_TRUE(container);
    ComPtr<IConnectionPoint> point;
    if (container) container->FindConnectionPoint(DIID__CommandBarButtonEvents, point.Out());
    EXPECT_TRUE(point);
    return point;
  }

  ComPtr<IDispatch> button_;
  host::CommandBarControlRef hostButton_;
};

TEST_F(ClickEventsTest, AClickReachesTheSinkAndCancelDefaultComesBack) {
  ClickSink first, second;
  second.cancel = true;
  auto point = ClickPoint(button_.get());
  DWORD firstCookie = 0, secondCookie = 0;
  ASSERT_EQ(point->Advise(&first, &firstCookie), S_OK);
  ASSERT_EQ(point->Advise(&second, &secondCookie), S_OK);
  EXPECT_NE(firstCookie, secondCookie);
  EXPECT_GT(first.refs, 1u);  // held while advised

  // The second sink cancels; the first ran before it and saw no cancel yet.
  EXPECT_TRUE(host_->Click(hostButton_).value());
  EXPECT_EQ(first.captions, std::vector<std::string>{"&Find"});
  EXPECT_EQ(first.cancelSeen, std::vector<bool>{false});
  EXPECT_EQ(second.captions.size(), 1u);
  EXPECT_TRUE(host_->MacroLog().empty());

  ASSERT_EQ(point->Unadvise(secondCookie), S_OK);
  EXPECT_EQ(second.refs, 1u);
  EXPECT_EQ(point->Unadvise(secondCookie), CONNECT_E_NOCONNECTION);
  EXPECT_FALSE(host_->Click(hostButton_).value());
  EXPECT_EQ(first.captions.size(), 2u);
  EXPECT_EQ(second.captions.size(), 1u);

  ASSERT_EQ(point->Unadvise(firstCookie), S_OK);
  EXPECT_EQ(first.refs, 1u);
}

TEST_F(ClickEventsTest, LettingGoOfTheConnectionPointReleasesTheSink) {
  ClickSink sink;
  {
    auto point = ClickPoint(button_.get());
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    // The point keeps the control's stand-in, and so the connection, alive by itself.
    button_.Reset();
    host_->Click(hostButton_).value();
    EXPECT_EQ(sink.captions.size(), 1u);
  }
  EXPECT_EQ(sink.refs, 1u);
  host_->Click(hostButton_).value();
  EXPECT_EQ(sink.captions.size(), 1u);
}

TEST_F(ClickEventsTest, APopupHasNoClick) {
  auto bar = Call(app_.get(), L"CommandBars", {Arg("Worksheet Menu Bar")}).Object();
  auto popup = Call(Obj(bar.get(), L"Controls").get(), L"Add", {Arg(host::mso::ControlPopup)}).Object();
  ClickSink sink;
  DWORD cookie = 0;
  EXPECT_EQ(ClickPoint(popup.get())->Advise(&sink, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(sink.refs, 1u);
  ComPtr<IConnectionPoint> other;
  auto container = popup.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, other.Out()), CONNECT_E_NOCONNECTION);
}

}  // namespace
}  // namespace kx::standin::testing
