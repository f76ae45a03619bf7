# The flags Debian builds its packages with, as dpkg-buildflags gives them
# with every hardening feature on (on Debian 12: the stack protector,
# _FORTIFY_SOURCE, format string checks, read-only relocations bound at
# start-up (RELRO, BIND_NOW) and a position-independent executable; Debian 13
# adds stack clash protection and, on amd64, control-flow protection). They
# come from dpkg-buildflags, not from a copy here, so that the package follows
# Debian as it changes.
# dpkg-buildflags maps the folder it runs in to "." in debugging
# information, so it runs in the source folder: no build path is kept.
find_program(MORVANE_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT MORVANE_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "dpkg-buildflags, which gives Debian's build flags, is missing: install dpkg-dev")
endif()
foreach(kind CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_HOST_ARCH=${MORVANE_DEBIAN_ARCHITECTURE}
            ${MORVANE_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE debian_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
string(APPEND CMAKE_C_FLAGS " ${debian_CPPFLAGS} ${debian_CFLAGS}")
string(APPEND CMAKE_CXX_FLAGS " ${debian_CPPFLAGS} ${debian_CXXFLAGS}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${debian_LDFLAGS}")
message(STATUS "Debian build flags: ${debian_CPPFLAGS} ${debian_CXXFLAGS} ${debian_LDFLAGS}")
