#pragma once
// ComPtr: an owned reference to a COM interface, released when it goes.

#include <unknwn.h>

#include <utility>

namespace kx::com {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT: a null reference, as Nothing
  // Takes over a reference the caller already owns (an [out] parameter's).
  static ComPtr Adopt(T* p) {
    ComPtr r;
    r.p_ = p;
    return r;
  }
  // Adds a reference of its own.
  static ComPtr Share(T* p) {
    if (p != nullptr) p->AddRef();
    return Adopt(p);
  }
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Where an [out] parameter writes a new reference; the old one is released first.
  T** Out() {
    Reset();
    return &p_;
  }
  // Hands the reference to a caller who releases it.
  T* Detach() { return std::exchange(p_, nullptr); }

  // The same object through another of its interfaces; null when it has none.
  template <class U>
  ComPtr<U> As(const IID& iid) const {
    ComPtr<U> other;
    if (p_ != nullptr) p_->QueryInterface(iid, reinterpret_cast<void**>(other.Out()));
    return other;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace kx::com
