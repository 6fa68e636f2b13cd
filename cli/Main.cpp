// kestrix: the Kestrix add-in at work on workbook files, from a terminal or a script.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/Options.h"
#include "cli/Programs.h"
#include "ui/terminal/Interrupt.h"

int main(int argc, char** argv) {
  using namespace kx::cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  auto parsed = ParseOptions(args);
  if (auto* error = std::get_if<UsageError>(&parsed)) {
    std::fprintf(stderr, "kestrix: %s\nTry 'kestrix --help'.\n", error->message.c_str());
    return exitstatus::kUsage;
  }
  const Options& options = std::get<Options>(parsed);
  if (options.help) {
    std::fputs(HelpText().c_str(), stdout);
    return exitstatus::kDone;
  }
  if (options.version) {
    std::puts("kestrix " KX_VERSION);
    return exitstatus::kDone;
  }
  kx::ui::terminal::InstallInterruptHandler();
  if (options.command->kind == CommandKind::Shell) return RunShell(options, stdin);
  return RunCommand(options);
}
