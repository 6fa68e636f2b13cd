#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "addin/Registration.h"
#include "cli/ExitStatus.h"
#include "cli/Programs.h"
#include "cli/Session.h"
#include "cli/ShowCells.h"
#include "files/Files.h"
#include "ui/terminal/Interrupt.h"

namespace kx::cli {

namespace {

constexpr const char* kShellHelp =
    "open FILE          open a workbook (.xlsx or .csv); it becomes the active one\n"
    "new                a new, empty workbook\n"
    "close              close the active workbook\n"
    "sheet NAME         activate a sheet\n"
    "select RANGE       select cells: A2:A20, B:B, 'My sheet'!A:A\n"
    "set CELL VALUE     type VALUE into CELL (the cell's validation applies)\n"
    "show [RANGE]       print the selection's cells (or RANGE's)\n"
    "menu [N|KEY]       list the Kestrix menu, or click its Nth item or access key\n"
    "ribbon             list the Kestrix ribbon's controls\n"
    "click TAG-or-ID    press a ribbon control or click a menu button (rDK, KX18, ...);\n"
    "                   --yes, --color N, --deactivate, --keep-selection answer its windows\n"
    "addins [on|off]    show, tick or untick Kestrix in the add-in list\n"
    "save [FILE]        save the active workbook (over its file, or to FILE)\n"
    "quit               end the session (unsaved changes are dropped)\n";

// Words split at spaces; the last word of `set` keeps its spaces.
std::vector<std::string> Words(const std::string& line, size_t maxWords = 0) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string word;
  while ((maxWords == 0 || words.size() + 1 < maxWords) && in >> word) words.push_back(word);
  if (maxWords != 0 && words.size() + 1 == maxWords) {
    std::string rest;
    std::getline(in, rest);
    const auto first = rest.find_first_not_of(' ');
    if (first != std::string::npos) words.push_back(rest.substr(first));
  }
  return words;
}

char AccessKey(const std::string& caption) {
  const auto amp = caption.find('&');
  if (amp == std::string::npos || amp + 1 >= caption.size()) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[amp + 1])));
}

class Shell {
 public:
  Shell(const Options& options, std::FILE* input)
      : input_(input), interactive_(isatty(fileno(input)) != 0), screen_(MakeScreen(options)) {
    // Windows' questions are answered from the same input as the commands.
    screen_.in = input;
    screen_.printResults = true;
    driver_ = std::make_unique<ui::terminal::TerminalDriver>(screen_);
    session_ = std::make_unique<Session>(*driver_, options.menu);
  }

  int Run(const std::string& workbook) {
    if (!workbook.empty() && !Open(workbook)) return exitstatus::kFile;
    if (auto failed = session_->Start()) {
      Say("kestrix: " + *failed);
      return exitstatus::kFile;
    }
    std::string line;
    while (ReadLine(line)) {
      if (!Do(line)) break;
    }
    if (abandoned_) return exitstatus::kAbandoned;
    return failures_ == 0 ? exitstatus::kDone : exitstatus::kRefused;
  }

 private:
  bool ReadLine(std::string& line) {
    if (interactive_) {
      std::fputs("kestrix> ", stderr);
      std::fflush(stderr);
    }
    line.clear();
    int c = 0;
    while ((c = std::fgetc(input_)) != EOF && c != '\n') line += static_cast<char>(c);
    return c != EOF || !line.empty();
  }

  void Say(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
  }
  void Fail(const std::string& text) {
    ++failures_;
    std::fprintf(stderr, "kestrix: %s\n", text.c_str());
  }

  bool Open(const std::string& path) {
    if (auto opened = session_->Open(path, true); !opened.ok()) {
      Fail(opened.error().message);
      return false;
    }
    return true;
  }

  // Runs one line; false to end the session.
  bool Do(const std::string& line) {
    auto words = Words(line);
    if (words.empty() || words[0][0] == '#') return true;
    const std::string& verb = words[0];
    if (verb == "quit" || verb == "exit") return false;
    if (verb == "help") {
      std::fputs(kShellHelp, stdout);
    } else if (verb == "open" && words.size() == 2) {
      Open(words[1]);
    } else if (verb == "new" && words.size() == 1) {
      session_->New();
    } else if (verb == "close" && words.size() == 1) {
      if (!session_->Close()) Fail("no workbook is open");
    } else if (verb == "sheet" && words.size() >= 2) {
      const std::string name = Words(line, 2)[1];
      if (!session_->App().ActivateSheet(name).ok()) Fail("no sheet named '" + name + "'");
    } else if (verb == "select" && words.size() == 2) {
      if (auto refused = session_->Select(words[1])) Fail(*refused);
    } else if (verb == "set" && words.size() >= 2) {
      Set(Words(line, 3));
    } else if (verb == "show" && words.size() <= 2) {
      Show(words.size() == 2 ? words[1] : std::string());
    } else if (verb == "menu" && words.size() <= 2) {
      Menu(words.size() == 2 ? words[1] : std::string());
    } else if (verb == "ribbon" && words.size() == 1) {
      for (const auto& button : session_->App().RibbonButtons(addin::kProgId)) {
        Say(button.id + "  " + button.label);
      }
    } else if (verb == "click" && words.size() >= 2) {
      Click(words);
    } else if (verb == "addins" && words.size() <= 2) {
      AddIns(words.size() == 2 ? words[1] : std::string());
    } else if (verb == "save" && words.size() <= 2) {
      // Ctrl-C during a save abandons it, and the session with it, as it would at the prompt.
      if (!Save(words.size() == 2 ? words[1] : std::string())) return false;
    } else {
      Fail("not understood: " + line + " (try help)");
    }
    return true;
  }

