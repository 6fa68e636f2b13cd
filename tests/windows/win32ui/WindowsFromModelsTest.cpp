// Each of the add-in's windows as Windows shows it, read back through Windows: every control is a
// child window where its model puts it, with its caption, colours and font.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "addin/frmUG.h"
#include "com/Text.h"
#include "engines/frmCol.h"
#include "preventer/frmDupPrev.h"
#include "runner/frmPrgBar.h"
#include "runner/frmResult.h"
#include "tests/windows/win32ui/AddinOnScreen.h"
#include "tests/windows/win32ui/User.h"

namespace kx::testing {
namespace {

using ::testing::Eq;

class WindowsFromModels : public ::testing::Test {
 protected:
  WindowsFromModels() {
    HDC screen = ::GetDC(nullptr);
    dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
  }

  // Shows the form without waiting, as the menu shows the About window.
  template <class F>
  F& Show() {
    auto& form = on.state.Forms.Get<F>();
    form.Show(ui::ShowStyle::Modeless);
    return form;
  }

  // Every control with a window of its own is where the model puts it, within a pixel, with its
  // caption; `unitsPerInch` is 72 for a form in points, 1440 for one in twips. Controls named in
  // `inFrame` are measured from that frame's corner.
  void ExpectControlsPlaced(const ui::Form& form, double unitsPerInch, const std::string& inFrame = {},
                            const std::string& frameName = {}) {
    const double scale = dpi / unitsPerInch;
    HWND window = on.driver.WindowOf(form);
    ASSERT_NE(window, nullptr);
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_NEAR(client.right, form.Width * scale, 1.0) << form.Name();
    EXPECT_NEAR(client.bottom, form.Height * scale, 1.0) << form.Name();
    EXPECT_EQ(TextOf(window), com::Utf8ToWide(form.Caption));

    float originX = 0, originY = 0;
    if (!frameName.empty()) {
      const auto& frame = ui::Common(form.FindControl(frameName)->Control);
      originX = frame.Left;
      originY = frame.Top;
    }
    for (const auto& entry : form.Controls()) {
      HWND child = on.driver.ControlWindowOf(form, entry.Name, entry.Index);
      const bool drawnByForm = std::holds_alternative<ui::Shape*>(entry.Control) ||
                               std::holds_alternative<ui::Line*>(entry.Control);
      if (drawnByForm) {
        EXPECT_EQ(child, nullptr) << entry.DisplayName();
        continue;
      }
      ASSERT_NE(child, nullptr) << entry.DisplayName();
      const auto& place = ui::Common(entry.Control);
      const float x = entry.Name == inFrame ? originX : 0;
      const float y = entry.Name == inFrame ? originY : 0;
      const ChildWindow seen = Describe(child);
      SCOPED_TRACE(form.Name() + "." + entry.DisplayName());
      EXPECT_NEAR(seen.box.left, (x + place.Left) * scale, 1.0);
      EXPECT_NEAR(seen.box.top, (y + place.Top) * scale, 1.0);
      EXPECT_NEAR(seen.box.right, (x + place.Left + place.Width) * scale, 1.0);
      EXPECT_NEAR(seen.box.bottom, (y + place.Top + place.Height) * scale, 1.0);
      EXPECT_EQ((seen.style & WS_VISIBLE) != 0, place.Visible);
      std::visit(
          [&](auto* control) {
            using C = std::remove_pointer_t<decltype(control)>;
            if constexpr (std::is_same_v<C, ui::Label>) {
              EXPECT_EQ(seen.type, L"Static");
              EXPECT_EQ(seen.text, com::Utf8ToWide(control->Caption.Get()));
              ExpectColours(window, child, control->ForeColor, control->BackColor);
              ExpectFont(child, control->Font);
            } else if constexpr (std::is_same_v<C, ui::CommandButton>) {
              EXPECT_EQ(seen.type, L"Button");
              EXPECT_EQ(seen.style & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
              EXPECT_EQ(seen.text, com::Utf8ToWide(control->Caption));
              ExpectFont(child, control->Font);
              if (place.Visible) {
                EXPECT_EQ(PixelAt(child, 5, 5), static_cast<COLORREF>(control->BackColor));
              }
            } else if constexpr (std::is_same_v<C, ui::OptionButton>) {
              EXPECT_EQ(seen.style & BS_TYPEMASK, static_cast<DWORD>(BS_RADIOBUTTON));
              EXPECT_EQ(seen.text, com::Utf8ToWide(control->Caption));
              EXPECT_EQ(::SendMessageW(child, BM_GETCHECK, 0, 0), control->Value ? BST_CHECKED : BST_UNCHECKED);
              ExpectFont(child, form.Font);
            } else if constexpr (std::is_same_v<C, ui::CheckBox>) {
              EXPECT_EQ(seen.style & BS_TYPEMASK, static_cast<DWORD>(BS_CHECKBOX));
              EXPECT_EQ(seen.text, com::Utf8ToWide(control->Caption));
              EXPECT_EQ(::SendMessageW(child, BM_GETCHECK, 0, 0), control->Value ? BST_CHECKED : BST_UNCHECKED);
            } else if constexpr (std::is_same_v<C, ui::Frame>) {
              EXPECT_EQ(seen.style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
              ExpectColours(window, child, ui::kBlack, control->BackColor);
            } else if constexpr (std::is_same_v<C, ui::ProgressBar>) {
              EXPECT_EQ(seen.type, L"msctls_progress32");
              EXPECT_EQ(::SendMessageW(child, PBM_GETRANGE, TRUE, 0), std::lround(control->Min()));
              EXPECT_EQ(::SendMessageW(child, PBM_GETRANGE, FALSE, 0), std::lround(control->Max()));
              EXPECT_EQ(::SendMessageW(child, PBM_GETPOS, 0, 0), std::lround(control->Value()));
            } else if constexpr (std::is_same_v<C, ui::Image>) {
              EXPECT_EQ(seen.type, L"Static");
              EXPECT_EQ(seen.style & SS_TYPEMASK, static_cast<DWORD>(SS_OWNERDRAW));
            }
          },
          entry.Control);
    }
  }

  // The colours the form hands Windows for drawing the control.
  static void ExpectColours(HWND form, HWND child, ui::OleColor fore, ui::OleColor back) {
    HDC dc = ::GetDC(child);
    ::SendMessageW(form, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    EXPECT_EQ(::GetTextColor(dc), static_cast<COLORREF>(fore));
    EXPECT_EQ(::GetBkColor(dc), static_cast<COLORREF>(back));
    ::ReleaseDC(child, dc);
  }

  void ExpectFont(HWND child, const ui::Font& font) const {
    const LOGFONTW seen = FontOf(child);
    EXPECT_EQ(std::wstring(seen.lfFaceName), com::Utf8ToWide(font.Name));
    EXPECT_EQ(seen.lfHeight, -std::lround(static_cast<double>(font.Size) * dpi / 72.0));
    EXPECT_EQ(seen.lfWeight >= FW_BOLD, font.Bold);
  }

  int dpi = 96;
  AddinOnScreen on;
};

TEST_F(WindowsFromModels, ProgressWindowHasNoTitleBarAndShowsItsQuestion) {
  auto& form = Show<runner::frmPrgBar>();
  ExpectControlsPlaced(form, 72);
  HWND window = on.driver.WindowOf(form);
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_DLGFRAME));
  RECT outer, client;
  ::GetWindowRect(window, &outer);
  ::GetClientRect(window, &client);
  EXPECT_LT((outer.bottom - outer.top) - client.bottom, ::GetSystemMetrics(SM_CYCAPTION))
      << "no room for a title bar above the client area";
  EXPECT_EQ(PixelAt(window, 2, 60), 0x00FFC0C0u) << "the form's light blue";

  HWND percentage = on.driver.ControlWindowOf(form, "lblPer");
  EXPECT_EQ(Describe(percentage).style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
  EXPECT_EQ(Describe(on.driver.ControlWindowOf(form, "lblStatus")).style & SS_TYPEMASK,
            static_cast<DWORD>(SS_LEFT))
      << "the question wraps";
  // The etched frame lies behind the bar, not over it.
  HWND bar = on.driver.ControlWindowOf(form, "ProgressBar1");
  HWND behind = on.driver.ControlWindowOf(form, "Label4");
  bool barFirst = false;
  for (HWND w = ::GetWindow(window, GW_CHILD); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
    if (w == bar) barFirst = true;
    if (w == behind) break;
  }
  EXPECT_TRUE(barFirst);
  RECT etchedClient;
  ::GetClientRect(behind, &etchedClient);
  EXPECT_EQ(etchedClient.right, Describe(behind).box.right - Describe(behind).box.left - 4) << "a two-pixel edge";
}

TEST_F(WindowsFromModels, ResultWindowShowsItsNumberInBoldVerdana) {
  auto& form = Show<runner::frmResult>();
  ExpectControlsPlaced(form, 72);
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(on.driver.WindowOf(form), GWL_STYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_NE(style & WS_SYSMENU, 0u) << "a close box";
}

TEST_F(WindowsFromModels, ColourChooserSwatchesSitInTheirFrameWithTheirTooltips) {
  auto& form = Show<engines::frmCol>();
  ExpectControlsPlaced(form, 72, "lblColIndex", "Frame9");
  HWND window = on.driver.WindowOf(form);

  HWND tips = nullptr;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND w, LPARAM found) -> BOOL {
        wchar_t type[64] = {};
        ::GetClassNameW(w, type, 64);
        if (std::wstring(type) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(found) = w;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(::GetWindow(tips, GW_OWNER), window);
  auto& chooser = static_cast<engines::frmCol&>(form);
  for (int i = 0; i < 16; ++i) {
    HWND swatch = on.driver.ControlWindowOf(form, "lblColIndex", i);
    wchar_t text[80] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(swatch);
    tool.lpszText = text;
    ::SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), com::Utf8ToWide(chooser.lblColIndex[static_cast<size_t>(i)].ControlTipText)) << i;
    EXPECT_EQ(PixelAt(swatch, 1, 1), static_cast<COLORREF>(chooser.lblColIndex[static_cast<size_t>(i)].BackColor)) << i;
  }
}

TEST_F(WindowsFromModels, PreventerFramesAreDrawnAroundTheirControlsInVerdana) {
  auto& form = Show<preventer::frmDupPrev>();
  ExpectControlsPlaced(form, 72);
}

TEST_F(WindowsFromModels, AboutWindowIsLaidOutInTwipsWithItsShapesLineAndLink) {
  auto& form = Show<addin::frmUG>();
  ExpectControlsPlaced(form, 1440);
  auto& about = static_cast<addin::frmUG&>(form);
  HWND window = on.driver.WindowOf(form);
  const double scale = dpi / 1440.0;
  const auto at = [&](float twips) { return static_cast<int>(std::lround(twips * scale)); };
  EXPECT_EQ(PixelAt(window, at(about.Line1.X1 + 600), at(about.Line1.Y1)), 0x00FFFFFFu) << "the white line";
  EXPECT_EQ(PixelAt(window, at(about.Shape1.Left), at(about.Shape1.Top + 1000)), 0x00000000u)
      << "the frame behind the description";
  EXPECT_EQ(PixelAt(window, at(about.Shape1.Left) + 3, at(about.Shape1.Top + 1000)), 0x00FFC0C0u);

  // The link shows the pointing hand.
  HWND link = on.driver.ControlWindowOf(form, "Label21");
  ::SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
  HWND text = on.driver.ControlWindowOf(form, "Label2");
  ::SendMessageW(text, WM_SETCURSOR, reinterpret_cast<WPARAM>(text), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

}  // namespace
}  // namespace kx::testing
