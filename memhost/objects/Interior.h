#pragma once
// Interior: the fill of a range's cells, as an index into the 56-colour palette.

#include <vector>

#include "host/Range.h"
#include "memhost/SheetHandle.h"

namespace kx::memhost {

class Interior final : public host::Interior {
 public:
  Interior(SheetHandle sheet, std::vector<Area> areas)
      : sheet_(std::move(sheet)), areas_(std::move(areas)) {}

  // Points the object at other cells of the same sheet.
  void SetAreas(const std::vector<Area>& areas) { areas_ = areas; }

  host::Result<host::Variant> ColorIndex() override;
  // Automatic stores no fill, which is what the host shows for it (-4142 when read back).
  // memhost keeps no row or column formats, so filling whole rows or columns fills the cells of
  // the used area only.
  host::Result<void> SetColorIndex(const host::Variant& index) override;

 private:
  SheetHandle sheet_;
  std::vector<Area> areas_;
};

}  // namespace kx::memhost
