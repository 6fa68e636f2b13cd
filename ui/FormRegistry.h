#pragma once
// FormRegistry: the default instance of every form type, so that any code that knows a form's
// type reaches its one instance: Forms.Get<frmPrgBar>().lblStatus.Caption = question;
//
// A form is built with the add-in's state when its constructor takes an AddinState&, otherwise
// with no arguments.

#include <map>
#include <memory>
#include <type_traits>
#include <typeindex>

#include "ui/FormHolder.h"

namespace kx::ui {

class AddinState;

class FormRegistry {
 public:
  FormRegistry(Driver& ui, AddinState& state) : ui_(ui), state_(state) {}
  FormRegistry(const FormRegistry&) = delete;
  FormRegistry& operator=(const FormRegistry&) = delete;

  // The loaded instance of F, created and initialised on this first reference if need be.
  template <class F>
  F& Get() {
    return static_cast<F&>(HolderOf<F>().Get());
  }
  template <class F>
  bool IsLoaded() const {
    const auto found = holders_.find(typeid(F));
    return found != holders_.end() && found->second->IsLoaded();
  }
  // Unloads F's instance if one is loaded; an unloaded form is not created just to be unloaded.
  template <class F>
  void Unload() {
    const auto found = holders_.find(typeid(F));
    if (found != holders_.end()) found->second->Unload();
  }

 private:
  template <class F>
  FormHolder& HolderOf() {
    static_assert(std::is_base_of_v<Form, F>, "a default instance holds a form");
    auto& holder = holders_[typeid(F)];
    if (holder == nullptr) {
      holder = std::make_unique<FormHolder>(ui_, [this]() -> std::shared_ptr<Form> {
        if constexpr (std::is_constructible_v<F, AddinState&>) {
          return std::make_shared<F>(state_);
        } else {
          return std::make_shared<F>();
        }
      });
    }
    return *holder;
  }

  Driver& ui_;
  AddinState& state_;
  std::map<std::type_index, std::unique_ptr<FormHolder>> holders_;
};

}  // namespace kx::ui
