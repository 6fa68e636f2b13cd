#include "module/ModuleDriver.h"

#include <windows.h>

#include "com/Text.h"
#include "ui/Form.h"

namespace kx::module {

namespace {

using TestDriverExport = ui::Driver* (*)();

// Until the add-in draws its own windows: message boxes are shown, forms are closed at once.
class MessageBoxDriver final : public ui::Driver {
 public:
  void ShowModal(ui::Form& form) override { form.Unload(); }
  void ShowModeless(ui::Form&) override {}
  void DoEvents() override {}
  void MsgBox(std::string_view text) override {
    ::MessageBoxW(::GetActiveWindow(), com::Utf8ToWide(text).c_str(),
                  com::Utf8ToWide(ui::kMessageBoxTitle).c_str(), MB_OK);
  }
  void OpenUrl(std::string_view) override {}
  void BeginWindowDrag(ui::Form&) override {}
};

}  // namespace

ui::Driver& ModuleDriver() {
  static ui::Driver* driver = []() -> ui::Driver* {
    auto provided = reinterpret_cast<TestDriverExport>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(nullptr), "KestrixTestDriver")));
    if (provided != nullptr) {
      if (ui::Driver* own = provided()) return own;
    }
    static MessageBoxDriver windows;
    return &windows;
  }();
  return *driver;
}

}  // namespace kx::module
