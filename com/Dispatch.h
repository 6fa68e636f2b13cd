#pragma once
// Calls by name on the host's objects: IDispatch late binding as Visual Basic does it, with
// locale 1033. A member's name is looked up once per kind of object and connection and its
// DISPID kept; every later call is a single Invoke.

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <initializer_list>
#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "com/ComPtr.h"
#include "com/Variants.h"
#include "host/Result.h"

namespace kx::com {

// The kinds of host object the bridge knows. All objects of one kind share their DISPIDs, so a
// name is looked up once for the kind; an object of unknown kind (a selected chart where a range
// was expected) is looked up afresh at every call.
enum class Kind : std::uint8_t {
  Application,
  Workbooks,
  Workbook,
  Sheets,
  Worksheet,
  Range,
  Areas,
  Interior,
  Validation,
  WorksheetFunction,
  CommandBars,
  CommandBar,
  CommandBarControls,
  CommandBarControl,
  COMAddIns,
  COMAddIn,
  Unknown,
};

// A member or parameter name. Only literals make one, so that the literal's address is a
// cheap and stable cache key.
class Name {
 public:
  template <std::size_t N>
  consteval Name(const wchar_t (&text)[N]) : text_(text) {}  // NOLINT: literals convert
  const wchar_t* text() const { return text_; }

 private:
  const wchar_t* text_;
};

struct NamedArg {
  Name name;
  ComVariant value;
};

// What the objects of one connection share: the DISPIDs looked up so far.
class Session {
 public:
  // The DISPID of `member`, or of its parameter `param`, on objects of `kind`.
  host::Result<DISPID> Id(Kind kind, IDispatch* object, const wchar_t* member,
                          const wchar_t* param = nullptr);
  // Calls made through this session so far (lookups not counted).
  long invokes = 0;

 private:
  std::map<std::tuple<Kind, const wchar_t*, const wchar_t*>, DISPID> ids_;
};

using SessionRef = std::shared_ptr<Session>;

// A late-bound reference to one host object. Holding it holds the object; the reference is
// released when the last copy goes.
class Late {
 public:
  Late(ComPtr<IDispatch> object, SessionRef session, Kind kind)
      : object_(std::move(object)), session_(std::move(session)), kind_(kind) {}

  IDispatch* get() const { return object_.get(); }
  const SessionRef& session() const { return session_; }
  Kind kind() const { return kind_; }

  // A property's value, with arguments where it takes them (Cells(2, 1)).
  host::Result<ComVariant> Get(Name member, std::initializer_list<ComVariant> args = {});
  // A method, with its positional and then named arguments.
  host::Result<ComVariant> Call(Name member, std::initializer_list<ComVariant> args = {},
                                std::vector<NamedArg> named = {});
  host::Result<void> Put(Name member, ComVariant value);
  // A member by its DISPID (the collection enumerator, DISPID_NEWENUM).
  host::Result<ComVariant> GetById(DISPID id);

 private:
  host::Result<ComVariant> Invoke(Name member, WORD flags, const ComVariant* args, size_t count,
                                  std::vector<NamedArg>* named);

  ComPtr<IDispatch> object_;
  SessionRef session_;
  Kind kind_;
};

// The object a result holds; null for Nothing. Fails with a type mismatch for a non-object.
host::Result<ComPtr<IDispatch>> ObjectOf(const ComVariant& value);

}  // namespace kx::com
