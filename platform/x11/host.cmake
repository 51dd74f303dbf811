# The Linux program: the X11 host over the painter and the POSIX services, and its installation.
# Included from the top-level list, so that `loma` lands in the top of the build folder.
find_package(X11 REQUIRED)
include(GNUInstallDirs)

# The screen's density from the resource database and the choice of its primary monitor;
# tested without a display.
add_library(loma_x11_density STATIC platform/x11/density.cpp platform/x11/primary_choice.cpp)
target_link_libraries(loma_x11_density PUBLIC loma_forms X11::X11)

add_executable(loma
  platform/x11/main.cpp platform/x11/host.cpp platform/x11/presenter.cpp
  platform/x11/message_box.cpp platform/x11/window_manager.cpp platform/x11/monitor.cpp
  platform/x11/a11y_status.cpp platform/x11/atk_bridge.cpp)
# Screen readers: ATK, its AT-SPI bridge, GLib and libdbus are loaded at run time, only when the
# session's accessibility is on; their headers are all the build takes from them.
pkg_check_modules(LOMA_A11Y REQUIRED atk atk-bridge-2.0 dbus-1 gobject-2.0 glib-2.0)
target_include_directories(loma PRIVATE ${LOMA_A11Y_INCLUDE_DIRS})
# Everything but the C library is linked in where Debian has the archive (Cairo and what it
# draws with, FreeType, TurboJPEG, Xlib and its extensions): each shared object costs page faults
# and relocations at every start. fontconfig and expat only satisfy Cairo's FreeType code; the
# program never configures them. The Debian package turns this off (tools/release.sh): there the
# libraries stay the shared ones that Debian keeps up to date.
option(LOMA_LINK_STATIC "Link the Linux program's libraries in from their archives" ON)
if(LOMA_LINK_STATIC)
  set(LOMA_LINKED_IN
    cairo pixman-1 fontconfig expat freetype png16 z bz2 brotlidec brotlicommon
    Xrandr Xinerama Xrender Xext xcb-shm xcb-render X11 xcb Xau Xdmcp)
  set(LOMA_LINKED_IN_FILES ${LOMA_TURBOJPEG})
  foreach(name IN LISTS LOMA_LINKED_IN)
    find_library(LOMA_ARCHIVE_${name} NAMES lib${name}.a REQUIRED)
    list(APPEND LOMA_LINKED_IN_FILES ${LOMA_ARCHIVE_${name}})
  endforeach()
  set(LOMA_PROGRAM_LIBRARIES -Wl,--start-group ${LOMA_LINKED_IN_FILES} -Wl,--end-group m pthread)
else()
  find_package(X11 REQUIRED COMPONENTS Xext Xrandr Xrender Xinerama)
  set(LOMA_PROGRAM_LIBRARIES X11::Xrandr X11::Xinerama X11::Xrender X11::Xext X11::X11)
endif()
target_link_libraries(loma PRIVATE
  loma_system loma_x11_paint loma_x11_density loma_posix ${LOMA_PROGRAM_LIBRARIES}
  ${CMAKE_DL_LIBS})
target_link_options(loma PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed -Wl,-O1 -Wl,--gc-sections)

# What the Windows program file carries as its icon and version block, a Linux desktop finds in
# a desktop entry, an icon theme and an AppStream component.
# The version as the program file's version block writes it: "1.00".
string(LENGTH "${PROJECT_VERSION_MINOR}" minor_digits)
if(minor_digits EQUAL 1)
  set(LOMA_FILE_VERSION "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
  set(LOMA_FILE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()
configure_file(platform/x11/loma.desktop.in ${CMAKE_BINARY_DIR}/loma.desktop @ONLY)
# The release's day is the changelog's: the day of SOURCE_DATE_EPOCH (which string(TIMESTAMP)
# honours), else of the last commit, as tools/release.sh sets it.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    OUTPUT_VARIABLE loma_commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(loma_commit_time)
  set(ENV{SOURCE_DATE_EPOCH} "${loma_commit_time}")
  string(TIMESTAMP LOMA_RELEASE_DATE "%Y-%m-%d" UTC)
  unset(ENV{SOURCE_DATE_EPOCH})
else()
  string(TIMESTAMP LOMA_RELEASE_DATE "%Y-%m-%d" UTC)
endif()
set(LOMA_METAINFO invalid.zavro.loma.metainfo.xml)
configure_file(platform/x11/loma.metainfo.xml.in ${CMAKE_BINARY_DIR}/${LOMA_METAINFO} @ONLY)

install(TARGETS loma RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
include(platform/wine/start_hidden.cmake)
install(FILES ${CMAKE_BINARY_DIR}/loma.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${LOMA_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The window icon at every size of the theme, drawn by the artwork generator from its pixels.
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${LOMA_ASSETS_DIR}/icons/loma-${size}.png RENAME loma.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The fonts are inside the program, which hands them to FreeType from memory: no font file is
# installed where every other program's font menu would list the two subsets.
# Their licences go with the documentation, as the OFL asks.
file(GLOB LOMA_FONT_LICENCES ${LOMA_ASSETS_DIR}/fonts/LICENSE*)
install(FILES ${LOMA_FONT_LICENCES} DESTINATION ${CMAKE_INSTALL_DOCDIR})
