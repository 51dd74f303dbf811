# The Wayland host for compositors with layer-shell, linked into `loma` beside the X11 host.
# Included from platform/x11/CMakeLists.txt, after the `loma` target exists.
pkg_check_modules(LOMA_WAYLAND REQUIRED IMPORTED_TARGET wayland-client)
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

enable_language(C)
target_sources(loma PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/host.cpp ${CMAKE_CURRENT_LIST_DIR}/connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shm_buffers.cpp ${CMAKE_CURRENT_LIST_DIR}/pointer_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_message.cpp ${loma_layer_code} ${loma_xdg_code}
  ${loma_output_code} ${loma_output_header})
target_include_directories(loma PRIVATE ${loma_layer_dir})
target_link_libraries(loma PRIVATE loma_wayland_placement PkgConfig::LOMA_WAYLAND)
