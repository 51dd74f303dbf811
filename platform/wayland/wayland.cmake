# The Wayland host for compositors with layer-shell, linked into `loma` beside the X11 host.
# Included from platform/x11/CMakeLists.txt, after the `loma` target exists.
# libwayland-client is opened at run time, only for this host (client_library.h): the build takes
# its headers, and the core protocol's description to compile the interfaces in.
pkg_check_modules(LOMA_WAYLAND REQUIRED wayland-client)
pkg_get_variable(LOMA_WAYLAND_DATA wayland-client pkgdatadir)
pkg_get_variable(LOMA_WAYLAND_SCANNER wayland-scanner wayland_scanner)
if(NOT LOMA_WAYLAND_SCANNER)
  find_program(LOMA_WAYLAND_SCANNER wayland-scanner REQUIRED)
endif()

# Bindings generated from our description of the protocol (Debian 12 packages none).
set(loma_layer_xml ${CMAKE_CURRENT_LIST_DIR}/protocol/wlr-layer-shell-unstable-v1.xml)
set(loma_layer_dir ${CMAKE_BINARY_DIR}/wayland-protocols)
set(loma_layer_header ${loma_layer_dir}/wlr-layer-shell-unstable-v1-client-protocol.h)
set(loma_layer_code ${loma_layer_dir}/wlr-layer-shell-unstable-v1-protocol.c)
# Its get_popup names xdg_popup, whose interface comes from Debian's xdg-shell description.
pkg_get_variable(LOMA_WAYLAND_PROTOCOLS wayland-protocols pkgdatadir)
set(loma_xdg_xml ${LOMA_WAYLAND_PROTOCOLS}/stable/xdg-shell/xdg-shell.xml)
set(loma_xdg_code ${loma_layer_dir}/xdg-shell-protocol.c)
# The output's logical size, from Debian's xdg-output description.
set(loma_output_xml ${LOMA_WAYLAND_PROTOCOLS}/unstable/xdg-output/xdg-output-unstable-v1.xml)
set(loma_output_header ${loma_layer_dir}/xdg-output-unstable-v1-client-protocol.h)
set(loma_output_code ${loma_layer_dir}/xdg-output-unstable-v1-protocol.c)
set(loma_core_xml ${LOMA_WAYLAND_DATA}/wayland.xml)
set(loma_core_code ${loma_layer_dir}/wayland-protocol.c)
add_custom_command(OUTPUT ${loma_core_code}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${loma_layer_dir}
  COMMAND ${LOMA_WAYLAND_SCANNER} private-code ${loma_core_xml} ${loma_core_code}
  DEPENDS ${loma_core_xml} VERBATIM)
add_custom_command(OUTPUT ${loma_output_header} ${loma_output_code}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${loma_layer_dir}
  COMMAND ${LOMA_WAYLAND_SCANNER} client-header ${loma_output_xml} ${loma_output_header}
  COMMAND ${LOMA_WAYLAND_SCANNER} private-code ${loma_output_xml} ${loma_output_code}
  DEPENDS ${loma_output_xml} VERBATIM)
add_custom_command(OUTPUT ${loma_layer_header} ${loma_layer_code} ${loma_xdg_code}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${loma_layer_dir}
  COMMAND ${LOMA_WAYLAND_SCANNER} client-header ${loma_layer_xml} ${loma_layer_header}
  COMMAND ${LOMA_WAYLAND_SCANNER} private-code ${loma_layer_xml} ${loma_layer_code}
  COMMAND ${LOMA_WAYLAND_SCANNER} private-code ${loma_xdg_xml} ${loma_xdg_code}
  DEPENDS ${loma_layer_xml} ${loma_xdg_xml} VERBATIM)

# Where the layer surface goes: no compositor needed, tested on its own.
add_library(loma_wayland_placement STATIC ${CMAKE_CURRENT_LIST_DIR}/layer_placement.cpp)
target_link_libraries(loma_wayland_placement PUBLIC loma_forms)

# The client side of the protocols without the library: the interfaces and the functions'
# pointers, tested on their own.
enable_language(C)
add_library(loma_wayland_client STATIC
  ${CMAKE_CURRENT_LIST_DIR}/client_library.cpp ${loma_core_code} ${loma_layer_code}
  ${loma_xdg_code} ${loma_output_code} ${loma_layer_header} ${loma_output_header})
target_include_directories(loma_wayland_client PUBLIC
  ${PROJECT_SOURCE_DIR} ${loma_layer_dir} ${LOMA_WAYLAND_INCLUDE_DIRS})
target_link_libraries(loma_wayland_client PUBLIC ${CMAKE_DL_LIBS})

target_sources(loma PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/host.cpp ${CMAKE_CURRENT_LIST_DIR}/connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shm_buffers.cpp ${CMAKE_CURRENT_LIST_DIR}/pointer_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_message.cpp)
target_link_libraries(loma PRIVATE loma_wayland_placement loma_wayland_client)
