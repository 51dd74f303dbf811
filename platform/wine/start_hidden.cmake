# The start helpers that the Linux program runs under Wine to start a Windows program hidden:
# start-hidden-x86.exe and start-hidden-x64.exe, beside `loma` in the build folder and in
# lib/loma/ when installed. One per architecture, and the launcher takes the one of the program
# it starts: Debian's Wine runs 32-bit programs only with wine32 and 64-bit ones only with
# wine64, so a helper of the program's own architecture asks no more of Wine than the program
# itself does.
#
# They are cross-compiled here with mingw-w64's C compiler, called directly: two files of a few
# kilobytes, linked against kernel32 alone, with no C runtime (hence -nostdlib and our own
# entry point), stripped, with no link time in the PE header and no compiler ident (it names
# the thread model that the machine's alternatives happen to pick), so that the same source
# gives the same bytes wherever it is built. Without the cross compiler the program is built
# without them and starts Windows programs through Wine as it is, visibly.
set(LOMA_START_HIDDEN_SOURCE ${CMAKE_CURRENT_LIST_DIR}/start_hidden.c)
set(LOMA_START_HIDDEN_FILES)
foreach(arch x86 x64)
  if(arch STREQUAL x86)
    set(triple i686-w64-mingw32)
    set(entry _startHidden)  # 32-bit C symbols carry a leading underscore
    set(aslr "")
  else()
    set(triple x86_64-w64-mingw32)
    set(entry startHidden)
    set(aslr ",--high-entropy-va")
  endif()
  find_program(LOMA_MINGW_GCC_${arch} NAMES ${triple}-gcc ${triple}-gcc-win32 ${triple}-gcc-posix)
  if(NOT LOMA_MINGW_GCC_${arch})
    message(WARNING "No ${triple}-gcc (Debian: gcc-mingw-w64): the Linux program is built without "
                    "start-hidden-${arch}.exe and starts such Windows programs visibly")
    continue()
  endif()
  set(output ${CMAKE_BINARY_DIR}/start-hidden-${arch}.exe)
  set(warnings -Wall -Wextra -Wpedantic -Wshadow -Wconversion)
  if(LOMA_WERROR)
    list(APPEND warnings -Werror)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${LOMA_MINGW_GCC_${arch}} -std=c11 -Os ${warnings}
            -municode -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN
            -ffreestanding -fno-tree-loop-distribute-patterns -fno-asynchronous-unwind-tables
            -fno-ident -nostdlib -nostartfiles -mwindows -s
            -Wl,--no-insert-timestamp,--dynamicbase,--nxcompat${aslr},--fatal-warnings,-e,${entry}
            -o ${output} ${LOMA_START_HIDDEN_SOURCE} -lkernel32
    DEPENDS ${LOMA_START_HIDDEN_SOURCE}
    COMMENT "Cross-compiling start-hidden-${arch}.exe" VERBATIM)
  list(APPEND LOMA_START_HIDDEN_FILES ${output})
endforeach()
if(LOMA_START_HIDDEN_FILES)
  add_custom_target(loma_start_hidden ALL DEPENDS ${LOMA_START_HIDDEN_FILES})
  # Whoever builds the program gets its helpers beside it.
  add_dependencies(loma loma_start_hidden)
  # A Windows program that Wine reads; not run by the system itself, so not executable.
  install(FILES ${LOMA_START_HIDDEN_FILES} DESTINATION lib/loma)
endif()
