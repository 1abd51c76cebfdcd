# Cross-building the Windows program with mingw-w64 (Debian's posix-thread variant, which
# has std::thread). scripts/build-windows passes KORVO_WIN_DEPS, the prefix that holds the
# cross-built libjpeg-turbo (and GoogleTest for the tests).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(KORVO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVO_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVO_MINGW})
if(KORVO_WIN_DEPS)
    list(APPEND CMAKE_FIND_ROOT_PATH "${KORVO_WIN_DEPS}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: no libstdc++, libgcc or winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test executables run under Wine, at build time (test discovery) and in ctest.
find_program(KORVO_WINE wine)
if(KORVO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${KORVO_WINE}")
endif()
