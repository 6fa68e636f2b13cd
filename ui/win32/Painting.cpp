#include "ui/win32/Painting.h"

#include <commctrl.h>

#include <array>
#include <string>

namespace kx::ui::win32 {

namespace {

constexpr UINT_PTR kLabelDecoration = 1;
constexpr UINT_PTR kFrameFill = 2;
constexpr int kEdge = 2;  // every DrawEdge edge is two pixels wide

UINT EdgeOf(SpecialEffect effect) {
  switch (effect) {
    case SpecialEffect::Raised: return EDGE_RAISED;
    case SpecialEffect::Sunken: return EDGE_SUNKEN;
    case SpecialEffect::Etched: return EDGE_ETCHED;
    case SpecialEffect::Bump: return EDGE_BUMP;
    case SpecialEffect::Flat: break;
  }
  return 0;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The edge lives in the label's non-client area, so that its text keeps clear of it.
LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR data) {
  const auto effect = static_cast<SpecialEffect>(data & 0xFF);
  const auto pointer = static_cast<MousePointer>((data >> 8) & 0xFF);
  switch (message) {
    case WM_NCCALCSIZE:
      if (effect != SpecialEffect::Flat) {
        RECT* client = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                              : reinterpret_cast<RECT*>(lParam);
        ::InflateRect(client, -kEdge, -kEdge);
        return 0;
      }
      break;
    case WM_NCPAINT:
      if (effect != SpecialEffect::Flat) {
        HDC dc = ::GetWindowDC(label);
        RECT box;
        ::GetWindowRect(label, &box);
        ::OffsetRect(&box, -box.left, -box.top);
        ::DrawEdge(dc, &box, EdgeOf(effect), BF_RECT);
        ::ReleaseDC(label, dc);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (pointer == MousePointer::Hand) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(label, LabelProc, id);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(label, message, wParam, lParam);
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR /*data*/) {
  if (message == WM_ERASEBKGND) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(frame), WM_CTLCOLORSTATIC,
                                                         wParam, reinterpret_cast<LPARAM>(frame)));
    RECT inside;
    ::GetClientRect(frame, &inside);
    if (brush != nullptr) ::FillRect(dc, &inside, brush);
    return TRUE;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(frame, FrameProc, id);
  return ::DefSubclassProc(frame, message, wParam, lParam);
}

// The add-in's own picture for the result window: a sheet whose repeated rows are marked, under
// a magnifying glass.
void DrawOwnPicture(HDC dc, const RECT& box) {
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  if (width < 8 || height < 8) return;
  RECT sheet{box.left + width / 10, box.top + height / 12, box.right - width / 10,
             box.bottom - height / 12};
  HPEN grid = ::CreatePen(PS_SOLID, 1, RGB(160, 160, 176));
  HGDIOBJ oldPen = ::SelectObject(dc, grid);
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
  ::Rectangle(dc, sheet.left, sheet.top, sheet.right, sheet.bottom);

  const int rows = 8;
  const int rowHeight = (sheet.bottom - sheet.top) / rows;
  const std::array<COLORREF, rows> fills{RGB(208, 216, 240), RGB(255, 255, 255), RGB(255, 214, 150),
                                         RGB(255, 255, 255), RGB(255, 214, 150), RGB(255, 255, 255),
                                         RGB(255, 255, 255), RGB(255, 214, 150)};
  const int split = sheet.left + (sheet.right - sheet.left) / 3;
  for (int row = 0; row < rows; ++row) {
    RECT band{sheet.left + 1, sheet.top + row * rowHeight + 1, sheet.right - 1,
              sheet.top + (row + 1) * rowHeight};
    HBRUSH fill = ::CreateSolidBrush(fills[static_cast<size_t>(row)]);
    ::FillRect(dc, &band, fill);
    ::DeleteObject(fill);
    ::MoveToEx(dc, sheet.left, band.bottom, nullptr);
    ::LineTo(dc, sheet.right, band.bottom);
  }
  ::MoveToEx(dc, split, sheet.top, nullptr);
  ::LineTo(dc, split, sheet.top + rows * rowHeight);

  // The glass over the lower right corner.
  const int radius = width / 5;
  const int cx = sheet.right - radius;
  const int cy = sheet.bottom - radius * 2;
  HPEN rim = ::CreatePen(PS_SOLID, (width > 60) ? 3 : 2, RGB(0, 0, 128));
  ::SelectObject(dc, rim);
  ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  ::Ellipse(dc, cx - radius, cy - radius, cx + radius, cy + radius);
  ::MoveToEx(dc, cx + radius * 7 / 10, cy + radius * 7 / 10, nullptr);
  ::LineTo(dc, cx + radius * 3 / 2, cy + radius * 3 / 2);

  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(rim);
  ::DeleteObject(grid);
}

}  // namespace

void DrawButton(const DRAWITEMSTRUCT& item, HBRUSH face) {
  HDC dc = item.hDC;
  RECT box = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;

  ::FillRect(dc, &box, face);
  if (focused) {
    // The button Enter presses, framed as Windows frames a default button.
    ::FrameRect(dc, &box, ::GetSysColorBrush(COLOR_WINDOWFRAME));
    ::InflateRect(&box, -1, -1);
  }
  ::DrawEdge(dc, &box, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  const std::wstring caption = TextOf(item.hwndItem);
  HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  ::SetBkMode(dc, TRANSPARENT);
  RECT text = box;
  if (pushed) ::OffsetRect(&text, 1, 1);
  const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | ((item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
  if (disabled) {
    RECT shadow = text;
    ::OffsetRect(&shadow, 1, 1);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    ::DrawTextW(dc, caption.c_str(), -1, &shadow, format);
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
  } else {
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  }
  ::DrawTextW(dc, caption.c_str(), -1, &text, format);
  ::SelectObject(dc, oldFont);

  if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT ring = box;
    ::InflateRect(&ring, -3, -3);
    ::DrawFocusRect(dc, &ring);
  }
}

void DrawPicture(HDC dc, const RECT& box, HBITMAP picture, bool stretch) {
  if (picture == nullptr) {
    DrawOwnPicture(dc, box);
    return;
  }
  BITMAP info{};
  ::GetObjectW(picture, sizeof info, &info);
  HDC source = ::CreateCompatibleDC(dc);
  HGDIOBJ old = ::SelectObject(source, picture);
  if (stretch) {
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, source, 0, 0,
                 info.bmWidth, info.bmHeight, SRCCOPY);
  } else {
    ::BitBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, source, 0, 0, SRCCOPY);
  }
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

void DrawShape(HDC dc, const RECT& box, COLORREF border, bool filled, COLORREF fill) {
  HPEN pen = ::CreatePen(PS_SOLID, 1, border);
  HBRUSH brush = filled ? ::CreateSolidBrush(fill) : nullptr;
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  HGDIOBJ oldBrush = ::SelectObject(dc, brush ? static_cast<HGDIOBJ>(brush) : ::GetStockObject(NULL_BRUSH));
  ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  if (brush) ::DeleteObject(brush);
  ::DeleteObject(pen);
}

void DrawLine(HDC dc, POINT from, POINT to, COLORREF colour) {
  HPEN pen = ::CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = ::SelectObject(dc, pen);
  ::MoveToEx(dc, from.x, from.y, nullptr);
  ::LineTo(dc, to.x, to.y);
  ::SelectObject(dc, old);
  ::DeleteObject(pen);
}

void DecorateLabel(HWND label, SpecialEffect effect, MousePointer pointer) {
  const auto data = static_cast<DWORD_PTR>(effect) | (static_cast<DWORD_PTR>(pointer) << 8);
  // Setting the subclass again with the same id replaces its data.
  ::SetWindowSubclass(label, LabelProc, kLabelDecoration, data);
  ::SetWindowPos(label, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FillFrameBackground(HWND frame) { ::SetWindowSubclass(frame, FrameProc, kFrameFill, 0); }

}  // namespace kx::ui::win32
