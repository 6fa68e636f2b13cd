#pragma once
// What an engine run drives of the window it runs in: the progress bar, the percentage label,
// and closing the window when the run ends. The progress window hands itself over as this.

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
};

}  // namespace kx::engines
