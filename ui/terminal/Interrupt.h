#pragma once
// Ctrl-C as the user means it: the first press while a command runs is the progress window's
// "Stop"; a second press, or a press while nothing runs, abandons the program at once without
// writing anything (exit status 130). A press while a file is saved abandons that save before
// the file is replaced, so that the file is as it was and the program says so; a save that got
// that far is kept, and a press after it ends the program with the status it had.

namespace kx::ui::terminal {

// Installs the SIGINT handler for the whole process.
void InstallInterruptHandler();
// Marks whether a command is running: only then does Ctrl-C mean "Stop".
void SetRunActive(bool active);
// True once Ctrl-C was pressed during the current run; cleared by SetRunActive(true).
bool StopPressed();

// While it lives, Ctrl-C asks the save to be abandoned instead of ending the program at once
// (which could leave the user unsure what was written).
class SaveInProgress {
 public:
  SaveInProgress();
  ~SaveInProgress();
  SaveInProgress(const SaveInProgress&) = delete;
  SaveInProgress& operator=(const SaveInProgress&) = delete;
  // Whether Ctrl-C was pressed since the save began; asked before the file is replaced.
  static bool Abandoned();
};

// The workbook was written: a press from now on ends the program with `status`, not with the
// claim that nothing was written.
void MarkWritten(int status);

}  // namespace kx::ui::terminal