  void Set(const std::vector<std::string>& words) {
    if (words.size() < 2) return Fail("set CELL VALUE");
    const std::string value = words.size() == 3 ? words[2] : std::string();
    auto entry = session_->App().TypeIntoCell(words[1], value);
    if (!entry.ok()) return Fail(entry.error().description);
    if (!entry->accepted) {
      ++failures_;
      Say(entry->errorTitle.empty() ? entry->errorMessage
                                    : entry->errorTitle + ": " + entry->errorMessage);
    }
  }

  void Show(const std::string& range) {
    auto book = session_->Book();
    if (!book) return Fail("no workbook is open");
    if (!range.empty()) {
      if (auto refused = session_->Select(range)) return Fail(*refused);
    }
    std::printf("%s\n%s", session_->SelectionText().c_str(), ShowCells(*book, false).c_str());
    std::fflush(stdout);
  }

  void Menu(const std::string& choice) {
    auto buttons = session_->MenuButtons();
    if (buttons.empty()) {
      return Fail(session_->MenuHost() ? "the Kestrix menu is not there"
                                       : "this host has the ribbon, not the menu (shell --menu)");
    }
    if (choice.empty()) {
      for (size_t i = 0; i < buttons.size(); ++i) {
        const bool group = buttons[i]->BeginGroup().value_or(false);
        if (group && i > 0) Say("    ----");
        const std::string caption = buttons[i]->Caption().value_or("");
        std::string shown;
        for (char c : caption) {
          if (c != '&') shown += c;
        }
        const char key = AccessKey(caption);
        if (key != 0) shown += std::string("  (") + key + ")";
        Say(std::to_string(i + 1) + (i + 1 < 10 ? "   " : "  ") + shown);
      }
      return;
    }
    const bool number = std::all_of(choice.begin(), choice.end(), ::isdigit);
    for (size_t i = 0; i < buttons.size(); ++i) {
      const bool chosen = number ? std::to_string(i + 1) == choice
                                 : choice.size() == 1 &&
                                       AccessKey(buttons[i]->Caption().value_or("")) ==
                                           std::tolower(static_cast<unsigned char>(choice[0]));
      if (chosen) {
        driver_->BeginCommand({});
        if (auto failed = session_->ClickMenuButton(buttons[i])) Fail(*failed);
        return;
      }
    }
    Fail("the menu has no item " + choice);
  }

  void Click(const std::vector<std::string>& words) {
    ui::terminal::Answers answers;
    for (size_t i = 2; i < words.size(); ++i) {
      if (words[i] == "--yes" || words[i] == "-y") {
        answers.yes = true;
      } else if ((words[i] == "--color" || words[i] == "-c") && i + 1 < words.size()) {
        answers.colorIndex = words[++i];
      } else if (words[i] == "--deactivate") {
        answers.deactivate = true;
      } else if (words[i] == "--keep-selection") {
        answers.keepSelection = true;
      } else {
        return Fail("click does not take " + words[i]);
      }
    }
    driver_->BeginCommand(answers);
    if (auto failed = session_->Activate(words[1])) return Fail(*failed);
    if (driver_->seen().badAnswer) Fail(*driver_->seen().badAnswer);
  }

  void AddIns(const std::string& change) {
    if (change == "on" || change == "tick") {
      if (auto failed = session_->SetAddInConnected(true)) Fail(*failed);
    } else if (change == "off" || change == "untick") {
      if (auto failed = session_->SetAddInConnected(false)) Fail(*failed);
    } else if (!change.empty()) {
      return Fail("addins on, or addins off");
    }
    Say(std::string(session_->AddInConnected() ? "[x] " : "[ ] ") +
        std::string(addin::kFriendlyName) + " (" + std::string(addin::kProgId) + ")");
  }

  // False when Ctrl-C abandoned the save.
  bool Save(const std::string& path) {
    auto book = session_->Book();
    if (!book) return Fail("no workbook is open"), true;
    const std::string target = path.empty() ? book->path : path;
    if (target.empty()) return Fail("a new workbook needs a file name: save FILE"), true;
    ui::terminal::SaveInProgress saving;
    files::SaveOptions options;
    options.cancelled = &ui::terminal::SaveInProgress::Abandoned;
    auto saved = files::SaveWorkbook(*book, target, options);
    if (!saved.ok() && saved.error().kind == files::FileErrorKind::Cancelled) {
      std::fprintf(stderr, "kestrix: abandoned, nothing written; %s is as it was\n",
                   target.c_str());
      abandoned_ = true;
      return false;
    }
    if (!saved.ok()) return Fail(saved.error().message), true;
    Say("Saved " + target);
    return true;
  }

  std::FILE* input_;
  bool interactive_;
  ui::terminal::Screen screen_;
  std::unique_ptr<ui::terminal::TerminalDriver> driver_;
  std::unique_ptr<Session> session_;
  int failures_ = 0;
  bool abandoned_ = false;
};

}  // namespace

int RunShell(const Options& options, std::FILE* input) {
  Shell shell(options, input);
  return shell.Run(options.workbook);
}

}  // namespace kx::cli
