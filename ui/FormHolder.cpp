#include "ui/FormHolder.h"

namespace kx::ui {

Form& FormHolder::Get() {
  if (current_ == nullptr) {
    retired_.reset();
    current_ = make_();
    current_->AttachTo(*this);
    // Kept in current_ before the events run, so a handler that reaches its own default instance
    // finds this one instead of creating another.
    const auto form = current_;
    form->RunInitialisation();
    return *form;
  }
  return *current_;
}

void FormHolder::Unload() {
  if (current_ != nullptr) current_->Unload();
}

void FormHolder::Release(Form& form) {
  if (current_.get() != &form) return;
  retired_ = std::move(current_);
  current_.reset();
}

}  // namespace kx::ui
