// The enumerator For Each gets from a Range's _NewEnum: each cell as a Range, in the host's
// order (area by area, row by row).

#include <algorithm>
#include <vector>

#include "host/Range.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

class CellEnumerator final : public IEnumVARIANT, private Counted {
 public:
  CellEnumerator(std::shared_ptr<const std::vector<host::RangeRef>> cells, std::size_t next)
      : cells_(std::move(cells)), next_(next) {}
  virtual ~CellEnumerator() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IEnumVARIANT) return E_NOINTERFACE;
    *out = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    CountCall();
    ULONG n = 0;
    HRESULT hr = Guarded([&] {
      for (; n < count && next_ < cells_->size(); ++n) out[n] = ToCom((*cells_)[next_++]).Detach();
      return n == count ? S_OK : S_FALSE;
    });
    if (fetched != nullptr) *fetched = n;
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    std::size_t left = cells_->size() - next_;
    next_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return Guarded([&] {
      *out = new CellEnumerator(cells_, next_);
      return S_OK;
    });
  }

 private:
  std::shared_ptr<const std::vector<host::RangeRef>> cells_;
  std::size_t next_;
  LONG refs_ = 1;
};

}  // namespace

host::Result<com::ComPtr<IUnknown>> EnumerateCells(host::Range& range) {
  // The cells are taken when the loop starts, as the host's enumerator walks the range as it was.
  auto cells = std::make_shared<std::vector<host::RangeRef>>();
  KX_TRY(range.ForEachCell([&](const host::RangeRef& cell) {
    cells->push_back(cell);
    return true;
  }));
  return com::ComPtr<IUnknown>::Adopt(new CellEnumerator(std::move(cells), 0));
}

com::ComVariant ToCom(const com::ComPtr<IUnknown>& object) {
  com::ComVariant v;
  v.get()->vt = VT_UNKNOWN;
  v.get()->punkVal = object.get();
  if (object) object->AddRef();
  return v;
}

}  // namespace kx::standin
