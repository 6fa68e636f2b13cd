#include "cli/Session.h"

#include <unistd.h>

#include <filesystem>

#include "addin/Commands.h"
#include "addin/Registration.h"
#include "addin/WorksheetMenu.h"
#include "memhost/model/Address.h"

namespace kx::cli {

namespace {

std::string Describe(const host::Error& error) {
  return error.description.empty() ? "error " + std::to_string(error.number)
                                   : error.description + " (error " +
                                         std::to_string(error.number) + ")";
}

std::string QuotedSheet(const std::string& name) {
  bool plain = !name.empty();
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') plain = false;
  }
  if (plain) return name;
  std::string quoted = "'";
  for (char c : name) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted + "'";
}

}  // namespace

std::string ProgramFolder() {
  std::error_code error;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return ".";
  return exe.parent_path().string();
}

std::optional<SelectionSpec> ParseSelectionSpec(const std::string& text) {
  SelectionSpec result;
  const auto bang = text.rfind('!');
  if (bang == std::string::npos) {
    result.address = text;
    return result;
  }
  std::string sheet = text.substr(0, bang);
  result.address = text.substr(bang + 1);
  if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'') {
    std::string unquoted;
    for (size_t i = 1; i + 1 < sheet.size(); ++i) {
      unquoted += sheet[i];
      if (sheet[i] == '\'') {
        if (i + 2 < sheet.size() && sheet[i + 1] == '\'') {
          ++i;
        } else {
          return std::nullopt;  // a lone quote inside a quoted name
        }
      }
    }
    sheet = unquoted;
  } else if (sheet.find('\'') != std::string::npos) {
    return std::nullopt;
  }
  if (sheet.empty()) return std::nullopt;
  result.sheet = sheet;
  return result;
}

Session::Session(ui::terminal::TerminalDriver& ui, bool menuHost)
    : ui_(ui), menuHost_(menuHost),
      app_(std::make_unique<memhost::Application>(menuHost ? "11.0" : "16.0")) {
  app_->RegisterAddIn(addin::KestrixRegistration(ui_, ProgramFolder()));
}

Session::~Session() { Shutdown(); }

std::optional<std::string> Session::Start() {
  auto started = app_->Start();
  if (!started.ok()) return "the add-in could not be started: " + Describe(started.error());
  if (!menuHost_ && app_->RibbonButtons(addin::kProgId).empty()) {
    return "the add-in's ribbon definition is missing: " + ProgramFolder() + "/CaseRibbon.xml";
  }
  return std::nullopt;
}

void Session::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  app_->Shutdown();
}

void Session::KeepUntilExit() {
  Shutdown();
  cli::KeepUntilExit(std::shared_ptr<memhost::Application>(std::move(app_)));
}

void KeepUntilExit(std::shared_ptr<void> object) {
  // Reachable from here to the end, so leak checkers do not count it as lost.
  static auto* const kept = new std::vector<std::shared_ptr<void>>;
  kept->push_back(std::move(object));
}

files::FileResult<void> Session::Open(const std::string& path, bool lock) {
  files::OpenOptions options;
  options.lock = lock;
  auto book = files::OpenWorkbook(path, options);
  if (!book.ok()) return book.error();
  app_->AdoptBook(std::move(book.value()));
  return {};
}

void Session::New() { app_->AddBook(); }

bool Session::Close() {
  auto book = app_->ActiveBook();
  if (!book) return false;
  app_->CloseBook(book);
  return true;
}

std::optional<std::string> Session::Select(const std::string& text) {
  auto parsed = ParseSelectionSpec(text);
  if (!parsed) return "not a selection: " + text;
  if (!Book()) return "no workbook is open";
  if (parsed->sheet && !app_->ActivateSheet(*parsed->sheet).ok()) {
    return "no sheet named '" + *parsed->sheet + "' in " + Book()->name;
  }
  if (parsed->address.empty() || !app_->SelectAddress(parsed->address).ok()) {
    return "not a range: " + parsed->address;
  }
  return std::nullopt;
}

std::string Session::SelectionText() const {
  auto book = Book();
  if (!book || book->sheets.empty()) return {};
  const auto& sheet = *book->sheets[book->activeSheet];
  return QuotedSheet(sheet.name()) + "!" + memhost::FormatAreas(sheet.selection);
}

std::vector<host::CommandBarControlRef> Session::MenuButtons() {
  std::vector<host::CommandBarControlRef> buttons;
  auto bars = app_->CommandBars();
  if (!bars.ok()) return buttons;
  auto bar = (*bars)->Item(addin::kMenuBarName);
  if (!bar.ok() || !*bar) return buttons;
  auto controls = (*bar)->Controls();
  if (!controls.ok()) return buttons;
  const long count = (*controls)->Count().value_or(0);
  for (long i = 1; i <= count; ++i) {
    auto control = (*controls)->Item(i);
    if (!control.ok() || (*control)->Caption().value_or("") != addin::kPopupCaption) continue;
    auto items = (*control)->Controls();
    if (!items.ok()) continue;
    const long itemCount = (*items)->Count().value_or(0);
    for (long j = 1; j <= itemCount; ++j) {
      if (auto item = (*items)->Item(j); item.ok()) buttons.push_back(*item);
    }
    break;  // the first popup: the one the user sees
  }
  return buttons;
}

std::optional<std::string> Session::ClickMenuButton(const host::CommandBarControlRef& button) {
  auto clicked = app_->Click(button);
  if (!clicked.ok()) return Describe(clicked.error());
  return std::nullopt;
}

std::optional<std::string> Session::Activate(const std::string& idOrTag) {
  // A tag or an id names the same command on either kind of host.
  std::optional<std::string_view> tag;
  std::optional<std::string_view> ribbonId;
  for (const auto& route : addin::kRoutes) {
    if (route.menuTag == idOrTag || (route.ribbonId && *route.ribbonId == idOrTag)) {
      tag = route.menuTag;
      ribbonId = route.ribbonId;
    }
  }
  if (!tag) return "no command has the tag or id " + idOrTag;
  if (menuHost_) {
    for (auto& button : MenuButtons()) {
      if (button->Tag().value_or("") == *tag) return ClickMenuButton(button);
    }
    return "the Kestrix menu has no button tagged " + std::string(*tag) +
           (AddInConnected() ? "" : " (the add-in is not connected)");
  }
  if (!ribbonId) return "the ribbon has no control for " + idOrTag + " (use the menu: --menu)";
  auto pressed = app_->PressRibbonButton(addin::kProgId, *ribbonId);
  if (!pressed.ok()) {
    return AddInConnected() ? Describe(pressed.error())
                            : "the Kestrix ribbon is not there: the add-in is not connected";
  }
  return std::nullopt;
}

bool Session::AddInConnected() {
  auto addIns = app_->COMAddIns();
  if (!addIns.ok()) return false;
  auto addIn = (*addIns)->Item(addin::kProgId);
  if (!addIn.ok() || !*addIn) return false;
  return (*addIn)->Connect().value_or(false);
}

std::optional<std::string> Session::SetAddInConnected(bool connected) {
  auto addIns = app_->COMAddIns();
  if (!addIns.ok()) return Describe(addIns.error());
  auto addIn = (*addIns)->Item(addin::kProgId);
  if (!addIn.ok()) return Describe(addIn.error());
  auto set = (*addIn)->SetConnect(connected);
  if (!set.ok()) return Describe(set.error());
  return std::nullopt;
}

}  // namespace kx::cli
