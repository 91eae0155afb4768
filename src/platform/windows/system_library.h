// DLLs of Windows itself are loaded from the system folder only, never from
// the program's folder or the current one: a DLL dropped beside a portable
// copy must not be loaded in its place.
#pragma once

#include "platform/windows/windows_api.h"

namespace tallix {

// From here on, every DLL the process loads by name comes from the system
// folder (System32); DLLs loaded by their full path, as the toolkit loads
// its plugins, are not affected. Called first thing at start.
void loadLibrariesFromSystemFolderOnly();

// The function `name` of the system DLL `library` (loaded once, from
// System32 only); null when the DLL or the function is not there.
FARPROC systemFunction(const wchar_t* library, const char* name);

// The same, as a pointer of the function's own type.
template <typename Function>
Function* systemFunctionOf(const wchar_t* library, const char* name) {
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(systemFunction(library, name)));
}

}  // namespace tallix
