#include "standin/Object.h"

#include <atomic>
#include <cwchar>

#include "com/Failures.h"
#include "standin/Args.h"
#include "standin/Standin.h"

namespace kx::standin {

namespace {

std::atomic<long> live{0};
std::atomic<long> calls{0};

// Answers QueryInterface with the object itself, so that an argument can be recognised as one
// of ours. Never asked for outside this process.
constexpr IID kStandinIid = {0x5d0c3a71, 0x96e2, 0x4b0e, {0x8c, 0x51, 0x2a, 0x7f, 0x1e, 0x04, 0xb9, 0x6d}};

bool SameName(const wchar_t* a, const wchar_t* b) { return _wcsicmp(a, b) == 0; }

}  // namespace

Counted::Counted() { ++live; }
Counted::~Counted() { --live; }

long LiveObjects() { return live.load(); }
long CallsReceived() { return calls.load(); }
void CountCall() { ++calls; }

Object* Object::From(IUnknown* unknown) {
  if (unknown == nullptr) return nullptr;
  IDispatch* self = nullptr;
  if (FAILED(unknown->QueryInterface(kStandinIid, reinterpret_cast<void**>(&self)))) return nullptr;
  self->Release();  // the caller's own reference keeps it
  return static_cast<Object*>(self);
}

HRESULT Object::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kStandinIid ||
      (class_.iid != nullptr && iid == *class_.iid)) {
    *out = static_cast<IDispatch*>(this);
  } else {
    *out = OtherInterface(iid);
  }
  if (*out == nullptr) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG Object::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG Object::Release() {
  LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

void* Object::OtherInterface(REFIID) { return nullptr; }

HRESULT Object::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT Object::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT Object::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const Member* member = nullptr;
  for (std::size_t m = 0; m < class_.members.size(); ++m) {
    if (!SameName(class_.members[m].name, names[0])) continue;
    member = &class_.members[m];
    ids[0] = member->role == Role::NewEnum ? DISPID_NEWENUM
                                          : class_.base + static_cast<DISPID>(m) + 1;
    break;
  }
  if (member == nullptr) return DISP_E_UNKNOWNNAME;
  // A named argument's DISPID is its parameter's position.
  HRESULT hr = S_OK;
  for (UINT i = 1; i < count; ++i) {
    for (std::size_t p = 0; p < kMaxParams && member->params[p] != nullptr; ++p) {
      if (SameName(member->params[p], names[i])) ids[i] = static_cast<DISPID>(p);
    }
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

const Member* Object::Find(DISPID id) const {
  for (const Member& member : class_.members) {
    if ((id == DISPID_VALUE && member.role == Role::Default) ||
        (id == DISPID_NEWENUM && member.role == Role::NewEnum)) {
      return &member;
    }
  }
  DISPID index = id - class_.base - 1;
  if (index < 0 || static_cast<std::size_t>(index) >= class_.members.size()) return nullptr;
  return &class_.members[static_cast<std::size_t>(index)];
}

HRESULT Object::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                       VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  ++calls;
  const Member* member = Find(id);
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
  DISPPARAMS none{};
  if (params != nullptr && ((params->cArgs > 0 && params->rgvarg == nullptr) ||
                            params->cNamedArgs > params->cArgs ||
                            (params->cNamedArgs > 0 && params->rgdispidNamedArgs == nullptr))) {
    return E_INVALIDARG;
  }
  return Guarded([&] {
    // The call may let go of the caller's last reference (an add-in unloading itself from a
    // click); the object lives until the call returns.
    com::ComPtr<IDispatch> self = com::ComPtr<IDispatch>::Share(this);
    return Call(*member, locale, flags, params != nullptr ? *params : none, result, exception,
                argError);
  });
}

HRESULT Object::Call(const Member& member, LCID locale, WORD flags, DISPPARAMS& params,
                     VARIANT* result, EXCEPINFO* exception, UINT* argError) {
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  // A put names its value DISPID_PROPERTYPUT, as DispInvoke insists.
  if (put && (params.cNamedArgs == 0 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
    return DISP_E_PARAMNOTFOUND;
  }

  // A property without parameters that is given arguments passes them on to the default member
  // of the object it returns: Cells(2, 1), Worksheets(1), CommandBars("Worksheet Menu Bar"),
  // and Cells(1, 1) = 7.
  if (member.params[0] == nullptr && params.cArgs > params.cNamedArgs && member.get != nullptr) {
    Args noArgs;
    Value object = member.get(*this, noArgs);
    if (!object.ok()) return com::ReportToCaller(object.error(), exception, class_.name);
    const VARIANT& v = *object->get();
    if (v.vt != VT_DISPATCH || v.pdispVal == nullptr) return DISP_E_BADPARAMCOUNT;
    --calls;  // one call of the caller's, whichever object answers it
    return v.pdispVal->Invoke(DISPID_VALUE, IID_NULL, locale, flags, &params, result, exception,
                              argError);
  }

  Handler handler = put ? member.put : member.get;
  if (handler == nullptr) return DISP_E_MEMBERNOTFOUND;
  Args args(member, params, put);
  if (args.failure() != S_OK) {
    if (argError != nullptr) *argError = args.failedArg();
    return args.failure();
  }
  Value value = handler(*this, args);
  if (args.failure() != S_OK) {
    if (argError != nullptr) *argError = args.failedArg();
    return args.failure();
  }
  if (!value.ok()) return com::ReportToCaller(value.error(), exception, class_.name);
  if (result != nullptr) *result = value->Detach();
  return S_OK;
}

}  // namespace kx::standin
