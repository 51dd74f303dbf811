# Cross-builds the Windows program with mingw-w64: x86_64-w64-mingw32, or the triple that a
# wrapper such as mingw-w64-i686.cmake sets first. A static runtime, so that the program
# imports only from the system's own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED LOMA_MINGW_TRIPLE)
  set(LOMA_MINGW_TRIPLE x86_64-w64-mingw32)
endif()
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${LOMA_MINGW_TRIPLE}")

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
# A 32-bit address space has no high-entropy ASLR.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  string(REPLACE ",--high-entropy-va" "" CMAKE_EXE_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
endif()
# Reproducible program files: no link time in the PE header (its checksum stays 0 as well).
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")
