#include "ui/terminal/Interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace kx::ui::terminal {

namespace {

enum State : int { kIdle, kRunning, kSaving, kWritten };

std::atomic<int> state{kIdle};
std::atomic<int> presses{0};
std::atomic<int> savePresses{0};
std::atomic<int> writtenStatus{0};
bool errorIsTerminal = false;

void Say(const char* text, size_t length) {
  // A pipe nobody reads could hold this write, and the program with it, forever: the note is
  // for a person at a terminal; a script has the exit status.
  if (errorIsTerminal) {
    ssize_t ignored = write(STDERR_FILENO, text, length);
    (void)ignored;
  }
}

void Abandon() {
  constexpr char kText[] = "\nkestrix: abandoned, nothing written\n";
  Say(kText, sizeof kText - 1);
  _exit(130);
}

extern "C" void OnInterrupt(int) {
  switch (state.load()) {
    case kRunning:
      if (presses.fetch_add(1) >= 1) Abandon();
      return;
    case kSaving:
      savePresses.fetch_add(1);
      return;
    case kWritten: {
      constexpr char kText[] = "\nkestrix: interrupted; the workbook was already saved\n";
      Say(kText, sizeof kText - 1);
      _exit(writtenStatus.load());
    }
    default:
      Abandon();
  }
}

}  // namespace

void InstallInterruptHandler() {
  errorIsTerminal = isatty(STDERR_FILENO) != 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Restarted calls keep a blocked write of progress output intact across the press.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}

void SetRunActive(bool active) {
  if (active) presses.store(0);
  state.store(active ? kRunning : kIdle);
}

bool StopPressed() { return presses.load() > 0; }

SaveInProgress::SaveInProgress() {
  savePresses.store(0);
  state.store(kSaving);
}

SaveInProgress::~SaveInProgress() {
  int expected = kSaving;
  state.compare_exchange_strong(expected, kIdle);
}

bool SaveInProgress::Abandoned() { return savePresses.load() > 0; }

void MarkWritten(int status) {
  writtenStatus.store(status);
  state.store(kWritten);
}

}  // namespace kx::ui::terminal
