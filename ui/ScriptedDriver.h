#pragma once
// ScriptedDriver: the screen as a test plays it. The test queues what the user does, runs the
// add-in, and reads back what the user saw.
//
//   ui::ScriptedDriver screen([](const std::string& p) { ADD_FAILURE() << p; });
//   screen.WhenShown("frmPrgBar").Press("CommandButton1");           // "Yes"
//   screen.AtYield(3, "frmPrgBar").Press("CommandButton3");          // "Stop" at the 3rd yield
//   screen.WhenShown("frmCol").Press("lblColIndex", 13).Press("Command1");
//   screen.WhenShown("frmUG").Close();                               // by the close box
//   ... run the command ...
//   EXPECT_THAT(screen.MessageBoxes(), ElementsAre("Selection is Empty!"));
//   EXPECT_THAT(screen.Captions("frmPrgBar", "lblPer"), ElementsAre("50 %", "100 %"));
//   EXPECT_THAT(screen.Finish(), IsEmpty());
//
// Steps happen strictly in the order queued; each waits for its moment:
// - WhenShown(form): as soon as the form is on screen, not behind another modal window, and
//   (for a press) the control is visible and enabled, at any point where the user can act:
//   inside a modal show, at a yield, or at Idle(). So "press Yes" queued for a second command
//   waits for the next window that shows "Yes".
// - AtYield(n, form): at the nth yield after the step before it happened (or after the start,
//   for the first step). "Press Yes, then at yield 3 press Stop" counts the yields that follow
//   the press of "Yes".
// - AnswerMessageBox(): when the next message box comes up. Message boxes that come up while
//   the next step is something else are answered with OK unasked, unless
//   RequireMessageBoxAnswers(true); either way every text is recorded.
// A modal show that waits while the next step cannot happen in it (or no step is left) would
// hang a real user session forever; here it records a problem, closes the form as its close box
// would, and returns. Steps left over at Finish() are problems too. Each problem goes to the sink
// given at construction as it happens (a test passes ADD_FAILURE) and is kept in Problems().

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Driver.h"
#include "ui/PropertyChange.h"
#include "ui/ScriptStep.h"
#include "ui/Showing.h"

namespace kx::ui {

class ScriptedDriver final : public Driver {
 public:
  using ProblemSink = std::function<void(const std::string& problem)>;

  explicit ScriptedDriver(ProblemSink onProblem = {}) : onProblem_(std::move(onProblem)) {}
  ScriptedDriver(const ScriptedDriver&) = delete;
  ScriptedDriver& operator=(const ScriptedDriver&) = delete;
  // Reports the steps that never happened, unless Finish() already did.
  ~ScriptedDriver() override;

  // Queues steps on one form; each call adds one step with the same moment as the first.
  class Steps {
   public:
    Steps& Press(std::string control, int index = -1);
    Steps& Close();
    Steps& MouseDown();
    Steps& Run(std::function<void()> code);

   private:
    friend class ScriptedDriver;
    Steps(ScriptedDriver& driver, ScriptStep pattern) : driver_(driver), pattern_(std::move(pattern)) {}
    Steps& Add(ScriptStep step);

    ScriptedDriver& driver_;
    ScriptStep pattern_;
    bool first_ = true;
  };

  Steps WhenShown(std::string form);
  // The first step happens at the nth yield; steps chained after it follow as soon as the form
  // is reachable.
  Steps AtYield(long n, std::string form);
  // Presses OK on the next message box, checking its text when one is given.
  void AnswerMessageBox(std::optional<std::string> expectedText = std::nullopt);
  void RequireMessageBoxAnswers(bool required) { requireAnswers_ = required; }

  // The host sitting idle with modeless windows open: delivers every step that can happen now.
  void Idle();

  // Ends the script: any step not yet happened is a problem. Returns every problem recorded.
  const std::vector<std::string>& Finish();

  // --- What the user saw ---
  const std::vector<std::string>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<Showing>& Showings() const { return showings_; }
  // Every report of a watched property, in order.
  const std::vector<RecordedChange>& Changes() const { return changes_; }
  // The captions set on a label, in order.
  std::vector<std::string> Captions(std::string_view form, std::string_view control, int index = -1) const;
  // The numbers a progress bar reported for "Value" (or "Max", "Min"), in order.
  std::vector<double> Numbers(std::string_view form, std::string_view control,
                              std::string_view property = "Value") const;
  const std::vector<std::string>& UrlsOpened() const { return urls_; }
  const std::vector<std::string>& DragsStarted() const { return drags_; }
  long Yields() const { return yields_; }
  const std::vector<std::string>& Problems() const { return problems_; }
  // The forms still on screen, by name.
  std::vector<std::string> FormsOnScreen() const;

  // --- Driver ---
  void ShowModal(Form& form) override;
  void ShowModeless(Form& form) override;
  void DoEvents() override;
  void MsgBox(std::string_view text) override;
  void OpenUrl(std::string_view address) override;
  void BeginWindowDrag(Form& form) override;
  void WindowClosed(Form& form) override;
  void PropertyChanged(const PropertyChange& change) override { changes_.emplace_back(change); }

 private:
  enum class Moment { ModalLoop, Yield, Idle };

  void Queue(ScriptStep step);
  ScriptStep TakeNext();
  // Why the user could not do the step right now; nothing when they could.
  std::optional<std::string> Obstacle(const ScriptStep& step) const;
  bool CanHappen(const ScriptStep& step, Moment moment) const;
  void Perform(const ScriptStep& step);
  // Delivers steps while the next one can happen; at most one inside a modal loop, whose
  // condition must be looked at again after each.
  void Deliver(Moment moment);
  void Record(Form& form, bool modal);
  // A form on screen by its name; null when it is not.
  std::shared_ptr<Form> OnScreen(std::string_view name) const;
  // The modal form on top, which alone the user can reach; null when none is up.
  const Form* TopModal() const;
  void Problem(std::string text);

  ProblemSink onProblem_;
  std::deque<ScriptStep> steps_;
  bool requireAnswers_ = false;
  bool finished_ = false;
  long yields_ = 0;
  std::vector<std::weak_ptr<Form>> onScreen_;
  std::vector<Form*> modalStack_;

  std::vector<std::string> messageBoxes_;
  std::vector<Showing> showings_;
  std::vector<RecordedChange> changes_;
  std::vector<std::string> urls_;
  std::vector<std::string> drags_;
  std::vector<std::string> problems_;
};

}  // namespace kx::ui
