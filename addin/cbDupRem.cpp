#include "addin/cbDupRem.h"

#include "addin/Connect.h"
#include "host/ContinueOnFailure.h"

namespace kx::addin {

host::Result<void> cbDupRem::SetcbBtn(host::CommandBarControlRef button) {
  click_.Disconnect();
  button_ = std::move(button);
  if (!button_) return {};
  // The event holds this handler weakly: releasing the handler is what detaches it.
  std::weak_ptr<cbDupRem> weak = weak_from_this();
  click_ = KX_TRY(button_->OnClick(
      [weak](const host::CommandBarControlRef& ctrl, bool& cancelDefault) {
        if (auto self = weak.lock()) self->cbBtn_Click(ctrl, cancelDefault);
      }));
  return {};
}

void cbDupRem::cbBtn_Click(const host::CommandBarControlRef& Ctrl, bool& CancelDefault) {
  // Exit disconnects the add-in from inside this click and releases every menu handler; this
  // one must live until it has finished.
  auto keepAlive = shared_from_this();
  host::ContinueOnFailure onFailure;
  if (Ctrl) {
    if (auto tag = onFailure.Do(Ctrl->Tag())) {
      if (auto command = CommandForTag(*tag)) onFailure.Do(addin_.RunCommand(*command, Road::Menu));
    }
  }
  CancelDefault = true;
}

}  // namespace kx::addin
