#include "ui/win32/Layout.h"

#include <cmath>
#include <string_view>
#include <variant>

namespace kx::ui::win32 {

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kTwipsPerInch = 1440.0;

struct Box {
  float left, top, right, bottom;
};

Box BoxOf(const Geometry& g, float x, float y) {
  return {x + g.Left, y + g.Top, x + g.Left + g.Width, y + g.Top + g.Height};
}

bool Inside(const Box& inner, const Box& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool IsFrame(const ControlRef& control) { return std::holds_alternative<Frame*>(control); }

bool IsDecoration(const ControlRef& control) {
  return std::holds_alternative<Shape*>(control) || std::holds_alternative<Line*>(control);
}

}  // namespace

bool Layout::InTwips(const Form& form) {
  // The About window is a classic form; every other window is a user form in points.
  return form.Name() == std::string_view("frmUG");
}

Layout::Layout(const Form& form, int dpi)
    : dpi_(dpi), pixelsPerUnit_(dpi / (InTwips(form) ? kTwipsPerInch : kPointsPerInch)) {
  // The model says nothing of which frame holds a control. A control that lies inside a frame's
  // box on the form is placed on the form (the preventer's frames are drawn around their
  // controls); one that lies inside no frame but fits a frame before it when measured from that
  // frame's corner belongs to that frame (the colour chooser's swatches in Frame9).
  const auto& controls = form.Controls();
  std::vector<Box> onForm(controls.size());
  origins_.assign(controls.size(), Origin{});
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlRef& control = controls[i].Control;
    const Geometry& g = Common(control);
    onForm[i] = BoxOf(g, 0, 0);
    if (IsDecoration(control)) continue;
    bool insideFrame = false;
    for (std::size_t j = 0; j < controls.size() && !insideFrame; ++j) {
      insideFrame = j != i && IsFrame(controls[j].Control) && Inside(onForm[i], onForm[j]);
    }
    if (insideFrame) continue;
    for (std::size_t j = i; j-- > 0;) {
      if (!IsFrame(controls[j].Control)) continue;
      const Geometry& frame = Common(controls[j].Control);
      if (Inside(BoxOf(g, 0, 0), Box{0, 0, frame.Width, frame.Height})) {
        origins_[i] = Origin{onForm[j].left, onForm[j].top};
        onForm[i] = BoxOf(g, origins_[i].x, origins_[i].y);
        break;
      }
    }
  }
}

int Layout::Pixels(float units) const {
  return static_cast<int>(std::lround(units * pixelsPerUnit_));
}

SIZE Layout::ClientSize(const Form& form) const { return SIZE{Pixels(form.Width), Pixels(form.Height)}; }

RECT Layout::Place(const Form& form, std::size_t control) const {
  const Geometry& g = Common(form.Controls()[control].Control);
  const Origin origin = control < origins_.size() ? origins_[control] : Origin{};
  const float x = origin.x;
  const float y = origin.y;
  // Both edges are rounded, so that neighbours that touch in the model touch on screen.
  return RECT{Pixels(x + g.Left), Pixels(y + g.Top), Pixels(x + g.Left + g.Width),
              Pixels(y + g.Top + g.Height)};
}

POINT Layout::Point(float x, float y) const { return POINT{Pixels(x), Pixels(y)}; }

float Layout::ToUnits(int pixels) const { return static_cast<float>(pixels / pixelsPerUnit_); }

}  // namespace kx::ui::win32
