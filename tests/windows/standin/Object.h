#pragma once
// Object: the base of every stand-in object. IUnknown and IDispatch over a table of members,
// one table per kind of object: each member's name, its parameters' names, and what getting
// (or calling) and putting it does to the host object the stand-in holds.

#include <windows.h>
#include <oaidl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <span>

#include "com/ComPtr.h"
#include "com/Variants.h"
#include "host/Result.h"

namespace kx::standin {

class Args;
class Object;

// What a member gives back: a VARIANT, or the failure the host raised.
using Value = host::Result<com::ComVariant>;
using Handler = Value (*)(Object& self, Args& args);

inline constexpr std::size_t kMaxParams = 9;

enum class Role : std::uint8_t {
  Plain,
  Default,  // also reached as DISPID_VALUE
  NewEnum,  // reached as DISPID_NEWENUM, the For Each enumerator
};

struct Member {
  const wchar_t* name;
  std::array<const wchar_t*, kMaxParams> params{};  // in order; unused ones null
  Handler get = nullptr;                            // property get or method call
  Handler put = nullptr;                            // property put and putref
  Role role = Role::Plain;
};

// A kind of object: its members and where its DISPIDs start. Each kind has a base of its own,
// so a client that keeps a DISPID from one kind and uses it on another is caught.
struct Class {
  const wchar_t* name;  // also the source of its exceptions
  DISPID base;
  std::span<const Member> members;
  const IID* iid = nullptr;  // the object model's own interface, for clients that ask
};

// Counts one call received (CallsReceived).
void CountCall();

// Counts the life of every stand-in object, for LiveObjects().
class Counted {
 protected:
  Counted();
  ~Counted();

 public:
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;
};

class Object : public IDispatch, private Counted {
 public:
  explicit Object(const Class& cls) : class_(cls) {}
  virtual ~Object() = default;

  const Class& cls() const { return class_; }
  // The stand-in object behind an interface a caller passed in; null for any other object. The
  // caller's reference keeps it alive.
  static Object* From(IUnknown* unknown);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argError) override;

 protected:
  // Interfaces beyond IDispatch that a kind of object offers; null for none.
  virtual void* OtherInterface(REFIID iid);

 private:
  const Member* Find(DISPID id) const;
  HRESULT Call(const Member& member, LCID locale, WORD flags, DISPPARAMS& params,
               VARIANT* result, EXCEPINFO* exception, UINT* argError);

  const Class& class_;
  LONG refs_ = 1;
};

// A stand-in object that holds one host object.
template <class T>
class Holder : public Object {
 public:
  Holder(const Class& cls, std::shared_ptr<T> held) : Object(cls), held_(std::move(held)) {}
  const std::shared_ptr<T>& held() const { return held_; }

 private:
  std::shared_ptr<T> held_;
};

// The host object a member's handler works on.
template <class T>
T& Held(Object& self) {
  return *static_cast<Holder<T>&>(self).held();
}

// A new stand-in of `cls` over `held`; null (Nothing) for a null handle.
template <class T>
com::ComPtr<IDispatch> Make(const Class& cls, std::shared_ptr<T> held) {
  if (!held) return nullptr;
  return com::ComPtr<IDispatch>::Adopt(new Holder<T>(cls, std::move(held)));
}

// Runs the body of a COM method: no C++ exception leaves it.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// For a stand-in that offers a second interface: its IUnknown members are the object's.
#define KX_STANDIN_SHARED_IUNKNOWN                                              \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { \
    return Object::QueryInterface(iid, out);                                  \
  }                                                                           \
  ULONG STDMETHODCALLTYPE AddRef() override { return Object::AddRef(); }      \
  ULONG STDMETHODCALLTYPE Release() override { return Object::Release(); }

}  // namespace kx::standin
