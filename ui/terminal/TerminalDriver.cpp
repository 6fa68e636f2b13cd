#include "ui/terminal/TerminalDriver.h"

#include <cctype>
#include <string>

#include "ui/Form.h"
#include "ui/terminal/Interrupt.h"
#include "ui/terminal/OpenUrl.h"

namespace kx::ui::terminal {

namespace {

const Label* FindLabel(const Form& form, std::string_view name, int index = -1) {
  const ControlEntry* entry = form.FindControl(name, index);
  if (entry == nullptr) return nullptr;
  const auto* label = std::get_if<Label*>(&entry->Control);
  return label ? *label : nullptr;
}

std::string Caption(const Form& form, std::string_view name, int index = -1) {
  const Label* label = FindLabel(form, name, index);
  return label ? label->Caption.Get() : std::string();
}

bool Shown(const Form& form, std::string_view name) {
  const ControlEntry* entry = form.FindControl(name);
  return entry != nullptr && Common(entry->Control).Visible;
}

// The host's text uses CR LF between lines; a terminal wants LF.
std::string Lines(std::string text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

constexpr int kSwatchCount = 16;

}  // namespace

void TerminalDriver::BeginCommand(Answers answers) {
  answers_ = std::move(answers);
  seen_ = {};
}

void TerminalDriver::Press(Form& form, std::string_view control, int index) {
  if (auto refused = form.Press(control, index)) {
    std::fprintf(screen_.err, "kestrix: %s\n", refused->c_str());
  }
}

std::optional<std::string> TerminalDriver::Ask(const std::string& prompt) {
  if (screen_.in == nullptr) return std::nullopt;
  std::fprintf(screen_.err, "%s", prompt.c_str());
  std::fflush(screen_.err);
  std::string line;
  int c = 0;
  while ((c = std::fgetc(screen_.in)) != EOF && c != '\n') line += static_cast<char>(c);
  if (c == EOF && line.empty()) {
    std::fputc('\n', screen_.err);
    return std::nullopt;
  }
  return Trim(line);
}

void TerminalDriver::ShowModal(Form& form) {
  const auto keepAlive = form.weak_from_this().lock();
  const std::string& name = form.Name();
  if (name == "frmPrgBar") {
    AnswerProgress(form);
  } else if (name == "frmCol") {
    AnswerColour(form);
  } else if (name == "frmResult") {
    ShowResult(form);
  } else if (name == "frmDupPrev") {
    AnswerPreventer(form);
  } else if (name == "frmUG") {
    ShowAbout(form);
  }
  // A window the terminal cannot answer any further is closed as its close box would.
  if (form.Loaded() && form.Visible()) form.Unload();
}

void TerminalDriver::AnswerProgress(Form& form) {
  // The colour chooser cancelled brings the question back; a given "Yes" is not repeated.
  bool answeredInAdvance = false;
  while (form.Loaded() && form.Visible() && Shown(form, "CommandButton1")) {
    if (seen_.badAnswer) {
      Press(form, "CommandButton2");
      break;
    }
    bool yes = false;
    if (answers_.yes && !answeredInAdvance) {
      yes = answeredInAdvance = true;
    } else {
      const auto answer =
          Ask(Lines(Caption(form, "lblStatus")) + " [y/N] ");
      yes = answer && (Lower(*answer) == "y" || Lower(*answer) == "yes");
    }
    if (!yes) {
      seen_.answeredNo = true;
      Press(form, "CommandButton2");
      break;
    }
    seen_.ran = true;
    running_ = &form;
    SetRunActive(true);
    progress_.Start(Caption(form, "lblStatus"));
    Press(form, "CommandButton1");
    SetRunActive(false);
    progress_.Finish();
    running_ = nullptr;
  }
}

void TerminalDriver::AnswerColour(Form& form) {
  std::string chosen;
  if (answers_.colorIndex) {
    chosen = *answers_.colorIndex;
  } else if (screen_.in != nullptr) {
    std::fprintf(screen_.err, "%s\n", form.Caption.c_str());
    for (int i = 0; i < kSwatchCount; ++i) {
      const Label* swatch = FindLabel(form, "lblColIndex", i);
      if (swatch == nullptr) continue;
      const long c = swatch->BackColor;
      if (screen_.colour) {
        std::fprintf(screen_.err, "  \x1b[48;2;%ld;%ld;%ldm    \x1b[0m %3s  %s\n", c & 0xFF,
                     (c >> 8) & 0xFF, (c >> 16) & 0xFF, swatch->Caption.Get().c_str(),
                     swatch->ControlTipText.c_str());
      } else {
        std::fprintf(screen_.err, "  %3s  %s\n", swatch->Caption.Get().c_str(),
                     swatch->ControlTipText.c_str());
      }
    }
    const std::string preview = Caption(form, "lblColIndexFinal");
    const auto answer = Ask("Colour index [" + preview + "], or c to cancel: ");
    if (!answer) {
      Press(form, "Command2");
      return;
    }
    chosen = *answer;
    if (Lower(chosen) == "c" || Lower(chosen) == "cancel") {
      Press(form, "Command2");
      return;
    }
  }
  if (!chosen.empty()) {
    int found = -1;
    for (int i = 0; i < kSwatchCount && found < 0; ++i) {
      if (Caption(form, "lblColIndex", i) == chosen) found = i;
    }
    if (found < 0) {
      std::string indices;
      for (int i = 0; i < kSwatchCount; ++i) {
        indices += (i ? ", " : "") + Caption(form, "lblColIndex", i);
      }
      seen_.badAnswer = "no swatch has the colour index " + chosen + " (the swatches: " + indices + ")";
      Press(form, "Command2");
      return;
    }
    Press(form, "lblColIndex", found);
  }
  Press(form, "Command1");
}

void TerminalDriver::AnswerPreventer(Form& form) {
  if (answers_.deactivate) Press(form, "optDeAct");
  const ControlEntry* box = form.FindControl("chkSelCol");
  if (box != nullptr) {
    if (const auto* check = std::get_if<CheckBox*>(&box->Control)) {
      if ((*check)->Value == answers_.keepSelection) Press(form, "chkSelCol");
    }
  }
  Press(form, "Command1");  // Apply
  if (form.Loaded() && form.Visible()) Press(form, "Command2");  // Close
}

void TerminalDriver::ShowResult(Form& form) {
  seen_.resultNumber = Caption(form, "lblResult");
  seen_.resultMessage = Caption(form, "lblMessage");
  if (screen_.printResults) {
    std::fprintf(screen_.out, "%s %s\n", seen_.resultNumber->c_str(), seen_.resultMessage->c_str());
    std::fflush(screen_.out);
  }
  Press(form, "Command1");
}

void TerminalDriver::ShowAbout(Form& form) {
  if (screen_.printResults) {
    for (const auto& entry : form.Controls()) {
      if (const auto* label = std::get_if<Label*>(&entry.Control)) {
        if (!(*label)->Caption.Get().empty()) {
          std::fprintf(screen_.out, "%s\n", Lines((*label)->Caption.Get()).c_str());
        }
      }
    }
    std::fflush(screen_.out);
  }
  form.Unload();
}

void TerminalDriver::ShowModeless(Form& /*form*/) {}

void TerminalDriver::DoEvents() {
  if (running_ != nullptr && !seen_.stopped && StopPressed() && Shown(*running_, "CommandButton3")) {
    seen_.stopped = true;
    Press(*running_, "CommandButton3");
  }
}

void TerminalDriver::MsgBox(std::string_view text) {
  seen_.messages.emplace_back(text);
  progress_.Finish();
  if (screen_.printResults) {
    std::fprintf(screen_.out, "%s: %s\n", std::string(kMessageBoxTitle).c_str(),
                 Lines(std::string(text)).c_str());
    std::fflush(screen_.out);
  }
}

void TerminalDriver::OpenUrl(std::string_view address) {
  seen_.urls.emplace_back(address);
  if (SpawnOpener(std::string(address))) {
    std::fprintf(screen_.err, "Opening %s\n", std::string(address).c_str());
  } else if (screen_.printResults) {
    // Without a desktop opener the address is printed for the user to follow.
    std::fprintf(screen_.out, "%s\n", std::string(address).c_str());
  }
}

void TerminalDriver::BeginWindowDrag(Form& /*form*/) {}

void TerminalDriver::WindowClosed(Form& form) {
  if (&form == running_) progress_.Finish();
}

void TerminalDriver::PropertyChanged(const PropertyChange& change) {
  if (change.Form != "frmPrgBar" || running_ == nullptr) return;
  if (change.Control == "lblPer" && change.Property == "Caption") {
    progress_.Fraction(0, 0);
    if (const Form* form = running_) {
      for (const auto& entry : form->Controls()) {
        if (const auto* bar = std::get_if<ProgressBar*>(&entry.Control)) {
          progress_.Fraction((*bar)->Value(), (*bar)->Max());
        }
      }
    }
    progress_.Percentage(std::string(std::get<std::string_view>(change.Value)));
  } else if (change.Control == "lblStatus" && change.Property == "Caption") {
    progress_.Status(std::string(std::get<std::string_view>(change.Value)));
  }
}

}  // namespace kx::ui::terminal
