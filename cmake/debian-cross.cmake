# Cross-building for another Debian architecture on this one, with Debian's
# cross compilers (crossbuild-essential-ARCH) and the target's libraries
# installed beside this machine's own through multiarch (freeglut3-dev:ARCH
# and the rest, in /usr/lib/TRIPLET and /usr/include/TRIPLET), so no
# separate system root is needed. MORVANE_DEBIAN_TRIPLET names the target:
# aarch64-linux-gnu (Debian's arm64) or arm-linux-gnueabihf (armhf).
if(NOT MORVANE_DEBIAN_TRIPLET MATCHES "^(aarch64-linux-gnu|arm-linux-gnueabihf)$")
  message(FATAL_ERROR "MORVANE_DEBIAN_TRIPLET must be aarch64-linux-gnu or arm-linux-gnueabihf, "
                      "not '${MORVANE_DEBIAN_TRIPLET}'")
endif()
# Test programs that CMake builds while configuring need to know it too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MORVANE_DEBIAN_TRIPLET)

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${MORVANE_DEBIAN_TRIPLET})
set(CMAKE_C_COMPILER ${MORVANE_DEBIAN_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MORVANE_DEBIAN_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${MORVANE_DEBIAN_TRIPLET})
# CMake looks for libraries in /usr/lib/TRIPLET by the library architecture
# above; pkg-config, which its FindGLUT asks first, is pointed at the
# target's .pc files likewise.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${MORVANE_DEBIAN_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
