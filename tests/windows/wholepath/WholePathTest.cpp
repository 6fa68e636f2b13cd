// The whole path as a user of the spreadsheet takes it: a ribbon button of the stand-in host
// pressed, Kestrix.dll loaded through COM drawing real windows (no scripted screen here), the
// question answered Yes, a colour picked, the bar moving while the cells are compared, the
// result window read and closed with OK, and the cells coloured.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "host/Host.h"
#include "memhost/objects/Application.h"
#include "standin/Standin.h"
#include "tests/windows/module/InstalledModule.h"
#include "tests/windows/wholepath/RealWindows.h"
#include "tests/windows/win32ui/User.h"

namespace kx::testing {
namespace {

using ::testing::IsEmpty;

// Once the module has drawn a window it stays loaded in the process: one installation serves
// every test here.
class WholePath : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module = new InstalledModule();
    ASSERT_EQ(module->Register(), S_OK);
  }
  static void TearDownTestSuite() {
    EXPECT_EQ(module->Unregister(), S_OK);
    delete module;
  }
  static InstalledModule* module;
};
InstalledModule* WholePath::module = nullptr;

TEST_F(WholePath, ARibbonPressThroughTheModuleWithRealWindows) {
  RibbonHostWindow host;
  {
    auto app = StartRibbonHost();
    ASSERT_TRUE(app) << "the host started with the add-in loaded";

    // A hundred thousand rows, every third one a repeat of the one before: long enough a run for
    // the user to see the bar move.
    constexpr int kRows = 100000;
    auto sheet = app->Range("A1").value();
    ASSERT_TRUE(sheet->SetValue(host::Variant("Customer")).ok());
    for (int r = 2; r <= kRows; ++r) {
      int id = r % 3 == 0 ? r - 1 : r;
      ASSERT_TRUE(app->Range("A" + std::to_string(r)).value()->SetValue(host::Variant("c" + std::to_string(id))).ok());
    }
    ASSERT_TRUE(app->SelectAddress("A1:A" + std::to_string(kRows)).ok());

    User user;
    bool hostDisabledWhileAsked = false;
    LONG_PTR askingStyle = 0;
    std::set<LRESULT> barPositions;
    std::wstring result;
    user.When("answer Yes", [] { return Reachable(Showing(L"Yes").second); },
              [&] {
                auto [window, yes] = Showing(L"Yes");
                hostDisabledWhileAsked = !::IsWindowEnabled(host.window);
                askingStyle = ::GetWindowLongPtrW(window, GWL_STYLE);
                Click(yes);
              });
    user.When("pick a colour", [] { return Reachable(Showing(L"CANCEL").second); },
              [&] {
                HWND chooser = Showing(L"CANCEL").first;
                // The swatches are the labels without text that answer clicks.
                for (const Found& child : Children(chooser)) {
                  LONG_PTR style = ::GetWindowLongPtrW(child.window, GWL_STYLE);
                  if (child.type == L"Static" && child.text.empty() && (style & SS_NOTIFY)) {
                    Click(child.window);
                    break;
                  }
                }
              });
    user.When("press OK", [] { return Reachable(Showing(L"CANCEL").second); },
              [&] {
                HWND chooser = Showing(L"CANCEL").first;
                for (const Found& child : Children(chooser)) {
                  if (child.text == L"OK") Click(child.window);
                }
              });
    user.When("watch the bar move",
              [&] {
                if (HWND bar = ChildOfType(Showing(L"Stop").first, PROGRESS_CLASSW)) {
                  barPositions.insert(::SendMessageW(bar, PBM_GETPOS, 0, 0));
                }
                return barPositions.size() >= 3 || Showing(L"Found in Selection").first != nullptr;
              },
              [] {});
    user.When("read the result and press OK",
              [] { return Reachable(Showing(L"Found in Selection").second); },
              [&] {
                auto [window, label] = Showing(L"Found in Selection");
                result = TextOf(label);
                for (const Found& child : Children(window)) {
                  if (child.type == L"Button") Click(child.window);
                }
              });

    auto pressed = app->PressRibbonButton("Kestrix.Connect", "cDR");
    ASSERT_TRUE(pressed.ok()) << pressed.error().description;
    EXPECT_THAT(user.Pending(), IsEmpty());

    EXPECT_TRUE(hostDisabledWhileAsked) << "the question is modal to the host's window";
    EXPECT_NE(askingStyle & WS_CAPTION, WS_CAPTION) << "the progress window has no title bar";
    EXPECT_GE(barPositions.size(), 2u) << "the bar moved";
    EXPECT_NE(result.find(L"Duplicate Entries Found in Selection"), std::wstring::npos) << result.c_str();
    EXPECT_TRUE(::IsWindowEnabled(host.window));
    EXPECT_THAT(AddinWindows(), IsEmpty());

    // Every repeat and the row it repeats are coloured alike; the others are not.
    std::set<std::string> fills;
    for (int r = 2; r <= kRows; ++r) {
      bool repeated = r % 3 == 0 || (r + 1) % 3 == 0;
      auto fill = app->Range("A" + std::to_string(r)).value()->Interior().value()->ColorIndex().value();
      if (repeated) {
        fills.insert(host::DebugString(fill));
      } else {
        EXPECT_EQ(fill, host::Variant(static_cast<double>(host::xl::ColorIndexNone))) << r;
      }
    }
    EXPECT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills.count(host::DebugString(host::Variant(static_cast<double>(host::xl::ColorIndexNone)))), 0u);
    app->Shutdown();
    EXPECT_EQ(standin::LiveObjects(), 0);
  }
}

