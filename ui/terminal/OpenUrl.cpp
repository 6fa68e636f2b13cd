#include "ui/terminal/OpenUrl.h"

#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace kx::ui::terminal {

namespace {

std::vector<pid_t> running;

void ReapFinished() {
  std::erase_if(running, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

}  // namespace

bool SpawnOpener(const std::string& address) {
  ReapFinished();
  std::string program = "xdg-open";
  std::string target = address;
  char* argv[] = {program.data(), target.data(), nullptr};
  pid_t pid = 0;
  // The address goes to the opener as one argument: no shell ever reads it.
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  running.push_back(pid);
  return true;
}

}  // namespace kx::ui::terminal
