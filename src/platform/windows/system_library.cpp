#include "platform/windows/system_library.h"

namespace tallix {

void loadLibrariesFromSystemFolderOnly() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

FARPROC systemFunction(const wchar_t* library, const char* name) {
  // Callers keep what they get: a DLL loaded here stays for the whole run.
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

}  // namespace tallix
