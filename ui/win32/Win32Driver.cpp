#include "ui/win32/Win32Driver.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "com/Text.h"
#include "ui/Form.h"

namespace kx::ui {

namespace {

// The hook is per thread, and so is the driver that the windows of that thread belong to.
thread_local Win32Driver* t_hookedDriver = nullptr;

void OpenWithShell(HWND owner, const std::wstring& address) {
  ::ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LPARAM ScreenPoint(POINT point) {
  const auto x = static_cast<unsigned short>(static_cast<short>(point.x));
  const auto y = static_cast<unsigned short>(static_cast<short>(point.y));
  return static_cast<LPARAM>(static_cast<unsigned long>(x) | (static_cast<unsigned long>(y) << 16));
}

}  // namespace

Win32Driver::Win32Driver(HostWindow hostWindow, UrlOpener openUrl)
    : hostWindow_(std::move(hostWindow)), openUrl_(openUrl ? std::move(openUrl) : UrlOpener(&OpenWithShell)) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&classes);
  HDC screen = ::GetDC(nullptr);
  dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  lookTicks_ = frequency.QuadPart * kLookMilliseconds / 1000;
}

Win32Driver::~Win32Driver() {
  windows_.clear();
  if (keyboardHook_ != nullptr) ::UnhookWindowsHookEx(keyboardHook_);
  if (t_hookedDriver == this) t_hookedDriver = nullptr;
  win32::UnregisterFormClass();
}

// --- Windows of forms ---

win32::FormWindow* Win32Driver::Find(const Form& form) const {
  for (const auto& window : windows_) {
    // A form that went without unloading may leave its address to a new one.
    if (window->Draws(form) && window->Model() != nullptr) return window.get();
  }
  return nullptr;
}

HWND Win32Driver::WindowOf(const Form& form) const {
  const win32::FormWindow* window = Find(form);
  return window ? window->Handle() : nullptr;
}

HWND Win32Driver::ControlWindowOf(const Form& form, std::string_view control, int index) const {
  const win32::FormWindow* window = Find(form);
  return window ? window->ControlWindow(control, index) : nullptr;
}

win32::FormWindow* Win32Driver::Open(Form& form) {
  Purge();
  // Every window, not only this form's: those behind it show their latest too.
  SyncAll();
  if (win32::FormWindow* existing = Find(form); existing && existing->Handle()) return existing;
  Destroy(Find(form));
  win32::FormWindowEvents& events = *this;
  windows_.push_back(std::make_unique<win32::FormWindow>(form, Owner(), dpi_, gdi_, events));
  if (windows_.back()->Handle() == nullptr) {
    windows_.pop_back();
    return nullptr;
  }
  return windows_.back().get();
}

HWND Win32Driver::Owner() const {
  for (auto it = modal_.rbegin(); it != modal_.rend(); ++it) {
    if (it->ended) continue;
    if (const win32::FormWindow* window = Find(*it->form); window && ::IsWindowVisible(window->Handle())) {
      return window->Handle();
    }
  }
  return Host();
}

void Win32Driver::Destroy(const win32::FormWindow* window) {
  if (window == nullptr) return;
  // Taken out of the list first: destroying it sends messages that may look the list up.
  auto found = std::find_if(windows_.begin(), windows_.end(), [window](const auto& w) { return w.get() == window; });
  if (found == windows_.end()) return;
  std::unique_ptr<win32::FormWindow> going = std::move(*found);
  windows_.erase(found);
}

void Win32Driver::Purge() {
  std::vector<const win32::FormWindow*> orphans;
  std::vector<std::shared_ptr<Form>> destroyedUnderUs;
  for (const auto& window : windows_) {
    auto model = window->Model();
    if (model == nullptr || !model->Loaded()) {
      orphans.push_back(window.get());
    } else if (window->Handle() == nullptr) {
      destroyedUnderUs.push_back(std::move(model));
    }
  }
  for (const auto* window : orphans) Destroy(window);
  for (const auto& model : destroyedUnderUs) model->Unload();
}

void Win32Driver::SyncAll() {
  for (const auto& window : windows_) {
    if (auto model = window->Model(); model && model->Loaded()) window->Sync(*model);
  }
}

