#pragma once
// cbDupRem: the click handler of one button of the "&Kestrix" popup. The add-in keeps one per
// button for as long as the menu exists; releasing it detaches it from the button.

#include <memory>

#include "host/Host.h"

namespace kx::addin {

class Connect;

class cbDupRem : public std::enable_shared_from_this<cbDupRem> {
 public:
  explicit cbDupRem(Connect& addin) : addin_(addin) {}
  cbDupRem(const cbDupRem&) = delete;
  cbDupRem& operator=(const cbDupRem&) = delete;

  const host::CommandBarControlRef& cbBtn() const { return button_; }
  // Attaches this handler to the button's Click event (a null button detaches it).
  host::Result<void> SetcbBtn(host::CommandBarControlRef button);

  // The button's Click event: runs the command its tag names and tells the host that the click
  // was handled.
  void cbBtn_Click(const host::CommandBarControlRef& Ctrl, bool& CancelDefault);

 private:
  Connect& addin_;
  host::CommandBarControlRef button_;
  host::EventConnection click_;
};

}  // namespace kx::addin
