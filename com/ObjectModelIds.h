#pragma once
// Interface identifiers of the spreadsheet's object model that tell what kind of object a
// call returned: a selection may be a chart or a shape rather than a range, an active sheet a
// chart sheet rather than a worksheet.

#include <guiddef.h>

namespace kx::com {

inline constexpr IID kRangeIid = {0x00020846, 0x0000, 0x0000,
                                  {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kWorksheetIid = {0x000208D8, 0x0000, 0x0000,
                                      {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace kx::com
