#pragma once
// The two ways the program runs: one command on a workbook, or an interactive session.

#include <cstdio>

#include "cli/Options.h"
#include "ui/terminal/TerminalDriver.h"

namespace kx::cli {

int RunCommand(const Options& options);
int RunShell(const Options& options, std::FILE* input);

// How the terminal is drawn: colours and redrawing only on a terminal and without NO_COLOR.
ui::terminal::Screen MakeScreen(const Options& options);

}  // namespace kx::cli
