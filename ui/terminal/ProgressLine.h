#pragma once
// ProgressLine: the progress window's bar, percentage and status text on standard error. On a
// terminal the line is redrawn in place at most ten times a second, however many steps the
// engine reports; elsewhere each new percentage is one line, so a log or a reading program
// sees it move.

#include <chrono>
#include <cstdio>
#include <string>

namespace kx::ui::terminal {

struct Screen;

class ProgressLine {
 public:
  explicit ProgressLine(const Screen& screen);

  void Start(const std::string& status);
  void Status(std::string text);
  void Percentage(std::string text);
  void Fraction(double value, double maximum);
  // Draws the last state and ends the line.
  void Finish();

 private:
  void Draw(bool force);

  const Screen& screen_;
  bool active_ = false;
  std::string status_;
  std::string percent_ = "0 %";
  std::string lastPrinted_;
  double fraction_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace kx::ui::terminal
