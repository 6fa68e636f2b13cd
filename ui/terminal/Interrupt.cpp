#include "ui/terminal/Interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace kx::ui::terminal {

namespace {

std::atomic<int> presses{0};
std::atomic<bool> runActive{false};
bool errorIsTerminal = false;

void Abandon() {
  // A pipe nobody reads could hold this write, and the program with it, forever: the note is
  // for a person at a terminal; a script has the exit status.
  if (errorIsTerminal) {
    constexpr char kText[] = "\nkestrix: abandoned, nothing written\n";
    ssize_t ignored = write(STDERR_FILENO, kText, sizeof kText - 1);
    (void)ignored;
  }
  _exit(130);
}

extern "C" void OnInterrupt(int) {
  if (!runActive.load() || presses.fetch_add(1) >= 1) Abandon();
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
  runActive.store(active);
}

bool StopPressed() { return presses.load() > 0; }

InterruptShield::InterruptShield() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

InterruptShield::~InterruptShield() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace kx::ui::terminal
