#include <unistd.h>

#include <cstdlib>
#include <string>

#include "cli/ChangeTally.h"
#include "cli/ExitStatus.h"
#include "cli/Json.h"
#include "cli/Programs.h"
#include "cli/Session.h"
#include "cli/ShowCells.h"
#include "files/Files.h"
#include "ui/AddinTexts.h"
#include "ui/terminal/Interrupt.h"

namespace kx::cli {

namespace {

// The add-in's messages that mean it refused to run on what was selected.
bool IsRefusal(const std::string& message) {
  return message == ui::text::NoWorkbook || message == ui::text::SelectSingleColumn ||
         message == ui::text::SelectTwoColumns || message == ui::text::SelectionEmpty;
}

void Error(const std::string& text) { std::fprintf(stderr, "kestrix: %s\n", text.c_str()); }

}  // namespace

ui::terminal::Screen MakeScreen(const Options& options) {
  ui::terminal::Screen screen;
  const bool noColor = std::getenv("NO_COLOR") != nullptr && *std::getenv("NO_COLOR") != '\0';
  const bool errTerminal = isatty(STDERR_FILENO) != 0;
  screen.colour = errTerminal && !noColor;
  screen.redraw = errTerminal && !noColor;
  screen.quiet = options.quiet;
  screen.printResults = !options.json;
  screen.in = isatty(STDIN_FILENO) ? stdin : nullptr;
  return screen;
}

int RunCommand(const Options& options) {
  namespace status = exitstatus;
  const CliCommand& command = *options.command;
  ui::terminal::Screen screen = MakeScreen(options);
  // The question can only be answered by someone at a terminal, or in advance.
  if (command.kind == CommandKind::Question && !options.yes && screen.in == nullptr) {
    Error(std::string(command.name) +
          " asks for confirmation: run it from a terminal, or answer in advance with --yes");
    return status::kUsage;
  }

  ui::terminal::TerminalDriver driver(screen);
  Session session(driver, options.menu);
  if (!options.workbook.empty()) {
    // A run that may write the file keeps other kestrix runs off it until it ends.
    const bool mayWrite = command.kind != CommandKind::Show && !options.dryRun;
    if (auto opened = session.Open(options.workbook, mayWrite); !opened.ok()) {
      Error(opened.error().message);
      return status::kFile;
    }
  }
  if (options.select) {
    if (auto refused = session.Select(*options.select)) {
      Error(*refused);
      return status::kUsage;
    }
  }

  JsonObject json;
  json.Text("command", command.name);
  if (command.kind == CommandKind::Show) {
    const std::string cells = ShowCells(*session.Book(), options.json);
    if (options.json) {
      json.Text("selection", session.SelectionText()).Raw("cells", cells);
      std::printf("%s\n", json.str().c_str());
    } else {
      std::printf("%s\n%s", session.SelectionText().c_str(), cells.c_str());
    }
    session.KeepUntilExit();
    return status::kDone;
  }

  if (auto failed = session.Start()) {
    Error(*failed);
    return status::kFile;
  }
  const std::string selection = session.SelectionText();
  auto book = session.Book();
  ui::terminal::Answers answers;
  answers.yes = options.yes;
  answers.colorIndex = options.color;
  answers.deactivate = options.deactivate;
  answers.keepSelection = options.keepSelection;
  driver.BeginCommand(answers);

  long cleared = 0;
  long coloured = 0;
  bool changed = false;
  std::optional<std::string> hostFailure;
  {
    auto tally = std::make_shared<ChangeTally>(book);
    hostFailure = session.Activate(std::string(options.menu ? command.menuTag : command.ribbonId));
    cleared = tally->Cleared();
    coloured = tally->Coloured();
    changed = tally->Changed();
    // It holds every changed cell as it was; the book it listens to is kept as well.
    KeepUntilExit(std::move(tally));
  }
  session.Shutdown();

  const ui::terminal::Seen& seen = driver.seen();
  int result = status::kDone;
  if (hostFailure) {
    Error("the host reports: " + *hostFailure);
    result = status::kRefused;
  } else if (seen.badAnswer) {
    Error(*seen.badAnswer);
    result = status::kUsage;
  } else if (seen.answeredNo) {
    result = status::kAnsweredNo;
  } else if (std::any_of(seen.messages.begin(), seen.messages.end(), IsRefusal)) {
    result = status::kRefused;
  } else if (seen.stopped) {
    result = status::kStopped;
  }

  std::optional<std::string> written;
  const bool saves = (result == status::kDone || result == status::kStopped) && !options.dryRun &&
                     book != nullptr;
  if (saves && (options.output || changed)) {
    const std::string target = options.output.value_or(options.workbook);
    files::FileResult<void> saved;
    {
      // Ctrl-C now abandons the save before the file is replaced, or comes too late to.
      ui::terminal::SaveInProgress saving;
      files::SaveOptions save;
      save.cancelled = &ui::terminal::SaveInProgress::Abandoned;
      saved = files::SaveWorkbook(*book, target, save);
      if (saved.ok()) ui::terminal::MarkWritten(result);
    }
    if (saved.ok()) {
      written = target;
    } else if (saved.error().kind == files::FileErrorKind::Cancelled) {
      Error("abandoned, nothing written; " + target + " is as it was");
      result = status::kAbandoned;
    } else {
      Error(saved.error().message);
      result = status::kFile;
    }
  }

  if (options.json) {
    json.Text("selection", selection).Raw("messages", JsonArray(seen.messages));
    if (seen.resultNumber) {
      json.Raw("result", JsonObject()
                             .Text("number", *seen.resultNumber)
                             .Text("message", seen.resultMessage.value_or(""))
                             .str());
    } else {
      json.Null("result");
    }
    json.Number("cleared", cleared).Number("coloured", coloured).Bool("stopped", seen.stopped);
    json.Bool("answeredNo", seen.answeredNo);
    if (!seen.urls.empty()) json.Raw("opened", JsonArray(seen.urls));
    if (written) json.Text("written", *written); else json.Null("written");
    json.Number("exit", result);
    std::printf("%s\n", json.str().c_str());
  } else if (written && !options.quiet) {
    std::fprintf(stderr, "Saved %s\n", written->c_str());
  }
  session.KeepUntilExit();
  return result;
}

}  // namespace kx::cli
