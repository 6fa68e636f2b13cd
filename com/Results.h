#pragma once
// Turning the results of late-bound calls into the values and handles of host/, and host
// handles back into arguments.

#include <memory>

#include "com/Dispatch.h"
#include "com/Failures.h"
#include "com/Objects.h"
#include "host/ErrorNumbers.h"

namespace kx::com {

// A handle on the object a call returned; a null handle for Nothing.
template <class Obj>
host::Result<std::shared_ptr<typename Obj::Interface>> Wrap(host::Result<ComVariant> value,
                                                             const SessionRef& session) {
  ComVariant v = KX_TRY(std::move(value));
  ComPtr<IDispatch> object = KX_TRY(ObjectOf(v));
  if (!object) return std::shared_ptr<typename Obj::Interface>();
  return std::shared_ptr<typename Obj::Interface>(std::make_shared<Obj>(std::move(object), session));
}

inline host::Result<long> LongOf(host::Result<ComVariant> value) {
  ComVariant v = KX_TRY(std::move(value));
  return ToLong(*v.get());
}
inline host::Result<double> DoubleOf(host::Result<ComVariant> value) {
  ComVariant v = KX_TRY(std::move(value));
  return ToDouble(*v.get());
}
inline host::Result<bool> BoolOf(host::Result<ComVariant> value) {
  ComVariant v = KX_TRY(std::move(value));
  return ToBool(*v.get());
}
inline host::Result<std::string> TextOf(host::Result<ComVariant> value) {
  ComVariant v = KX_TRY(std::move(value));
  return ToText(*v.get());
}
inline host::Result<host::Variant> ValueOf(host::Result<ComVariant> value) {
  ComVariant v = KX_TRY(std::move(value));
  return FromVariant(*v.get());
}
inline host::Result<void> Done(host::Result<ComVariant> value) {
  if (!value.ok()) return value.error();
  return {};
}

// A host handle as an argument: the object it stands for, or Nothing. A handle that did not
// come from the host (none does) is a type mismatch.
template <class Interface>
host::Result<ComVariant> ObjectArg(const std::shared_ptr<Interface>& handle) {
  if (!handle) return ComVariant::Object(nullptr);
  auto* bridged = dynamic_cast<const Bridged*>(handle.get());
  if (bridged == nullptr) return host::Fail(host::err::TypeMismatch, "Type mismatch");
  return ComVariant::Object(bridged->dispatch());
}

}  // namespace kx::com
