#pragma once
// The run-time error numbers the spreadsheet's object model raises, as the add-in sees them.

namespace kx::host::err {

inline constexpr long InvalidProcedureCall = 5;  // bad argument, missing collection item
inline constexpr long Overflow = 6;
inline constexpr long SubscriptOutOfRange = 9;   // array index, collection key not found
inline constexpr long TypeMismatch = 13;
inline constexpr long ObjectNotSet = 91;         // "Object variable or With block variable not set"
inline constexpr long ObjectRequired = 424;
inline constexpr long NotSupported = 438;        // "Object doesn't support this property or method"
inline constexpr long ApplicationDefined = 1004; // the host refused the call
inline constexpr long UserInterrupt = 18;        // a user's break with EnableCancelKey = 1

}  // namespace kx::host::err
