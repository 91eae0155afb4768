#include "platform/windows/system_library.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/windows/wide_text.h"

namespace tallix {
namespace {

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring pathOfModule(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(module, path.data(), MAX_PATH));
  return path;
}

// A DLL of the same name planted beside the program is never the one loaded:
// the remote-access and the interface-table DLLs come from the system folder.
TEST(SystemLibrary, ComesFromTheSystemFolderWhateverLiesBesideTheProgram) {
  std::wstring system(MAX_PATH, L'\0');
  system.resize(GetSystemDirectoryW(system.data(), MAX_PATH));
  const std::wstring beside = folderOf(runningProgramPathW());
  loadLibrariesFromSystemFolderOnly();
  for (const wchar_t* dll : {L"rasapi32.dll", L"iphlpapi.dll"}) {
    // Another DLL of Windows under that name, without the functions asked for.
    const std::wstring planted = beside + L"\\" + dll;
    ASSERT_TRUE(CopyFileW((system + L"\\version.dll").c_str(), planted.c_str(), FALSE));
    const char* function = dll[0] == L'r' ? "RasEnumConnectionsA" : "GetIfTable2";
    const FARPROC found = systemFunction(dll, function);
    EXPECT_NE(found, nullptr) << function;
    HMODULE module = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(found), &module));
    EXPECT_EQ(CompareStringOrdinal(folderOf(pathOfModule(module)).c_str(), -1, system.c_str(), -1, TRUE), CSTR_EQUAL)
        << utf8Of(pathOfModule(module));
    DeleteFileW(planted.c_str());
  }
  EXPECT_EQ(systemFunction(L"rasapi32.dll", "NoSuchFunction"), nullptr);
  EXPECT_EQ(systemFunction(L"no-such-library.dll", "Anything"), nullptr);
}

}  // namespace
}  // namespace tallix
