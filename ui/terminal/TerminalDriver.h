#pragma once
// TerminalDriver: the add-in's windows in a terminal. The progress window asks its question
// (or takes the answer given on the command line) and draws its bar on standard error; Ctrl-C is
// its "Stop" button. The colour chooser lists its swatches in their colours, the result window
// prints its number and message, message boxes print as "Kestrix: <text>".
//
// Windows are recognised by their names and reached only through Form's generic members, as a
// user reaches them through what is drawn.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ui/Driver.h"
#include "ui/terminal/ProgressLine.h"

namespace kx::ui::terminal {

// Answers given in advance (command-line options); what is not given is asked, if anyone can be.
struct Answers {
  bool yes = false;                       // "Yes" in the progress window
  std::optional<std::string> colorIndex;  // the swatch whose palette index this is
  bool deactivate = false;                // the preventer's "Deactivate" option
  bool keepSelection = false;             // untick "Select Column (If not Selected)"
};

struct Screen {
  std::FILE* out = stdout;   // results and message boxes
  std::FILE* err = stderr;   // progress, prompts, windows' descriptions
  std::FILE* in = nullptr;   // where the user's answers are read; null when nobody can answer
  bool colour = false;       // colours by escape sequences
  bool redraw = false;       // the progress line redrawn in place
  bool quiet = false;        // no progress display
  bool printResults = true;  // off when results go out another way (JSON)
};

// What the user met during one command.
struct Seen {
  std::vector<std::string> messages;
  std::optional<std::string> resultNumber;
  std::optional<std::string> resultMessage;
  std::vector<std::string> urls;
  bool answeredNo = false;
  bool stopped = false;
  bool ran = false;  // "Yes" was pressed
  // A wrong answer given in advance (a colour no swatch has); the command was left with "No".
  std::optional<std::string> badAnswer;
};

class TerminalDriver final : public Driver {
 public:
  explicit TerminalDriver(Screen screen) : screen_(screen), progress_(screen_) {}

  // Starts a command: clears what was seen and takes its answers.
  void BeginCommand(Answers answers);
  const Seen& seen() const { return seen_; }
  const Screen& screen() const { return screen_; }

  void ShowModal(Form& form) override;
  void ShowModeless(Form& form) override;
  void DoEvents() override;
  void MsgBox(std::string_view text) override;
  void OpenUrl(std::string_view address) override;
  void BeginWindowDrag(Form& form) override;
  void WindowClosed(Form& form) override;
  void PropertyChanged(const PropertyChange& change) override;

 private:
  void AnswerProgress(Form& form);
  void AnswerColour(Form& form);
  void AnswerPreventer(Form& form);
  void ShowResult(Form& form);
  void ShowAbout(Form& form);
  // Reads one answer line; nullopt when nobody can answer or the input has ended.
  std::optional<std::string> Ask(const std::string& prompt);
  void Press(Form& form, std::string_view control, int index = -1);

  Screen screen_;
  ProgressLine progress_;
  Answers answers_;
  Seen seen_;
  Form* running_ = nullptr;  // the progress window while its engine runs
};

}  // namespace kx::ui::terminal
