#include "module/RibbonDefinition.h"

#include <windows.h>

#include <string>

#include "com/Text.h"

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
  return com::MultiByteToWide(ReadWholeFile(moduleFolder + L"\\CaseRibbon.xml"), CP_ACP);
}

}  // namespace kx::module
