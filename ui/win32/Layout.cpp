#include "ui/win32/Layout.h"

#include <algorithm>
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
  // The model says nothing of which frame holds a control. A control whose box lies inside a
  // frame's box on the form is placed on the form (the preventer's frames are drawn around their
  // controls); one that does not, but fits a frame before it when measured from that frame's
  // corner, belongs to that frame. The elements of a control array share one frame, so they are
  // judged together: the colour chooser's swatches, some of which would fall inside Frame9 even
  // on the form, all sit in it.
  const auto& controls = form.Controls();
  std::vector<Box> onForm(controls.size());
  origins_.assign(controls.size(), Origin{});
  for (std::size_t i = 0; i < controls.size(); ++i) onForm[i] = BoxOf(Common(controls[i].Control), 0, 0);

  const auto members = [&](std::size_t i) {
    std::vector<std::size_t> same;
    for (std::size_t k = 0; k < controls.size(); ++k) {
      if (controls[k].Name == controls[i].Name) same.push_back(k);
    }
    return same;
  };
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlRef& control = controls[i].Control;
    if (IsDecoration(control)) continue;
    const std::vector<std::size_t> group = members(i);
    if (group.front() != i) continue;  // judged with the first element of its array
    const auto allInside = [&](const Box& frame, float x, float y) {
      return std::all_of(group.begin(), group.end(), [&](std::size_t k) {
        return Inside(BoxOf(Common(controls[k].Control), x, y), frame);
      });
    };
    bool onTheForm = false;
    for (std::size_t j = 0; j < controls.size() && !onTheForm; ++j) {
      onTheForm = j != i && IsFrame(controls[j].Control) && allInside(onForm[j], 0, 0);
    }
    if (onTheForm) continue;
    for (std::size_t j = i; j-- > 0;) {
      if (!IsFrame(controls[j].Control)) continue;
      const Box frame = onForm[j];
      if (allInside(frame, frame.left, frame.top)) {
        for (std::size_t k : group) {
          origins_[k] = Origin{frame.left, frame.top};
          onForm[k] = BoxOf(Common(controls[k].Control), frame.left, frame.top);
        }
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
