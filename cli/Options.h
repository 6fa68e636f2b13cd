#pragma once
// The command line: kestrix COMMAND [OPTIONS] WORKBOOK.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/CommandTable.h"

namespace kx::cli {

struct Options {
  const CliCommand* command = nullptr;
  std::string workbook;
  std::optional<std::string> select;
  bool yes = false;
  std::optional<std::string> color;
  bool deactivate = false;
  bool keepSelection = false;
  std::optional<std::string> output;
  bool dryRun = false;
  bool json = false;
  bool menu = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
};

struct UsageError {
  std::string message;
};

// Reads the arguments after the program's name.
std::variant<Options, UsageError> ParseOptions(const std::vector<std::string>& args);

// The text of --help.
std::string HelpText();

}  // namespace kx::cli
