#include "platform/windows/wide_text.h"

#include "platform/windows/windows_api.h"

namespace tallix {

std::wstring wideOf(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string utf8Of(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring runningProgramPathW() {
  // Long paths reach 32767 characters; a name cut short is retried larger.
  for (std::wstring path(MAX_PATH, L'\0'); path.size() <= 32768; path.resize(path.size() * 2)) {
    const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) break;
    if (got < path.size()) {
      path.resize(got);
      return path;
    }
  }
  return {};
}

}  // namespace tallix
