# Cross-building for Windows with Debian's mingw-w64 toolchain.
# MORVANE_WINDOWS_TARGET says for which processor: i686 (a 32-bit program)
# or x86_64 (a 64-bit one).
if(NOT MORVANE_WINDOWS_TARGET MATCHES "^(i686|x86_64)$")
  message(FATAL_ERROR "MORVANE_WINDOWS_TARGET must be i686 or x86_64, not '${MORVANE_WINDOWS_TARGET}'")
endif()
# Test programs that CMake builds while configuring need to know it too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MORVANE_WINDOWS_TARGET)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MORVANE_WINDOWS_TARGET})

set(CMAKE_C_COMPILER ${MORVANE_WINDOWS_TARGET}-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER ${MORVANE_WINDOWS_TARGET}-w64-mingw32-g++)
set(CMAKE_RC_COMPILER ${MORVANE_WINDOWS_TARGET}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORVANE_WINDOWS_TARGET}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# What a Windows program is expected to carry, stated here rather than left
# to the linker's defaults; freeglut is built with this file too, so it
# gets the same. Code: the stack protector, and _FORTIFY_SOURCE's checked
# string and memory functions (mingw-w64 has them, from libssp). Header:
# ASLR (DYNAMIC_BASE, and on 64-bit HIGH_ENTROPY_VA), DEP (NX_COMPAT) and
# TERMINAL_SERVER_AWARE. mingw-w64's GCC (12 on Debian 12, 14 on Debian 13, 16
# on testing) cannot give Control Flow Guard (the /guard:cf
# of Microsoft's compilers, which came to mingw-w64 only with its later
# Clang toolchains), nor CET shadow stacks for Windows.
set(hardening "-fstack-protector-strong -D_FORTIFY_SOURCE=2")
set(CMAKE_C_FLAGS_INIT "${hardening}")
set(CMAKE_CXX_FLAGS_INIT "${hardening}")
# No link time in the header either (Windows needs none): the same sources
# make the same program, however long after and however often relinked.
set(pe_flags "-Wl,--dynamicbase,--nxcompat,--tsaware,--no-insert-timestamp")
if(MORVANE_WINDOWS_TARGET STREQUAL "x86_64")
  string(APPEND pe_flags ",--high-entropy-va")
endif()

# The C and C++ runtimes (and libssp) go into the executable, so that it
# needs no DLL beyond those every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -fstack-protector-strong ${pe_flags}")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
