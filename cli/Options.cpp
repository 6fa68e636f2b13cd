#include "cli/Options.h"

#include <cctype>
#include <initializer_list>

namespace kx::cli {

namespace {

bool HasExtension(const std::string& path, std::initializer_list<std::string_view> extensions) {
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string ext = path.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (auto e : extensions) {
    if (ext == e) return true;
  }
  return false;
}

}  // namespace

std::variant<Options, UsageError> ParseOptions(const std::vector<std::string>& args) {
  Options options;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // "--select=A:A" and "--select A:A" alike.
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      name = arg.substr(0, arg.find('='));
      inlineValue = arg.substr(arg.find('=') + 1);
    }
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    auto needValue = [&](std::optional<std::string>& into) -> std::optional<UsageError> {
      auto v = value();
      if (!v || v->empty()) return UsageError{"option " + name + " needs a value"};
      into = std::move(v);
      return std::nullopt;
    };
    std::optional<UsageError> error;
    if (name == "-h" || name == "--help") {
      options.help = true;
    } else if (name == "--version") {
      options.version = true;
    } else if (name == "-s" || name == "--select") {
      error = needValue(options.select);
    } else if (name == "-c" || name == "--color") {
      error = needValue(options.color);
    } else if (name == "-o" || name == "--output") {
      error = needValue(options.output);
    } else if (name == "-y" || name == "--yes") {
      options.yes = true;
    } else if (name == "--deactivate") {
      options.deactivate = true;
    } else if (name == "--keep-selection") {
      options.keepSelection = true;
    } else if (name == "-n" || name == "--dry-run") {
      options.dryRun = true;
    } else if (name == "--json") {
      options.json = true;
    } else if (name == "--menu") {
      options.menu = true;
    } else if (name == "-q" || name == "--quiet") {
      options.quiet = true;
    } else if (name == "--") {
      positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = UsageError{"unknown option " + arg};
    } else {
      positional.push_back(arg);
    }
    if (error) return *error;
    if (inlineValue && name != "-s" && name != "--select" && name != "-c" && name != "--color" &&
        name != "-o" && name != "--output") {
      return UsageError{"option " + name + " takes no value"};
    }
  }
  if (options.help || options.version) return options;
  if (positional.empty()) return UsageError{"no command given"};
  options.command = FindCommand(positional[0]);
  if (options.command == nullptr) return UsageError{"unknown command " + positional[0]};
  const CommandKind kind = options.command->kind;
  const bool workbookOptional = kind == CommandKind::Window || kind == CommandKind::Browse ||
                                kind == CommandKind::Shell;
  if (positional.size() > 2) return UsageError{"one workbook at a time: " + positional[2]};
  if (positional.size() == 2) {
    options.workbook = positional[1];
  } else if (!workbookOptional) {
    return UsageError{std::string(options.command->name) + " needs a WORKBOOK"};
  }
  if (!options.workbook.empty() && !HasExtension(options.workbook, {".xlsx", ".xlsm", ".csv"})) {
    return UsageError{"not a workbook name (.xlsx, .xlsm or .csv): " + options.workbook};
  }
  if (options.output && !HasExtension(*options.output, {".xlsx", ".xlsm", ".csv"})) {
    return UsageError{"--output needs a .xlsx or .csv file name: " + *options.output};
  }
  if (options.output && options.dryRun) return UsageError{"--output and --dry-run exclude each other"};
  if (options.deactivate && kind != CommandKind::Preventer && kind != CommandKind::Shell) {
    return UsageError{"--deactivate belongs to prevent-duplicates"};
  }
  if (options.keepSelection && kind != CommandKind::Preventer && kind != CommandKind::Shell) {
    return UsageError{"--keep-selection belongs to prevent-duplicates"};
  }
  if (options.color && options.command->name != "color-duplicates" &&
      options.command->name != "color-unique" && kind != CommandKind::Shell) {
    return UsageError{"--color belongs to color-duplicates and color-unique"};
  }
  return options;
}

std::string HelpText() {
  std::string text =
      "Usage: kestrix COMMAND [OPTIONS] WORKBOOK\n"
      "Finds and handles duplicate values in a workbook (.xlsx or .csv), as the Kestrix add-in\n"
      "does inside a spreadsheet: the command presses the add-in's ribbon control and the\n"
      "workbook is saved with what the add-in changed.\n\nCommands:\n";
  for (const auto& command : kCommands) {
    std::string name(command.name);
    if (name == "about") name = "about, guide";
    if (name == "guide") continue;
    if (name == "shell") name = "shell [WORKBOOK]";
    text += "  " + name + std::string(name.size() < 24 ? 24 - name.size() : 1, ' ') +
            std::string(name == "about, guide" ? "About Kestrix, Online User Guide"
                                               : command.summary) +
            "\n";
  }
  text +=
      "\nOptions:\n"
      "  -s, --select RANGE   the selection: A2:A500, B:B, C1:D40, with an optional sheet\n"
      "                       ('My sheet'!A:A), which becomes the active sheet. Default: the\n"
      "                       active sheet and selection saved in the workbook.\n"
      "  -y, --yes            answer \"Yes\" in the progress window (needed without a terminal)\n"
      "  -c, --color INDEX    the swatch to pick in the colour chooser, by its palette index\n"
      "                       (6 4 8 7 43 53 5 36 15 42 3 44 55 39 48 45); default: the first, 6\n"
      "      --deactivate     choose \"Deactivate Duplicate Preventer\"\n"
      "      --keep-selection untick \"Select Column (If not Selected)\"\n"
      "  -o, --output FILE    save there instead of over WORKBOOK (.xlsx or .csv by extension)\n"
      "  -n, --dry-run        run and report, save nothing\n"
      "      --json           print one JSON object on standard output: command, selection,\n"
      "                       messages, result, cells cleared and coloured, stopped, file written\n"
      "      --menu           use a version 11 host and its worksheet menu instead of the ribbon\n"
      "  -q, --quiet          no progress display\n"
      "  -h, --help           this text\n"
      "\nWhile a command runs, Ctrl-C is \"Stop\": the changes made so far are kept and saved.\n"
      "A second Ctrl-C abandons the run and writes nothing; so does Ctrl-C while nothing runs\n"
      "or while the workbook is saved, which then leaves the file as it was.\n"
      "\nExit status: 0 done; 1 the add-in refused (its message was shown); 2 bad usage;\n"
      "3 a file could not be read or written, or must not be replaced (nothing written); 4\n"
      "stopped by the user (the changes made are saved); 5 \"No\" was answered (nothing\n"
      "changed, nothing written); 130 abandoned by Ctrl-C (nothing written).\n"
      "\nShell commands (kestrix shell [--menu] [WORKBOOK]; reads standard input, a pipe too):\n"
      "  open FILE | new | close | sheet NAME | select RANGE | set CELL VALUE | show [RANGE]\n"
      "  menu [N|KEY] | ribbon | click TAG-or-ID [--yes] [--color N] [--deactivate]\n"
      "  [--keep-selection] | addins [on|off] | save [FILE] | help | quit\n";
  return text;
}

}  // namespace kx::cli