void Win32Driver::SyncAfterEvent(const std::shared_ptr<Form>& model) {
  if (!model->Loaded()) return;
  if (win32::FormWindow* window = Find(*model)) window->Sync(*model);
}

// --- Showing ---

void Win32Driver::ShowModal(Form& form) {
  const auto keepAlive = form.weak_from_this().lock();
  for (const auto& show : modal_) {
    if (show.form == &form && !show.ended) return;  // already up modally
  }
  win32::FormWindow* window = Open(form);
  if (window == nullptr) {
    form.Unload();
    return;
  }
  HWND shown = window->Handle();

  // Shown and active first: disabling the window that is active would leave Windows looking for
  // another to activate.
  ::ShowWindow(shown, SW_SHOW);
  ::SetForegroundWindow(shown);
  window->FocusFirst();

  // Everything else the user could reach waits: the host's window and our other windows.
  ModalShow show{&form, {}, false};
  const auto disable = [&](HWND other) {
    if (other != nullptr && other != shown && ::IsWindowEnabled(other)) {
      ::EnableWindow(other, FALSE);
      show.disabled.push_back(other);
    }
  };
  disable(Host());
  for (const auto& other : windows_) disable(other->Handle());
  modal_.push_back(std::move(show));

  ++ownLoops_;
  MSG message;
  while (form.Loaded() && form.Visible()) {
    if (WindowOf(form) == nullptr) {
      // Windows destroyed it (its owner went): closed as by its close box.
      form.Unload();
      break;
    }
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // The host is quitting: the quit goes on to its own loop, and the form closes.
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      form.Unload();
      break;
    }
    Pump(message);
    if (form.Loaded()) {
      if (win32::FormWindow* current = Find(form)) current->Sync(form);
    }
  }
  --ownLoops_;
  EndModal(form);
  for (auto it = modal_.rbegin(); it != modal_.rend(); ++it) {
    if (it->form == &form) {
      modal_.erase(std::next(it).base());
      break;
    }
  }
}

void Win32Driver::ShowModeless(Form& form) {
  win32::FormWindow* window = Open(form);
  if (window == nullptr) return;
  ::ShowWindow(window->Handle(), SW_SHOW);
  window->FocusFirst();
  // The host's message loop runs while the window is up; the hook gives it the keyboard.
  HookKeyboard();
}

void Win32Driver::EndModal(const Form& form) {
  for (auto it = modal_.rbegin(); it != modal_.rend(); ++it) {
    if (it->form != &form || it->ended) continue;
    it->ended = true;
    // Before the window goes, so that Windows hands the activation back to its owner.
    for (auto w = it->disabled.rbegin(); w != it->disabled.rend(); ++w) {
      if (::IsWindow(*w)) ::EnableWindow(*w, TRUE);
    }
    return;
  }
}

void Win32Driver::WindowClosed(Form& form) {
  EndModal(form);
  win32::FormWindow* window = Find(form);
  if (window == nullptr) return;
  if (form.Loaded()) {
    ::ShowWindow(window->Handle(), SW_HIDE);
  } else {
    Destroy(window);
  }
}

void Win32Driver::PropertyChanged(const PropertyChange& change) {
  // A run moves the bar on every row and the percentage a hundred times. Windows is told of
  // either when the windows next repaint (DoEvents), or when anything else brings the form up to
  // date (a click, a show, a message box): telling each control at once cost more than the row's
  // own work, and a label telling it a hundred times cost a tenth of a second under Wine. What a
  // handler showed, hid, enabled or disabled on the way shows at once: Stop takes the place of Yes
  // as the run starts, with the focus.
  for (const auto& window : windows_) {
    if (window->FormName() != change.Form) continue;
    if (auto model = window->Model(); model && model->Loaded()) window->SyncShown(*model);
  }
}

// --- Delivering the user's actions ---

