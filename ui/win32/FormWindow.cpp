#include "ui/win32/FormWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwctype>
#include <variant>

#include "com/Text.h"
#include "ui/win32/Painting.h"

namespace kx::ui::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"KestrixForm";
// Control ids start above the dialog manager's IDOK and IDCANCEL, which IsDialogMessage sends for
// Enter and Escape.
constexpr int kFirstControlId = 1000;

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

HINSTANCE DriverModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&DriverModule), &module);
  return module;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameFont(const ui::Font& a, const ui::Font& b) {
  return a.Name == b.Name && a.Size == b.Size && a.Bold == b.Bold;
}

int WholeNumber(float value) {
  const double clamped = std::clamp(static_cast<double>(value), static_cast<double>(INT_MIN),
                                    static_cast<double>(INT_MAX));
  return static_cast<int>(std::lround(clamped));
}

DWORD LabelStyle(TextAlign align, bool wrap, bool notify) {
  DWORD style = SS_NOPREFIX;
  switch (align) {
    case TextAlign::Center: style |= SS_CENTER; break;
    case TextAlign::Right: style |= SS_RIGHT; break;
    case TextAlign::Left: style |= wrap ? SS_LEFT : SS_LEFTNOWORDWRAP; break;
  }
  return style | (notify ? SS_NOTIFY : 0);
}

void SetStyleBits(HWND window, DWORD mask, DWORD bits) {
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
  const DWORD wanted = (style & ~mask) | (bits & mask);
  if (wanted != style) ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(wanted));
}

// Centred on the owner when it is on screen, else on the work area; never off the work area.
POINT CentredOn(HWND owner, SIZE size) {
  RECT area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &around);
  LONG x = around.left + ((around.right - around.left) - size.cx) / 2;
  LONG y = around.top + ((around.bottom - around.top) - size.cy) / 2;
  x = std::max(area.left, std::min(x, area.right - size.cx));
  y = std::max(area.top, std::min(y, area.bottom - size.cy));
  return POINT{x, y};
}

}  // namespace

void UnregisterFormClass() { ::UnregisterClassW(kFormClass, DriverModule()); }

FormWindow::FormWindow(Form& form, HWND owner, int dpi, Gdi& gdi, FormWindowEvents& events)
    : form_(form.weak_from_this()),
      identity_(&form),
      formName_(form.Name()),
      gdi_(gdi),
      events_(events),
      layout_(form, dpi) {
  WNDCLASSEXW type{sizeof type};
  if (!::GetClassInfoExW(DriverModule(), kFormClass, &type)) {
    type = WNDCLASSEXW{sizeof type};
    type.lpfnWndProc = &FormWindow::Proc;
    // The dialog manager's own window procedure serves what a form does not handle: focus kept
    // across activation, Tab and mnemonics through IsDialogMessage.
    type.cbWndExtra = DLGWINDOWEXTRA;
    type.hInstance = DriverModule();
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = kFormClass;
    ::RegisterClassExW(&type);
  }

  caption_ = form.Caption;
  back_ = ToColorRef(form.BackColor);
  client_ = layout_.ClientSize(form);
  // A form without a caption has no title bar; it is moved by a press on its background.
  const bool titled = !form.Caption.empty();
  const DWORD style = WS_POPUP | WS_CLIPCHILDREN | (titled ? WS_CAPTION | WS_SYSMENU : WS_DLGFRAME);
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT outer{0, 0, client_.cx, client_.cy};
  ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  const POINT at = CentredOn(owner, size);
  ::CreateWindowExW(exStyle, kFormClass, com::Utf8ToWide(caption_).c_str(), style, at.x, at.y, size.cx,
                    size.cy, owner, nullptr, DriverModule(), this);
  if (window_ == nullptr) return;

  children_.resize(form.Controls().size());
  for (std::size_t i = 0; i < children_.size(); ++i) Create(form, i);
  ArrangeZOrder();
  KeepOptionTabStops();
}

