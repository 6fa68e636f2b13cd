#include "module/RibbonDefinition.h"

#include <windows.h>

#include <string>

namespace kx::module {

namespace {

// Far more than any ribbon definition: a file this big is no definition of ours.
constexpr LONGLONG kLargestDefinition = 16 << 20;

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kLargestDefinition) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
      read = 0;
    }
    bytes.resize(read);
  }
  ::CloseHandle(file);
  return bytes;
}

}  // namespace

std::wstring ReadRibbonDefinition(const std::wstring& moduleFolder) {
  std::string bytes = ReadWholeFile(moduleFolder + L"\\CaseRibbon.xml");
  if (bytes.empty()) return {};
  int size = static_cast<int>(bytes.size());
  int units = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), units);
  return text;
}

}  // namespace kx::module