void Win32Driver::DoEvents() {
  // An engine yields once a row. Asking Windows for the messages waiting costs more than the
  // row's own work (under Wine, a hundred times more), so the user's clicks and keys are taken
  // when a few milliseconds have passed since the last look: Stop still ends a run at once to the
  // user's eye. The windows are brought up to date and repainted a few dozen times a second.
  LARGE_INTEGER ticks;
  ::QueryPerformanceCounter(&ticks);
  if (ticks.QuadPart - lastLook_ < lookTicks_) return;
  lastLook_ = ticks.QuadPart;
  const ULONGLONG now = ::GetTickCount64();
  const bool repaint = now - lastRepaint_ >= kRepaintMilliseconds;
  UINT filter = PM_REMOVE;
  if (repaint) {
    lastRepaint_ = now;
    Purge();
    SyncAll();
  } else {
    filter |= PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
  }
  ++ownLoops_;
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, filter)) {
    if (message.message == WM_QUIT) {
      // Left for the loop that owns the thread.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    Pump(message);
  }
  --ownLoops_;
}

void Win32Driver::Pump(MSG& message) {
  if (Translate(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

bool Win32Driver::Translate(MSG& message) {
  if (message.hwnd == nullptr) return false;
  HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
  for (const auto& window : windows_) {
    if (window->Handle() == root) return window->Translate(message);
  }
  return false;
}

void Win32Driver::HookKeyboard() {
  if (keyboardHook_ != nullptr || t_hookedDriver != nullptr) return;
  keyboardHook_ = ::SetWindowsHookExW(WH_GETMESSAGE, &Win32Driver::KeyboardHook, nullptr, ::GetCurrentThreadId());
  if (keyboardHook_ != nullptr) t_hookedDriver = this;
}

LRESULT CALLBACK Win32Driver::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  Win32Driver* driver = t_hookedDriver;
  if (code == HC_ACTION && wParam == PM_REMOVE && driver != nullptr && driver->ownLoops_ == 0) {
    auto& message = *reinterpret_cast<MSG*>(lParam);
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && driver->Translate(message)) {
      // Used here: the host's loop dispatches nothing.
      message.message = WM_NULL;
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void Win32Driver::ControlClicked(win32::FormWindow& window, const std::string& control, int index) {
  const auto model = window.Model();
  if (model == nullptr) {
    Destroy(&window);
    return;
  }
  // A click the model refuses (a control it has hidden or disabled since) is simply lost.
  model->Press(control, index);
  SyncAfterEvent(model);
}

void Win32Driver::BackgroundPressed(win32::FormWindow& window, const EventArgs& args) {
  const auto model = window.Model();
  if (model == nullptr || !model->Loaded() || !model->Visible()) return;
  model->Raise(kFormItself, Event::MouseDown, args);
  SyncAfterEvent(model);
}

void Win32Driver::CloseBoxPressed(win32::FormWindow& window) {
  const auto model = window.Model();
  if (model == nullptr) {
    Destroy(&window);
    return;
  }
  // The forms have no QueryClose: the close box unloads without running any button's handler.
  model->Unload();
}

void Win32Driver::BeginWindowDrag(Form& form) {
  const win32::FormWindow* window = Find(form);
  if (window == nullptr || window->Handle() == nullptr) return;
  // As if the title bar had been grabbed: Windows moves the window until the button is let go.
  POINT cursor{};
  ::GetCursorPos(&cursor);
  ::ReleaseCapture();
  ::SendMessageW(window->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, ScreenPoint(cursor));
}

// --- Message boxes and the browser ---

void Win32Driver::MsgBox(std::string_view text) {
  HWND owner = Owner();
  const std::wstring body = com::Utf8ToWide(text);
  const std::wstring title = com::Utf8ToWide(kMessageBoxTitle);
  // An OK button and no icon. The box disables its owner while it is up and enables it after.
  // What the windows behind it show is brought up to date first.
  SyncAll();
  ::MessageBoxW(owner, body.c_str(), title.c_str(), MB_OK | (owner ? 0u : static_cast<UINT>(MB_TASKMODAL)));
  SyncAll();
}

void Win32Driver::OpenUrl(std::string_view address) {
  // The window the user acted in owns the browser's start, else whatever a message box would.
  HWND owner = ::GetActiveWindow();
  const bool ours = std::any_of(windows_.begin(), windows_.end(),
                                [owner](const auto& window) { return window->Handle() == owner; });
  if (owner == nullptr || !ours) owner = Owner();
  openUrl_(owner, com::Utf8ToWide(address));
}

}  // namespace kx::ui
