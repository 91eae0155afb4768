#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdint>
#include <cwctype>

#include "platform/windows/windows_api.h"

namespace tallix {

FolderLock lockDataFolder(const std::string& folder) {
  // A named mutex per data folder; Windows names ignore case, so the name is
  // made from the folder's name in lower case.
  const int size = MultiByteToWideChar(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()), wide.data(), size);
  std::uint64_t hash = 14695981039346656037ULL;
  for (wchar_t c : wide) {
    hash ^= static_cast<std::uint64_t>(std::towlower(static_cast<wint_t>(c)));
    hash *= 1099511628211ULL;
  }
  wchar_t name[64] = {};
  swprintf(name, 64, L"Local\\Tallix-%016llx", static_cast<unsigned long long>(hash));
  HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
  if (mutex == nullptr) return {LockOutcome::Failed, GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO};
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return {LockOutcome::HeldElsewhere, 0};
  }
  return {LockOutcome::Taken, 0};  // the handle stays open: it is the lock
}

}  // namespace tallix
