// The application's Selection. Usually a Range; with a chart or shape selected, the host
// hands over a drawing object that has none of a Range's members and is not a Range, so a
// client that asks for the Range interface, or calls a Range member, learns that it is not.

#include "host/ErrorNumbers.h"
#include "host/Range.h"
#include "standin/Args.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

const Member kDrawingMembers[] = {
    {L"Name", {}, [](Object&, Args&) -> Value { return ToCom(std::string("Chart 1")); }},
};

const Class kDrawing{L"DrawingObject", 0x3800, kDrawingMembers};

}  // namespace

com::ComPtr<IDispatch> WrapSelection(const host::RangeRef& selection) {
  if (!selection) return nullptr;
  // host/ gives a selected drawing as a handle whose every member is unsupported; one cheap
  // member tells it from a range.
  auto row = selection->Row();
  if (!row.ok() && row.error().number == host::err::NotSupported) return Make(kDrawing, selection);
  return Wrap(selection);
}

}  // namespace kx::standin
