# Cross-builds the Windows program with mingw-w64 (x86_64-w64-mingw32): a static runtime, so
# that the program imports only from the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LOMA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LOMA_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${LOMA_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${LOMA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LOMA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in; ASLR (64-bit entropy) and DEP on.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -Wl,--dynamicbase,--nxcompat,--high-entropy-va")
