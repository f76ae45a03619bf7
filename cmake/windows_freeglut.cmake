# freeglut as a static library for the Windows target, built while the
# windows-<target> preset configures, into the preset's own folder
# (freeglut/), with this project's toolchain file, so that it gets the same
# flags as the program.
#
# Its source is upstream's release, as the Debian archive keeps it for every
# release's freeglut package, checked by its SHA-256 before it is unpacked,
# so that neither the machine's release nor the archive's current revision
# of the package changes what the programs are built from. Debian's own
# patch to it (3.4.0-1: the shared library's so-version) concerns only the
# shared library on Linux, so none is applied. freeglut 3.4.0 asks for a
# CMake older than 3.5, which CMake 4 no longer emulates: it is configured
# with the policies of 3.5, which it works with, on every CMake from 3.25
# (which ignores the setting) to 4.
#
# It is built again when its folder is gone or the toolchain file (and so
# its flags) changes; its own output goes to freeglut.log, shown only if it
# fails, since its warnings are not this project's. The tarball is kept in
# MORVANE_DOWNLOAD_DIR, which the presets of both targets share, and is not
# fetched again while it is there with the right hash.
set(freeglut_version 3.4.0)
set(freeglut_sha256 3c0bcb915d9b180a97edaebd011b7a1de54583a838644dcd42bb0ea0c6f3eaec)
set(freeglut_tarball freeglut_${freeglut_version}.orig.tar.gz)
# The scripts name the machine's own mirror (scripts/common.sh).
if(DEFINED ENV{MORVANE_DEBIAN_MIRROR})
  set(freeglut_mirror $ENV{MORVANE_DEBIAN_MIRROR})
else()
  set(freeglut_mirror http://deb.debian.org/debian)
endif()

set(MORVANE_DOWNLOAD_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Where the source tarballs the build fetches are kept")

set(freeglut ${CMAKE_BINARY_DIR}/freeglut)
set(freeglut_log ${CMAKE_BINARY_DIR}/freeglut.log)
file(SHA256 ${CMAKE_TOOLCHAIN_FILE} toolchain_sha256)
set(freeglut_inputs "${freeglut_sha256} ${toolchain_sha256}")
set(freeglut_stamp ${freeglut}/inputs.txt)
set(freeglut_built "")
if(EXISTS ${freeglut_stamp})
  file(READ ${freeglut_stamp} freeglut_built)
endif()

# freeglut_step(NAME COMMAND...): one step of freeglut's build, its output
# kept in the log, which a failure shows.
function(freeglut_step name)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
  file(APPEND ${freeglut_log} "${output}")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "freeglut did not ${name} for ${MORVANE_WINDOWS_TARGET} (${freeglut_log}):\n${output}")
  endif()
endfunction()

if(NOT EXISTS ${freeglut}/lib/libglut.a OR NOT freeglut_built STREQUAL freeglut_inputs)
  message(STATUS "Building freeglut ${freeglut_version} for ${MORVANE_WINDOWS_TARGET}-w64-mingw32 (log: ${freeglut_log})")
  file(REMOVE_RECURSE ${freeglut} ${CMAKE_BINARY_DIR}/freeglut-source ${CMAKE_BINARY_DIR}/freeglut-build
    ${freeglut_log})
  set(url ${freeglut_mirror}/pool/main/f/freeglut/${freeglut_tarball})
  set(tarball ${MORVANE_DOWNLOAD_DIR}/${freeglut_tarball})
  file(DOWNLOAD ${url} ${tarball} STATUS download EXPECTED_HASH SHA256=${freeglut_sha256})
  list(GET download 0 download_status)
  if(NOT download_status EQUAL 0)
    file(REMOVE ${tarball})
    message(FATAL_ERROR "could not fetch freeglut ${freeglut_version}'s source from ${url}: ${download}")
  endif()
  file(ARCHIVE_EXTRACT INPUT ${tarball} DESTINATION ${CMAKE_BINARY_DIR}/freeglut-source)
  set(source ${CMAKE_BINARY_DIR}/freeglut-source/freeglut-${freeglut_version})
  set(build ${CMAKE_BINARY_DIR}/freeglut-build)
  freeglut_step(configure ${CMAKE_COMMAND} -S ${source} -B ${build}
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DMORVANE_WINDOWS_TARGET=${MORVANE_WINDOWS_TARGET}
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_POLICY_VERSION_MINIMUM=3.5 -DCMAKE_INSTALL_PREFIX=${freeglut}
    -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF
    -DFREEGLUT_REPLACE_GLUT=ON)
  freeglut_step(build ${CMAKE_COMMAND} --build ${build})
  freeglut_step(install ${CMAKE_COMMAND} --install ${build})
  file(WRITE ${freeglut_stamp} "${freeglut_inputs}")
endif()

set(GLUT_INCLUDE_DIR ${freeglut}/include CACHE PATH "freeglut's headers" FORCE)
set(GLUT_glut_LIBRARY_RELEASE ${freeglut}/lib/libglut.a CACHE FILEPATH "freeglut, static" FORCE)
