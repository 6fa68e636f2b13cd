#pragma once
// Ctrl-C as the user means it: the first press while a command runs is the progress window's
// "Stop"; a second press, or a press while nothing runs, abandons the program at once without
// writing anything. Saving shields itself so that a file is never cut off half-written.

namespace kx::ui::terminal {

// Installs the SIGINT handler for the whole process.
void InstallInterruptHandler();
// Marks whether a command is running: only then does Ctrl-C mean "Stop".
void SetRunActive(bool active);
// True once Ctrl-C was pressed during the current run; cleared by SetRunActive(true).
bool StopPressed();

// Holds Ctrl-C back while it lives (a save in progress); a press is delivered afterwards.
class InterruptShield {
 public:
  InterruptShield();
  ~InterruptShield();
  InterruptShield(const InterruptShield&) = delete;
  InterruptShield& operator=(const InterruptShield&) = delete;
};

}  // namespace kx::ui::terminal