FormWindow::~FormWindow() {
  for (auto& child : children_) {
    if (child.bitmap != nullptr) ::DeleteObject(child.bitmap);
  }
  if (window_ != nullptr) {
    HWND window = window_;
    // Messages sent while it is destroyed find no FormWindow any more.
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    window_ = nullptr;
    ::DestroyWindow(window);
  }
}

// --- Making the controls ---

FormWindow::Look FormWindow::LookOf(const Form& form, std::size_t i) const {
  const ControlEntry& entry = form.Controls()[i];
  const ControlBase& common = Common(entry.Control);
  Look look;
  look.visible = common.Visible;
  look.enabled = common.Enabled;
  look.tip = common.ControlTipText;
  look.box = layout_.Place(form, i);
  look.fore = ::GetSysColor(COLOR_BTNTEXT);
  look.font = form.Font;
  std::visit(Overloaded{
                 [&](const Label* c) {
                   look.text = c->Caption.Get();
                   look.back = ToColorRef(c->BackColor);
                   look.fore = ToColorRef(c->ForeColor);
                   look.font = c->Font;
                   look.align = c->Alignment;
                   look.wrap = c->WordWrap;
                   look.effect = c->Effect;
                   look.pointer = c->Pointer;
                 },
                 [&](const CommandButton* c) {
                   look.text = c->Caption;
                   look.back = ToColorRef(c->BackColor);
                   look.font = c->Font;
                 },
                 [&](const OptionButton* c) {
                   look.text = c->Caption;
                   look.back = ToColorRef(c->BackColor);
                   look.checked = c->Value;
                 },
                 [&](const CheckBox* c) {
                   look.text = c->Caption;
                   look.back = ToColorRef(c->BackColor);
                   look.checked = c->Value;
                 },
                 [&](const Frame* c) {
                   look.text = c->Caption;
                   look.back = ToColorRef(c->BackColor);
                 },
                 [&](const ProgressBar* c) {
                   look.min = WholeNumber(c->Min());
                   look.max = WholeNumber(c->Max());
                   look.value = WholeNumber(c->Value());
                 },
                 [&](const Image* c) {
                   look.back = ToColorRef(form.BackColor);
                   look.picture = c->Picture;
                   look.stretch = c->Stretch;
                 },
                 [&](const Shape* c) {
                   look.back = ToColorRef(c->BorderColor);
                   look.filled = c->Filled;
                   look.fill = ToColorRef(c->FillColor);
                 },
                 [&](const Line* c) {
                   look.back = ToColorRef(c->BorderColor);
                   look.from = layout_.Point(c->X1, c->Y1);
                   look.to = layout_.Point(c->X2, c->Y2);
                 },
             },
             entry.Control);
  return look;
}

