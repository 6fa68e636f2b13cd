#pragma once
// Text across the Windows boundary: the add-in keeps UTF-8, Windows and COM speak UTF-16.
// Invalid input never fails a conversion: an ill-formed sequence becomes U+FFFD.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace kx::com {

std::wstring Utf8ToWide(std::string_view utf8);
// Bytes in a code page (CP_ACP: the system's ANSI code page) as UTF-16.
std::wstring MultiByteToWide(std::string_view bytes, UINT codePage);
std::string WideToUtf8(std::wstring_view wide);
// The text of a BSTR, which may be null (an empty text).
std::string BstrToUtf8(BSTR text);

// An owned BSTR, freed when it goes.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view utf8);
  explicit Bstr(std::wstring_view wide);
  Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      ::SysFreeString(text_);
      text_ = std::exchange(other.text_, nullptr);
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { ::SysFreeString(text_); }

  BSTR get() const { return text_; }
  // Hands the string over to a caller who frees it (an [out] parameter).
  BSTR Detach() { return std::exchange(text_, nullptr); }
  // Where an [out] parameter writes a new string; the old one is freed first.
  BSTR* Out() {
    ::SysFreeString(text_);
    text_ = nullptr;
    return &text_;
  }

 private:
  BSTR text_ = nullptr;
};

}  // namespace kx::com
