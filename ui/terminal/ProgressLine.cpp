#include "ui/terminal/ProgressLine.h"

#include <algorithm>

#include "ui/terminal/TerminalDriver.h"

namespace kx::ui::terminal {

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// The status label carries the stop hint on a second line; one line is drawn.
std::string FirstLine(const std::string& text) {
  return text.substr(0, std::min(text.find('\r'), text.find('\n')));
}

}  // namespace

ProgressLine::ProgressLine(const Screen& screen) : screen_(screen) {}

void ProgressLine::Start(const std::string& status) {
  active_ = true;
  status_ = FirstLine(status);
  fraction_ = 0;
  percent_ = "0 %";
  lastPrinted_.clear();
  lastDraw_ = {};
  Draw(true);
}

void ProgressLine::Status(std::string text) {
  status_ = FirstLine(text);
  if (active_) Draw(false);
}

void ProgressLine::Percentage(std::string text) {
  if (text == percent_) return;
  percent_ = std::move(text);
  if (active_) Draw(false);
}

void ProgressLine::Fraction(double value, double maximum) {
  fraction_ = maximum > 0 ? std::clamp(value / maximum, 0.0, 1.0) : 0.0;
}

void ProgressLine::Finish() {
  if (!active_) return;
  Draw(true);
  if (screen_.redraw && !screen_.quiet) std::fputc('\n', screen_.err);
  std::fflush(screen_.err);
  active_ = false;
}

void ProgressLine::Draw(bool force) {
  if (screen_.quiet) return;
  const auto now = std::chrono::steady_clock::now();
  if (screen_.redraw && !force && now - lastDraw_ < kRedrawInterval) return;
  const int filled = static_cast<int>(fraction_ * kBarWidth + 0.5);
  std::string line;
  line.reserve(kBarWidth + 16 + status_.size());
  line += '[';
  line.append(static_cast<size_t>(filled), '#');
  line.append(static_cast<size_t>(kBarWidth - filled), '.');
  line += "] ";
  // The percentage right-aligned, so that every line of one run has the same length.
  line.append(percent_.size() < 5 ? 5 - percent_.size() : 0, ' ');
  line += percent_;
  line += "  ";
  line += status_;
  if (screen_.redraw) {
    std::fprintf(screen_.err, "\r%s\x1b[K", line.c_str());
  } else {
    // Without redrawing, a line is printed only when what it says has changed.
    if (line == lastPrinted_) return;
    std::fprintf(screen_.err, "%s\n", line.c_str());
  }
  std::fflush(screen_.err);
  lastPrinted_ = std::move(line);
  lastDraw_ = now;
}

}  // namespace kx::ui::terminal
