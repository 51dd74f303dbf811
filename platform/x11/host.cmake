# The Linux program: the X11 host over the painter and the POSIX services, and its installation.
# Included from the top-level list, so that `loma` lands in the top of the build folder.
find_package(X11 REQUIRED COMPONENTS Xext Xrandr)

add_executable(loma
  platform/x11/main.cpp platform/x11/host.cpp platform/x11/presenter.cpp
  platform/x11/message_box.cpp platform/x11/window_manager.cpp platform/x11/monitor.cpp)
target_link_libraries(loma PRIVATE
  loma_system loma_x11_paint loma_posix X11::X11 X11::Xext X11::Xrandr)
