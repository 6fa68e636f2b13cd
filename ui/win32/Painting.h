#pragma once
// The drawing Windows' own controls do not do for us: buttons in a form's colours, the result
// window's picture, the designer's shapes and lines, the special-effect edges and the hand cursor
// of labels, and frames filled with their back colour.

#include <windows.h>

#include "ui/ControlBase.h"

namespace kx::ui::win32 {

// An owner-drawn command button: its face in the given colour, its caption in the button's font.
void DrawButton(const DRAWITEMSTRUCT& item, HBRUSH face);

// The picture the model names, from a bitmap resource of that name in the module that hosts the
// driver; without one, the add-in's own drawing of a sheet with found rows.
void DrawPicture(HDC dc, const RECT& box, HBITMAP picture, bool stretch);

void DrawShape(HDC dc, const RECT& box, COLORREF border, bool filled, COLORREF fill);
void DrawLine(HDC dc, POINT from, POINT to, COLORREF colour);

// Gives a label its edge (an etched, raised, sunken or bump effect) and its mouse pointer;
// called again when either changes.
void DecorateLabel(HWND label, SpecialEffect effect, MousePointer pointer);

// A frame (group box) paints its inside with its own back colour, as the parent's brush for it
// says, instead of leaving it to a parent that clips its children.
void FillFrameBackground(HWND frame);

}  // namespace kx::ui::win32