// Stop, pressed while the count runs through the COM boundary, ends the run: the result counts
// the rows visited so far.
TEST_F(WholePath, StopDuringARunThroughTheModule) {
  RibbonHostWindow host;
  {
    auto app = StartRibbonHost();
    ASSERT_TRUE(app) << "the host started with the add-in loaded";
    // Long enough that the run cannot end before the bar has moved and Stop has been taken.
    constexpr int kRows = 200000;
    for (int r = 1; r <= kRows; ++r) {
      ASSERT_TRUE(app->Range("A" + std::to_string(r)).value()->SetValue(host::Variant("same")).ok());
    }
    ASSERT_TRUE(app->SelectAddress("A1:A" + std::to_string(kRows)).ok());

    User user;
    LRESULT barAtStop = 0;
    std::wstring counted;
    user.When("answer Yes", [] { return Reachable(Showing(L"Yes").second); },
              [] { Click(Showing(L"Yes").second); });
    user.When("press Stop once the bar has moved",
              [&] {
                HWND bar = ChildOfType(Showing(L"Stop").first, PROGRESS_CLASSW);
                barAtStop = bar != nullptr ? ::SendMessageW(bar, PBM_GETPOS, 0, 0) : 0;
                return barAtStop > 0 && Reachable(Showing(L"Stop").second);
              },
              [] { Click(Showing(L"Stop").second); });
    user.When("read the count and press OK",
              [] { return Reachable(Showing(L"Found in Selection").second); },
              [&] {
                HWND window = Showing(L"Found in Selection").first;
                for (const Found& child : Children(window)) {
                  if (!child.text.empty() && std::all_of(child.text.begin(), child.text.end(), ::iswdigit)) {
                    counted = child.text;
                  }
                  if (child.type == L"Button") Click(child.window);
                }
              });
    ASSERT_TRUE(app->PressRibbonButton("Kestrix.Connect", "ctDR").ok());
    EXPECT_THAT(user.Pending(), IsEmpty());
    ASSERT_FALSE(counted.empty());
    long rows = std::stol(counted);
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, kRows) << "the run ended when Stop was pressed";
    EXPECT_GE(rows, static_cast<long>(barAtStop)) << "every row the bar showed was counted";
    EXPECT_THAT(AddinWindows(), IsEmpty());
    app->Shutdown();
    EXPECT_EQ(standin::LiveObjects(), 0);
  }
}

}  // namespace
}  // namespace kx::testing
