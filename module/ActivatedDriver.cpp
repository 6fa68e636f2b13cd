#include "module/ActivatedDriver.h"

namespace kx::module {

class ActivatedDriver::Active {
 public:
  explicit Active(HANDLE context) {
    if (context != INVALID_HANDLE_VALUE && !::ActivateActCtx(context, &cookie_)) cookie_ = 0;
  }
  ~Active() {
    if (cookie_ != 0) ::DeactivateActCtx(0, cookie_);
  }
  Active(const Active&) = delete;
  Active& operator=(const Active&) = delete;

 private:
  ULONG_PTR cookie_ = 0;
};

HANDLE ActivatedDriver::ModuleContext(HMODULE module) {
  ACTCTXW context{sizeof context};
  context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.hModule = module;
  context.lpResourceName = MAKEINTRESOURCEW(2);
  return ::CreateActCtxW(&context);
}

void ActivatedDriver::ShowModal(ui::Form& form) {
  Active active(context_);
  inner_.ShowModal(form);
}
void ActivatedDriver::ShowModeless(ui::Form& form) {
  Active active(context_);
  inner_.ShowModeless(form);
}
void ActivatedDriver::DoEvents() {
  Active active(context_);
  inner_.DoEvents();
}
void ActivatedDriver::MsgBox(std::string_view text) {
  Active active(context_);
  inner_.MsgBox(text);
}
void ActivatedDriver::OpenUrl(std::string_view address) {
  Active active(context_);
  inner_.OpenUrl(address);
}
void ActivatedDriver::BeginWindowDrag(ui::Form& form) {
  Active active(context_);
  inner_.BeginWindowDrag(form);
}
void ActivatedDriver::WindowClosed(ui::Form& form) {
  Active active(context_);
  inner_.WindowClosed(form);
}
void ActivatedDriver::PropertyChanged(const ui::PropertyChange& change) {
  Active active(context_);
  inner_.PropertyChanged(change);
}

}  // namespace kx::module
