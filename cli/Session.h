#pragma once
// Session: kestrix as a host. One memhost application with the add-in registered as it is
// installed, started so that the add-in connects; the workbook the user works on; and the
// user's ways of reaching the add-in: a ribbon control, or a worksheet-menu button on a
// version 11 host.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/Files.h"
#include "memhost/objects/Application.h"
#include "ui/terminal/TerminalDriver.h"

namespace kx::cli {

class Session {
 public:
  // `menuHost` starts a version 11 host (worksheet menu) instead of a ribbon host.
  Session(ui::terminal::TerminalDriver& ui, bool menuHost);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Starts the host: the add-in connects. A failure's text, or nothing.
  std::optional<std::string> Start();
  memhost::Application& App() { return *app_; }
  bool MenuHost() const { return menuHost_; }

  // The workbook: opened from a file (it becomes the active one), a new one, or closed. With
  // `lock`, the file stays locked against other kestrix runs while the book is open.
  files::FileResult<void> Open(const std::string& path, bool lock);
  void New();
  // False when no workbook is open.
  bool Close();
  std::shared_ptr<memhost::Book> Book() const { return app_->ActiveBook(); }

  // Selects "A2:A9", "B:B" or "'My sheet'!A:A" (that sheet becomes active). A usage error's
  // text, or nothing.
  std::optional<std::string> Select(const std::string& text);
  // "Sheet1!$A$2:$A$9" for the active sheet's selection; empty without a workbook.
  std::string SelectionText() const;

  // Presses the ribbon control or clicks the menu button that reaches a command, given as a
  // ribbon id ("rDK") or a menu tag ("KX18"). The host's failure text, or nothing.
  std::optional<std::string> Activate(const std::string& idOrTag);

  // The "&Kestrix" popup's buttons, in order; empty when the menu is not there.
  std::vector<host::CommandBarControlRef> MenuButtons();
  std::optional<std::string> ClickMenuButton(const host::CommandBarControlRef& button);

  // The add-in's tick in the host's add-in list.
  bool AddInConnected();
  std::optional<std::string> SetAddInConnected(bool connected);

  // Disconnects the add-in and closes the host; later calls do nothing.
  void Shutdown();
  // Shuts down and leaves the host and its workbooks to the end of the process (below).
  void KeepUntilExit();

 private:
  ui::terminal::TerminalDriver& ui_;
  bool menuHost_;
  std::unique_ptr<memhost::Application> app_;
  bool shutDown_ = false;
};

// Leaves `object` to the end of the process, for a program about to exit: the system takes its
// memory back at once, where freeing a million cells or records one by one takes a noticeable
// part of a second.
void KeepUntilExit(std::shared_ptr<void> object);

// The folder of the running program, where the ribbon definition is installed beside it.
std::string ProgramFolder();

// "Sheet1!A2:A9" split into sheet and address; the sheet may be quoted ('My sheet'!A:A).
struct SelectionSpec {
  std::optional<std::string> sheet;
  std::string address;
};
std::optional<SelectionSpec> ParseSelectionSpec(const std::string& text);

}  // namespace kx::cli
