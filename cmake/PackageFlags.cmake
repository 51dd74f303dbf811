# Debian's build flags, hardening included (dpkg-buildflags with hardening=+all: fortified
# sources, stack protection, read-only relocations bound at start, position-independent code),
# as a Debian package's build takes them. The linux preset and tools/release.sh both turn this
# on, so that the program the tests and the bench run is the program the package installs.
option(LOMA_PACKAGE_FLAGS "Build with Debian's package flags (dpkg-buildflags, hardening=+all)" OFF)
if(LOMA_PACKAGE_FLAGS)
  find_program(LOMA_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    # Run from the source folder: the prefix map it adds then writes sources as ".".
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${LOMA_DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(LOMA_PACKAGE_${kind} UNIX_COMMAND "${flags}")
  endforeach()
  add_compile_options(${LOMA_PACKAGE_CPPFLAGS} ${LOMA_PACKAGE_CXXFLAGS})
  add_link_options(${LOMA_PACKAGE_LDFLAGS})
endif()
