#pragma once
// FormHolder: a form's default instance. The form is created on first reference and its
// initialisation events run then; when it unloads, the holder forgets it, so the next reference
// starts again from the form's initial state.

#include <functional>
#include <memory>

#include "ui/Form.h"

namespace kx::ui {

class FormHolder final : public FormSite {
 public:
  using Factory = std::function<std::shared_ptr<Form>()>;

  FormHolder(Driver& ui, Factory make) : ui_(ui), make_(std::move(make)) {}
  FormHolder(const FormHolder&) = delete;
  FormHolder& operator=(const FormHolder&) = delete;

  // The loaded instance, creating and initialising one if there is none.
  Form& Get();
  bool IsLoaded() const { return current_ != nullptr; }
  // Unloads the current instance, if any; never creates one just to unload it.
  void Unload();

  Driver& Ui() override { return ui_; }
  void Release(Form& form) override;

 private:
  Driver& ui_;
  Factory make_;
  std::shared_ptr<Form> current_;
  // The instance unloaded last, kept until the next one is created, so that code still running
  // in it after its own unload (outside any delivered event) never touches a destroyed object.
  std::shared_ptr<Form> retired_;
};

}  // namespace kx::ui
