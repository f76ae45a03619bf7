# freeglut as a static library for the Windows target, built before the
# program into the preset's own folder (freeglut/), with this project's
# toolchain file, so that it gets the same flags as the program; built again
# when that file (and so its flags) changes. Its own output goes to log files
# that a failure shows, since its warnings are not this project's.
#
# Its source is upstream's release, as the Debian archive keeps it for every
# release's freeglut package, checked by its SHA-256 before it is unpacked,
# so that neither the machine's release nor the archive's current revision
# of the package changes what the programs are built from. Debian's own
# patch to it (3.4.0-1: the shared library's so-version) concerns only the
# shared library on Linux, so none is applied. The tarball is kept in
# MORVANE_DOWNLOAD_DIR, which the presets of both targets share, and is not
# fetched again while it is there with the right hash. freeglut 3.4.0 asks
# for a CMake older than 3.5, which CMake 4 no longer emulates: CMake 4 is
# told to configure it with the policies of 3.5, which it works with; CMake
# 3.25 to 3.31 neither know nor need the setting.
include(ExternalProject)
set(MORVANE_DOWNLOAD_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Where the source tarballs the build fetches are kept")
# The scripts name the machine's own mirror (scripts/common.sh).
set(freeglut_mirror http://deb.debian.org/debian)
if(DEFINED ENV{MORVANE_DEBIAN_MIRROR})
  set(freeglut_mirror $ENV{MORVANE_DEBIAN_MIRROR})
endif()
set(freeglut ${CMAKE_BINARY_DIR}/freeglut)
ExternalProject_Add(freeglut_static
  URL ${freeglut_mirror}/pool/main/f/freeglut/freeglut_3.4.0.orig.tar.gz
  URL_HASH SHA256=3c0bcb915d9b180a97edaebd011b7a1de54583a838644dcd42bb0ea0c6f3eaec
  DOWNLOAD_DIR ${MORVANE_DOWNLOAD_DIR} DOWNLOAD_EXTRACT_TIMESTAMP OFF
  PREFIX ${CMAKE_BINARY_DIR}/freeglut-build INSTALL_DIR ${freeglut}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DMORVANE_WINDOWS_TARGET=${MORVANE_WINDOWS_TARGET}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_POLICY_VERSION_MINIMUM=3.5 -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF
    -DFREEGLUT_REPLACE_GLUT=ON
  BUILD_BYPRODUCTS ${freeglut}/lib/libglut.a
  LOG_DOWNLOAD ON LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON LOG_OUTPUT_ON_FAILURE ON)
ExternalProject_Add_StepDependencies(freeglut_static configure ${CMAKE_TOOLCHAIN_FILE})

# find_package(GLUT) takes these as they are; the imported target's header
# folder must exist before freeglut is built.
file(MAKE_DIRECTORY ${freeglut}/include)
set(GLUT_INCLUDE_DIR ${freeglut}/include CACHE PATH "freeglut's headers" FORCE)
set(GLUT_glut_LIBRARY_RELEASE ${freeglut}/lib/libglut.a CACHE FILEPATH "freeglut, static" FORCE)
