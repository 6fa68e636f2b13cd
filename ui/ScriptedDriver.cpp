#include "ui/ScriptedDriver.h"

#include <algorithm>

#include "ui/Form.h"

namespace kx::ui {

ScriptedDriver::~ScriptedDriver() {
  if (!finished_) Finish();
}

// --- Queueing ---

ScriptedDriver::Steps& ScriptedDriver::Steps::Add(ScriptStep step) {
  // Only the first step waits for the yield; the ones chained to it follow straight after.
  if (!first_ && step.When == ScriptStep::Trigger::AtYield) step.When = ScriptStep::Trigger::WhenShown;
  first_ = false;
  driver_.Queue(std::move(step));
  return *this;
}

ScriptedDriver::Steps& ScriptedDriver::Steps::Press(std::string control, int index) {
  ScriptStep step = pattern_;
  step.Do = ScriptStep::Action::Press;
  step.Control = std::move(control);
  step.Index = index;
  return Add(std::move(step));
}

ScriptedDriver::Steps& ScriptedDriver::Steps::Close() {
  ScriptStep step = pattern_;
  step.Do = ScriptStep::Action::Close;
  return Add(std::move(step));
}

ScriptedDriver::Steps& ScriptedDriver::Steps::MouseDown() {
  ScriptStep step = pattern_;
  step.Do = ScriptStep::Action::MouseDown;
  return Add(std::move(step));
}

ScriptedDriver::Steps& ScriptedDriver::Steps::Run(std::function<void()> code) {
  ScriptStep step = pattern_;
  step.Do = ScriptStep::Action::Run;
  step.Code = std::move(code);
  return Add(std::move(step));
}

ScriptedDriver::Steps ScriptedDriver::WhenShown(std::string form) {
  ScriptStep pattern;
  pattern.When = ScriptStep::Trigger::WhenShown;
  pattern.Form = std::move(form);
  return Steps(*this, std::move(pattern));
}

ScriptedDriver::Steps ScriptedDriver::AtYield(long n, std::string form) {
  ScriptStep pattern;
  pattern.When = ScriptStep::Trigger::AtYield;
  pattern.Yield = n;
  pattern.Form = std::move(form);
  return Steps(*this, std::move(pattern));
}

void ScriptedDriver::AnswerMessageBox(std::optional<std::string> expectedText) {
  ScriptStep step;
  step.When = ScriptStep::Trigger::MessageBox;
  step.Do = ScriptStep::Action::AnswerOk;
  step.ExpectedText = std::move(expectedText);
  Queue(std::move(step));
}

void ScriptedDriver::Queue(ScriptStep step) {
  step.ArmedAtYield = yields_;
  steps_.push_back(std::move(step));
}

ScriptStep ScriptedDriver::TakeNext() {
  ScriptStep step = std::move(steps_.front());
  steps_.pop_front();
  if (!steps_.empty()) steps_.front().ArmedAtYield = yields_;
  return step;
}

// --- Delivering ---

std::optional<std::string> ScriptedDriver::Obstacle(const ScriptStep& step) const {
  if (step.Do == ScriptStep::Action::Run && step.Form.empty()) return std::nullopt;
  const auto form = OnScreen(step.Form);
  if (form == nullptr) return step.Form + " is not on screen";
  const Form* top = TopModal();
  if (top != nullptr && top != form.get()) return step.Form + " is behind the modal " + top->Name();
  if (step.Do != ScriptStep::Action::Press) return std::nullopt;
  const ControlEntry* entry = form->FindControl(step.Control, step.Index);
  if (entry == nullptr) return step.Form + " has no control " + step.Control;
  const ControlBase& control = Common(entry->Control);
  if (!control.Visible) return entry->DisplayName() + " of " + step.Form + " is hidden";
  if (!control.Enabled) return entry->DisplayName() + " of " + step.Form + " is disabled";
  return std::nullopt;
}

bool ScriptedDriver::CanHappen(const ScriptStep& step, Moment moment) const {
  switch (step.When) {
    case ScriptStep::Trigger::WhenShown:
      // The user waits until the form is up, reachable and the control can be pressed.
      return !Obstacle(step).has_value();
    case ScriptStep::Trigger::AtYield:
      // Happens at its yield even if the user cannot do it then: Perform reports why, rather
      // than the click drifting to a later yield.
      return moment == Moment::Yield && yields_ - step.ArmedAtYield >= step.Yield;
    case ScriptStep::Trigger::MessageBox:
      return false;  // only MsgBox takes these
  }
  return false;
}

void ScriptedDriver::Deliver(Moment moment) {
  while (!steps_.empty() && CanHappen(steps_.front(), moment)) {
    Perform(TakeNext());
    if (moment == Moment::ModalLoop) return;
  }
}

void ScriptedDriver::Perform(const ScriptStep& step) {
  if (step.Do == ScriptStep::Action::Run) {
    if (step.Code) step.Code();
    return;
  }
  if (auto obstacle = Obstacle(step)) {
    Problem(step.Describe() + ": " + *obstacle);
    return;
  }
  const auto form = OnScreen(step.Form);
  switch (step.Do) {
    case ScriptStep::Action::Press:
      if (auto refused = form->Press(step.Control, step.Index)) Problem(step.Describe() + ": " + *refused);
      break;
    case ScriptStep::Action::Close:
      form->Unload();
      break;
    case ScriptStep::Action::MouseDown:
      form->Raise(kFormItself, Event::MouseDown, EventArgs{});
      break;
    case ScriptStep::Action::Run:
    case ScriptStep::Action::AnswerOk:
      break;
  }
}

void ScriptedDriver::Idle() { Deliver(Moment::Idle); }

const std::vector<std::string>& ScriptedDriver::Finish() {
  finished_ = true;
  while (!steps_.empty()) {
    Problem("never happened: " + steps_.front().Describe() + " (after " + std::to_string(yields_) +
            " yields)");
    steps_.pop_front();
  }
  return problems_;
}

// --- Driver ---

void ScriptedDriver::ShowModal(Form& form) {
  const auto keepAlive = form.weak_from_this().lock();
  if (std::find(modalStack_.begin(), modalStack_.end(), &form) != modalStack_.end()) {
    Problem(form.Name() + " is shown modally while it is already up modally");
    return;
  }
  Record(form, true);
  modalStack_.push_back(&form);
  while (form.Loaded() && form.Visible()) {
    if (!steps_.empty() && CanHappen(steps_.front(), Moment::ModalLoop)) {
      Deliver(Moment::ModalLoop);
      continue;
    }
    std::string why = "the script has nothing left to do";
    if (!steps_.empty()) {
      const auto obstacle = Obstacle(steps_.front());
      why = "the next step cannot happen now: " + steps_.front().Describe() +
            (obstacle && steps_.front().When == ScriptStep::Trigger::WhenShown ? " (" + *obstacle + ")" : "");
    }
    Problem(form.Name() + " waits for the user, but " + why + "; closing it");
    form.Unload();
  }
  modalStack_.erase(std::find(modalStack_.begin(), modalStack_.end(), &form));
}

void ScriptedDriver::ShowModeless(Form& form) { Record(form, false); }

void ScriptedDriver::DoEvents() {
  ++yields_;
  Deliver(Moment::Yield);
}

void ScriptedDriver::MsgBox(std::string_view text) {
  messageBoxes_.emplace_back(text);
  if (!steps_.empty() && steps_.front().When == ScriptStep::Trigger::MessageBox) {
    const ScriptStep step = TakeNext();
    if (step.ExpectedText && *step.ExpectedText != text) {
      Problem(step.Describe() + ": the message box says \"" + std::string(text) + "\"");
    }
    return;
  }
  if (requireAnswers_) {
    Problem("message box \"" + std::string(text) + "\" came up but the next step is " +
            (steps_.empty() ? std::string("none") : steps_.front().Describe()) + "; pressing OK");
  }
}

void ScriptedDriver::OpenUrl(std::string_view address) { urls_.emplace_back(address); }

void ScriptedDriver::BeginWindowDrag(Form& form) { drags_.push_back(form.Name()); }

void ScriptedDriver::WindowClosed(Form& form) {
  std::erase_if(onScreen_, [&form](const std::weak_ptr<Form>& shown) {
    const auto locked = shown.lock();
    return locked == nullptr || locked.get() == &form;
  });
}

std::vector<std::string> ScriptedDriver::FormsOnScreen() const {
  std::vector<std::string> names;
  for (const auto& shown : onScreen_) {
    if (auto form = shown.lock(); form != nullptr && form->Visible()) names.push_back(form->Name());
  }
  return names;
}

// --- Recording ---

void ScriptedDriver::Record(Form& form, bool modal) {
  WindowClosed(form);  // a form shown again is listed once
  onScreen_.push_back(form.weak_from_this());
  Showing showing{form.Name(), modal, form.Caption, {}};
  for (const auto& entry : form.Controls()) {
    if (const auto* label = std::get_if<Label*>(&entry.Control)) {
      showing.Labels.emplace_back(entry.DisplayName(), (*label)->Caption.Get());
    }
  }
  showings_.push_back(std::move(showing));
}

std::vector<std::string> ScriptedDriver::Captions(std::string_view form, std::string_view control,
                                                  int index) const {
  std::vector<std::string> captions;
  for (const auto& change : changes_) {
    if (change.Form == form && change.Control == control && change.Index == index &&
        change.Property == "Caption") {
      captions.push_back(std::get<std::string>(change.Value));
    }
  }
  return captions;
}

std::vector<double> ScriptedDriver::Numbers(std::string_view form, std::string_view control,
                                            std::string_view property) const {
  std::vector<double> numbers;
  for (const auto& change : changes_) {
    if (change.Form == form && change.Control == control && change.Property == property) {
      if (const auto* number = std::get_if<double>(&change.Value)) numbers.push_back(*number);
    }
  }
  return numbers;
}

std::shared_ptr<Form> ScriptedDriver::OnScreen(std::string_view name) const {
  for (auto it = onScreen_.rbegin(); it != onScreen_.rend(); ++it) {
    auto form = it->lock();
    if (form && form->Name() == name && form->Loaded() && form->Visible()) return form;
  }
  return nullptr;
}

const Form* ScriptedDriver::TopModal() const {
  for (auto it = modalStack_.rbegin(); it != modalStack_.rend(); ++it) {
    if ((*it)->Loaded() && (*it)->Visible()) return *it;
  }
  return nullptr;
}

void ScriptedDriver::Problem(std::string text) {
  if (onProblem_) onProblem_(text);
  problems_.push_back(std::move(text));
}

}  // namespace kx::ui