void FormWindow::Create(const Form& form, std::size_t i) {
  const ControlEntry& entry = form.Controls()[i];
  Child& child = children_[i];
  child.name = entry.Name;
  child.index = entry.Index;
  child.kind = std::visit(Overloaded{
                              [](const Label*) { return Kind::Label; },
                              [](const CommandButton*) { return Kind::Button; },
                              [](const OptionButton*) { return Kind::Option; },
                              [](const CheckBox*) { return Kind::Check; },
                              [](const Frame*) { return Kind::Frame; },
                              [](const ProgressBar*) { return Kind::Bar; },
                              [](const Image*) { return Kind::Image; },
                              [](const Shape*) { return Kind::Shape; },
                              [](const Line*) { return Kind::Line; },
                          },
                          entry.Control);
  if (const auto* option = std::get_if<OptionButton*>(&entry.Control)) child.group = (*option)->GroupName;
  child.clickable = form.HasHandler(entry.Name, Event::Click);
  const Look look = LookOf(form, i);
  child.look = look;
  if (child.kind == Kind::Shape || child.kind == Kind::Line) return;

  const wchar_t* type = L"Static";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  switch (child.kind) {
    case Kind::Label:
      style |= LabelStyle(look.align, look.wrap,
                          child.clickable || !look.tip.empty() || look.pointer == MousePointer::Hand);
      break;
    case Kind::Button:
      // Drawn here, so that the face takes the button's back colour.
      type = L"Button";
      style |= BS_OWNERDRAW | WS_TABSTOP;
      break;
    case Kind::Option:
      // Not the automatic kind: the model decides what a click selects.
      type = L"Button";
      style |= BS_RADIOBUTTON;
      break;
    case Kind::Check:
      type = L"Button";
      style |= BS_CHECKBOX | WS_TABSTOP;
      break;
    case Kind::Frame:
      type = L"Button";
      style |= BS_GROUPBOX;
      break;
    case Kind::Bar:
      type = PROGRESS_CLASSW;
      style |= PBS_SMOOTH;
      break;
    case Kind::Image:
      style |= SS_OWNERDRAW;
      break;
    case Kind::Shape:
    case Kind::Line:
      break;
  }
  if (look.visible) style |= WS_VISIBLE;
  if (!look.enabled) style |= WS_DISABLED;
  child.window = ::CreateWindowExW(
      0, type, com::Utf8ToWide(look.text).c_str(), style, look.box.left, look.box.top,
      look.box.right - look.box.left, look.box.bottom - look.box.top, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))), DriverModule(),
      nullptr);
  if (child.window == nullptr) return;

  ::SendMessageW(child.window, WM_SETFONT, reinterpret_cast<WPARAM>(gdi_.Font(look.font, layout_.Dpi())), FALSE);
  switch (child.kind) {
    case Kind::Label:
      if (look.effect != SpecialEffect::Flat || look.pointer != MousePointer::Default) {
        DecorateLabel(child.window, look.effect, look.pointer);
      }
      break;
    case Kind::Option:
    case Kind::Check:
      ::SendMessageW(child.window, BM_SETCHECK, look.checked ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Kind::Frame:
      FillFrameBackground(child.window);
      break;
    case Kind::Bar:
      ::SendMessageW(child.window, PBM_SETRANGE32, static_cast<WPARAM>(look.min), look.max);
      ::SendMessageW(child.window, PBM_SETPOS, static_cast<WPARAM>(look.value), 0);
      break;
    case Kind::Image:
      if (!look.picture.empty()) {
        std::wstring name = com::Utf8ToWide(look.picture);
        for (auto& c : name) c = static_cast<wchar_t>(std::towupper(c));
        child.bitmap = static_cast<HBITMAP>(
            ::LoadImageW(DriverModule(), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
      }
      break;
    default:
      break;
  }
  if (!look.tip.empty()) ApplyTip(child, look.tip);
}

// The designer's windowless controls lie under the windowed ones: labels and pictures under
// buttons and bars (the progress window's etched label is drawn behind its bar), frames under
// everything, the outer frame lowest. The windowed controls keep the model's order, which is the
// order Tab follows.
void FormWindow::ArrangeZOrder() {
  for (const auto& child : children_) {
    if (child.window && (child.kind == Kind::Label || child.kind == Kind::Image)) {
      ::SetWindowPos(child.window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    if (it->window && it->kind == Kind::Frame) {
      ::SetWindowPos(it->window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

// As in a dialog, a group of option buttons is one Tab stop, at its chosen button (or its first,
// when none is chosen); the arrow keys move within it.
void FormWindow::KeepOptionTabStops() {
  for (const auto& child : children_) {
    if (child.kind != Kind::Option || child.window == nullptr) continue;
    const Child* stop = nullptr;
    for (const auto& other : children_) {
      if (other.kind != Kind::Option || other.group != child.group) continue;
      if (stop == nullptr || (other.look.checked && !stop->look.checked)) stop = &other;
    }
    SetStyleBits(child.window, WS_TABSTOP, stop == &child ? WS_TABSTOP : 0);
  }
}

void FormWindow::ApplyTip(Child& child, const std::string& tip) {
  if (tips_ == nullptr) {
    tips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                              DriverModule(), nullptr);
    if (tips_ == nullptr) return;
  }
  std::wstring text = com::Utf8ToWide(tip);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(child.window);
  tool.lpszText = text.data();
  if (tip.empty()) {
    if (child.hasTip) ::SendMessageW(tips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    child.hasTip = false;
  } else if (child.hasTip) {
    ::SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    child.hasTip = ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
  }
}

// --- Keeping in step ---

void FormWindow::Sync(const Form& form) {
  if (window_ == nullptr) return;
  if (form.Caption != caption_) {
    caption_ = form.Caption;
    ::SetWindowTextW(window_, com::Utf8ToWide(caption_).c_str());
  }
  const COLORREF back = ToColorRef(form.BackColor);
  const SIZE client = layout_.ClientSize(form);
  if (back != back_) {
    back_ = back;
    ::InvalidateRect(window_, nullptr, TRUE);
  }
  if (client.cx != client_.cx || client.cy != client_.cy) {
    client_ = client;
    RECT outer{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    ::SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const std::size_t count = std::min(children_.size(), form.Controls().size());
  for (std::size_t i = 0; i < count; ++i) Apply(children_[i], LookOf(form, i));
  KeepOptionTabStops();
  KeepFocusReachable();
}

void FormWindow::SyncShown(const Form& form) {
  if (window_ == nullptr) return;
  const std::size_t count = std::min(children_.size(), form.Controls().size());
  bool swapped = false;
  for (std::size_t i = 0; i < count; ++i) {
    Child& child = children_[i];
    const ControlBase& common = Common(form.Controls()[i].Control);
    if (child.window == nullptr || (common.Visible == child.look.visible && common.Enabled == child.look.enabled)) {
      continue;
    }
    if (common.Enabled != child.look.enabled) ::EnableWindow(child.window, common.Enabled);
    if (common.Visible != child.look.visible) ::ShowWindow(child.window, common.Visible ? SW_SHOWNA : SW_HIDE);
    child.look.visible = common.Visible;
    child.look.enabled = common.Enabled;
    swapped = true;
  }
  if (swapped) KeepFocusReachable();
}

void FormWindow::Apply(Child& child, const Look& next) {
  Look& now = child.look;
  if (child.window == nullptr) {
    // Shapes and lines are painted by the form: any change repaints where they were and are.
    const bool changed = !SameRect(now.box, next.box) || now.visible != next.visible || now.back != next.back ||
                         now.filled != next.filled || now.fill != next.fill || now.from.x != next.from.x ||
                         now.from.y != next.from.y || now.to.x != next.to.x || now.to.y != next.to.y;
    if (changed) ::InvalidateRect(window_, nullptr, TRUE);
    now = next;
    return;
  }
  HWND window = child.window;
  // A label's text and the bar's position change while a run goes on: the control is told with
  // its drawing held, and is drawn once, with everything else, when the driver lets windows
  // repaint.
  const bool quiet = now.visible && next.visible && ::IsWindowVisible(window) &&
                     (now.text != next.text || now.value != next.value);
  if (quiet) ::SendMessageW(window, WM_SETREDRAW, FALSE, 0);
  if (!SameRect(now.box, next.box)) {
    ::SetWindowPos(window, nullptr, next.box.left, next.box.top, next.box.right - next.box.left,
                   next.box.bottom - next.box.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (now.text != next.text) ::SetWindowTextW(window, com::Utf8ToWide(next.text).c_str());
  if (now.enabled != next.enabled) ::EnableWindow(window, next.enabled);
  if (now.visible != next.visible) ::ShowWindow(window, next.visible ? SW_SHOWNA : SW_HIDE);
  if (!SameFont(now.font, next.font)) {
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(gdi_.Font(next.font, layout_.Dpi())), TRUE);
  }
  if (now.back != next.back || now.fore != next.fore) ::InvalidateRect(window, nullptr, TRUE);
  switch (child.kind) {
    case Kind::Label: {
      const bool notify = child.clickable || !next.tip.empty() || next.pointer == MousePointer::Hand;
      const DWORD textStyle = LabelStyle(next.align, next.wrap, notify);
      SetStyleBits(window, SS_TYPEMASK | SS_NOPREFIX | SS_NOTIFY, textStyle);
      if (now.align != next.align || now.wrap != next.wrap) ::InvalidateRect(window, nullptr, TRUE);
      if (now.effect != next.effect || now.pointer != next.pointer) DecorateLabel(window, next.effect, next.pointer);
      break;
    }
    case Kind::Option:
    case Kind::Check:
      if (now.checked != next.checked) {
        ::SendMessageW(window, BM_SETCHECK, next.checked ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      break;
    case Kind::Bar:
      if (now.min != next.min || now.max != next.max) {
        ::SendMessageW(window, PBM_SETRANGE32, static_cast<WPARAM>(next.min), next.max);
      }
      if (now.value != next.value || now.min != next.min || now.max != next.max) {
        ::SendMessageW(window, PBM_SETPOS, static_cast<WPARAM>(next.value), 0);
      }
      break;
    default:
      break;
  }
  if (now.tip != next.tip) ApplyTip(child, next.tip);
  if (quiet) {
    ::SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(window, nullptr, TRUE);
  }
  const bool hadTip = child.hasTip;
  now = next;
  child.hasTip = hadTip;
}

// A click may hide or disable the control that had the focus ("Yes" gives way to "Stop"). The
// dialog manager then puts the focus on whatever control is still shown, a label or the bar
// included; it moves on to the first control Tab reaches, so that the keyboard still works the
// window.
void FormWindow::KeepFocusReachable() {
  if (::GetActiveWindow() != window_) return;
  // Nothing on the form takes the focus (the About window): the dialog manager's choice stands.
  HWND first = ::GetNextDlgTabItem(window_, nullptr, FALSE);
  if (first == nullptr) return;
  HWND focus = ::GetFocus();
  const Child* child = Find(focus);
  const bool takesFocus = child != nullptr &&
                          (child->kind == Kind::Button || child->kind == Kind::Option || child->kind == Kind::Check);
  const bool lost = focus == nullptr || focus == window_ ||
                    (::IsChild(window_, focus) &&
                     (!takesFocus || !::IsWindowVisible(focus) || !::IsWindowEnabled(focus)));
  if (lost) ::SetFocus(first);
}

void FormWindow::FocusFirst() {
  if (window_ == nullptr) return;
  HWND first = ::GetNextDlgTabItem(window_, nullptr, FALSE);
  ::SetFocus(first != nullptr ? first : window_);
}

HWND FormWindow::ControlWindow(std::string_view name, int index) const {
  for (const auto& child : children_) {
    if (child.name == name && child.index == index) return child.window;
  }
  return nullptr;
}

FormWindow::Child* FormWindow::Find(HWND control) {
  if (control == nullptr) return nullptr;
  for (auto& child : children_) {
    if (child.window == control) return &child;
  }
  return nullptr;
}

const FormWindow::Child* FormWindow::NextOption(const Child& from, bool forward) const {
  const auto count = static_cast<std::ptrdiff_t>(children_.size());
  const std::ptrdiff_t start = &from - children_.data();
  for (std::ptrdiff_t step = 1; step < count; ++step) {
    const std::ptrdiff_t i = ((forward ? start + step : start - step) % count + count) % count;
    const Child& other = children_[static_cast<std::size_t>(i)];
    if (other.kind == Kind::Option && other.group == from.group && other.look.visible && other.look.enabled) {
      return &other;
    }
  }
  return nullptr;
}

// --- The user ---

void FormWindow::Click(const Child& child) {
  const std::string name = child.name;
  const int index = child.index;
  events_.ControlClicked(*this, name, index);
}

bool FormWindow::Translate(MSG& message) {
  if (window_ == nullptr) return false;
  if (message.message == WM_KEYDOWN) {
    if (const Child* child = Find(message.hwnd)) {
      // The models name no default button: Enter presses the button that has the focus.
      if (message.wParam == VK_RETURN && child->kind == Kind::Button) {
        Click(*child);
        return true;
      }
      const bool forward = message.wParam == VK_DOWN || message.wParam == VK_RIGHT;
      const bool back = message.wParam == VK_UP || message.wParam == VK_LEFT;
      if ((forward || back) && child->kind == Kind::Option) {
        if (const Child* next = NextOption(*child, forward)) {
          ::SetFocus(next->window);
          Click(*next);
        }
        return true;
      }
    }
  }
  return ::IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT CALLBACK FormWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
    LRESULT result = 0;
    if (self->Handle(message, wParam, lParam, result)) return result;
  }
  return ::DefDlgProcW(window, message, wParam, lParam);
}

bool FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      ::GetClientRect(window_, &client);
      ::FillRect(reinterpret_cast<HDC>(wParam), &client, gdi_.Brush(back_));
      result = TRUE;
      return true;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window_, &paint);
      Paint(dc);
      ::EndPaint(window_, &paint);
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const Child* child = Find(reinterpret_cast<HWND>(lParam));
      if (child == nullptr) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, child->look.fore);
      ::SetBkColor(dc, child->look.back);
      result = reinterpret_cast<LRESULT>(gdi_.Brush(child->look.back));
      return true;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const Child* child = Find(item.hwndItem);
      if (child == nullptr) return false;
      if (child->kind == Kind::Button) {
        DrawButton(item, gdi_.Brush(child->look.back));
      } else if (child->kind == Kind::Image) {
        ::FillRect(item.hDC, &item.rcItem, gdi_.Brush(child->look.back));
        DrawPicture(item.hDC, item.rcItem, child->bitmap, child->look.stretch);
      }
      result = TRUE;
      return true;
    }
    case WM_COMMAND: {
      // Enter and Escape arrive as IDOK and IDCANCEL; Translate has already dealt with Enter.
      const int id = LOWORD(wParam);
      if (id < kFirstControlId) return true;
      const auto i = static_cast<std::size_t>(id - kFirstControlId);
      if (i >= children_.size()) return true;
      const Child& child = children_[i];
      const int code = HIWORD(wParam);
      const bool buttonClick =
          (child.kind == Kind::Button || child.kind == Kind::Option || child.kind == Kind::Check) &&
          (code == BN_CLICKED || code == BN_DOUBLECLICKED);
      // A double click on a label is a second click, as the swatches expect.
      const bool labelClick = (child.kind == Kind::Label || child.kind == Kind::Image) &&
                              (code == STN_CLICKED || code == STN_DBLCLK);
      if (buttonClick || labelClick) Click(child);
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      EventArgs args;
      args.Button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
      args.Shift = ((wParam & MK_SHIFT) ? 1 : 0) | ((wParam & MK_CONTROL) ? 2 : 0) |
                   (::GetKeyState(VK_MENU) < 0 ? 4 : 0);
      args.X = layout_.ToUnits(GET_X_LPARAM(lParam));
      args.Y = layout_.ToUnits(GET_Y_LPARAM(lParam));
      events_.BackgroundPressed(*this, args);
      return true;
    }
    case WM_CLOSE:
      events_.CloseBoxPressed(*this);
      return true;
    case WM_NCDESTROY:
      // Windows destroyed the window itself (its owner went): nothing here is shown any more.
      window_ = nullptr;
      tips_ = nullptr;
      for (auto& child : children_) child.window = nullptr;
      return false;
    default:
      return false;
  }
}

void FormWindow::Paint(HDC dc) const {
  for (const auto& child : children_) {
    if (!child.look.visible) continue;
    if (child.kind == Kind::Shape) {
      DrawShape(dc, child.look.box, child.look.back, child.look.filled, child.look.fill);
    } else if (child.kind == Kind::Line) {
      DrawLine(dc, child.look.from, child.look.to, child.look.back);
    }
  }
}

}  // namespace kx::ui::win32
