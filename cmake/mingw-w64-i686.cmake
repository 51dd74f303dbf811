# Cross-builds the 32-bit Windows program (i686-w64-mingw32); see mingw-w64.cmake.
set(LOMA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
