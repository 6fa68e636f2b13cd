#include "com/Text.h"

namespace kx::com {

std::wstring MultiByteToWide(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int size = static_cast<int>(bytes.size());
  int units = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), units);
  return wide;
}

std::wstring Utf8ToWide(std::string_view utf8) { return MultiByteToWide(utf8, CP_UTF8); }

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  int size = static_cast<int>(wide.size());
  int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

std::string BstrToUtf8(BSTR text) {
  if (text == nullptr) return {};
  return WideToUtf8(std::wstring_view(text, ::SysStringLen(text)));
}

Bstr::Bstr(std::string_view utf8) : Bstr(std::wstring_view(Utf8ToWide(utf8))) {}

Bstr::Bstr(std::wstring_view wide)
    : text_(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()))) {}

}  // namespace kx::com
