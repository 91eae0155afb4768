# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX
# thread model, so std::thread and std::mutex are there). Programs are linked
# statically: they run under Wine or on a bare Windows without MinGW DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALLIX_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${TALLIX_MINGW_TRIPLE}-gcc-posix ${TALLIX_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TALLIX_MINGW_TRIPLE}-g++-posix ${TALLIX_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TALLIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TALLIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages built for the target elsewhere (GoogleTest) are found by their own
# *_DIR or CMAKE_PREFIX_PATH, outside the MinGW root.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Lets CTest (and test discovery) start the .exe files through Wine.
find_program(TALLIX_WINE NAMES wine wine64)
if(TALLIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TALLIX_WINE})
endif()
