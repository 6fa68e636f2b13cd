#pragma once
// What an engine run drives of the window it runs in: the progress bar, the percentage label,
// closing the window when the run ends, and the result window a count is shown in. The progress
// window hands itself over as this.

#include <string_view>

#include "ui/Controls.h"

namespace kx::engines {

class EngineWindow {
 public:
  virtual ~EngineWindow() = default;
  // ProgressBar1 and lblPer of the progress window.
  virtual ui::ProgressBar& Bar() = 0;
  virtual ui::Label& Percentage() = 0;
  // Unloads the window; its modal show then returns to the command that opened it.
  virtual void UnloadWindow() = 0;
  // Shows a count and its message in the result window, modally; returns once it is closed.
  virtual void ShowResult(std::string_view message, long count) = 0;
};

}  // namespace kx::engines
