#include "com/Dispatch.h"

#include "com/Failures.h"

namespace kx::com {

namespace {
constexpr LCID kLocale = 1033;
}

host::Result<DISPID> Session::Id(Kind kind, IDispatch* object, const wchar_t* member,
                                 const wchar_t* param) {
  const bool cached = kind != Kind::Unknown;
  const auto key = std::make_tuple(kind, member, param);
  if (cached) {
    auto found = ids_.find(key);
    if (found != ids_.end()) return found->second;
  }
  // A parameter's DISPID belongs to its member: both are asked for together.
  LPOLESTR names[2] = {const_cast<LPOLESTR>(member), const_cast<LPOLESTR>(param)};
  DISPID ids[2] = {DISPID_UNKNOWN, DISPID_UNKNOWN};
  UINT count = param != nullptr ? 2 : 1;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, count, kLocale, ids);
  if (FAILED(hr)) return ErrorFromHResult(hr);
  DISPID id = ids[count - 1];
  if (cached) ids_.emplace(key, id);
  return id;
}

host::Result<ComVariant> Late::Get(Name member, std::initializer_list<ComVariant> args) {
  return Invoke(member, DISPATCH_PROPERTYGET | (args.size() ? DISPATCH_METHOD : 0), args.begin(),
                args.size(), nullptr);
}

host::Result<ComVariant> Late::Call(Name member, std::initializer_list<ComVariant> args,
                                    std::vector<NamedArg> named) {
  return Invoke(member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args.begin(), args.size(),
                &named);
}

host::Result<void> Late::Put(Name member, ComVariant value) {
  auto done = Invoke(member, DISPATCH_PROPERTYPUT, &value, 1, nullptr);
  if (!done.ok()) return done.error();
  return {};
}

host::Result<ComVariant> Late::GetById(DISPID id) {
  if (!object_) return host::Fail(91, "Object variable or With block variable not set");
  DISPPARAMS params{};
  ComVariant result;
  EXCEPINFO exception{};
  ++session_->invokes;
  HRESULT hr = object_->Invoke(id, IID_NULL, kLocale, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                               &params, result.get(), &exception, nullptr);
  if (FAILED(hr)) return ErrorFromCall(hr, &exception);
  return result;
}

host::Result<ComVariant> Late::Invoke(Name member, WORD flags, const ComVariant* args,
                                      size_t count, std::vector<NamedArg>* named) {
  if (!object_) return host::Fail(91, "Object variable or With block variable not set");
  DISPID id = KX_TRY(session_->Id(kind_, object_.get(), member.text()));

  // rgvarg holds the named arguments first, then the positional ones last to first.
  const size_t namedCount = named != nullptr ? named->size() : 0;
  std::vector<VARIANT> argv(namedCount + count);
  std::vector<DISPID> namedIds(namedCount);
  for (size_t i = 0; i < namedCount; ++i) {
    NamedArg& arg = (*named)[i];
    namedIds[i] = KX_TRY(session_->Id(kind_, object_.get(), member.text(), arg.name.text()));
    argv[i] = *arg.value.get();
  }
  for (size_t i = 0; i < count; ++i) argv[namedCount + i] = *args[count - 1 - i].get();

  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = argv.empty() ? nullptr : argv.data();
  params.cArgs = static_cast<UINT>(argv.size());
  if (flags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  } else if (namedCount > 0) {
    params.rgdispidNamedArgs = namedIds.data();
    params.cNamedArgs = static_cast<UINT>(namedCount);
  }

  // The arguments are borrowed from their owners (shallow copies): nothing here clears them.
  ComVariant result;
  EXCEPINFO exception{};
  ++session_->invokes;
  HRESULT hr = object_->Invoke(id, IID_NULL, kLocale, flags, &params,
                               flags == DISPATCH_PROPERTYPUT ? nullptr : result.get(), &exception,
                               nullptr);
  if (FAILED(hr)) return ErrorFromCall(hr, &exception);
  return result;
}

host::Result<ComPtr<IDispatch>> ObjectOf(const ComVariant& value) {
  const VARIANT& v = *value.get();
  if (v.vt == VT_UNKNOWN) {
    ComPtr<IDispatch> object;
    if (v.punkVal != nullptr &&
        FAILED(v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object.Out())))) {
      return host::Fail(13, "Type mismatch");
    }
    return object;
  }
  IDispatch* object = KX_TRY(ToObject(v));
  return ComPtr<IDispatch>::Share(object);
}

}  // namespace kx::com
