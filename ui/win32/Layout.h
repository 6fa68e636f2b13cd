#pragma once
// Where a form's controls go on screen. A form keeps its geometry in its own units: points on the
// user forms, twips on the classic About window; Windows wants pixels at the display's DPI.

#include <windows.h>

#include <cstddef>
#include <vector>

#include "ui/Form.h"

namespace kx::ui::win32 {

class Layout {
 public:
  Layout(const Form& form, int dpi);

  int Dpi() const { return dpi_; }
  // The form's Width and Height are its client area.
  SIZE ClientSize(const Form& form) const;
  // A control's rectangle on the form's client area, by its place in form.Controls().
  RECT Place(const Form& form, std::size_t control) const;
  POINT Point(float x, float y) const;
  // A distance in pixels back in the form's units (where the mouse was pressed).
  float ToUnits(int pixels) const;

  // The forms laid out in twips; the model has no scale mode of its own to say so.
  static bool InTwips(const Form& form);

 private:
  int Pixels(float units) const;

  int dpi_;
  double pixelsPerUnit_;
  // Per control: the corner its Left and Top are measured from, in form units.
  struct Origin {
    float x = 0;
    float y = 0;
  };
  std::vector<Origin> origins_;
};

}  // namespace kx::ui::win32
