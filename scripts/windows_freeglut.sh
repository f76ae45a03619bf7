# shellcheck shell=bash
# freeglut as a static library for a Windows target, built from its pinned
# upstream source with the project's mingw-w64 toolchain file, where the
# windows-<target> presets look for it. Sourced after common.sh by the
# scripts that build the Windows programs.

# The freeglut inside the Windows programs: upstream's release, as the
# Debian archive keeps it for every release's freeglut package, checked by
# its SHA-256 before it is unpacked, so that neither this machine's release
# nor the archive's current revision of the package changes what the
# programs are built from. Debian's own patch to it (3.4.0-1: the shared
# library's so-version) concerns only the shared library on Linux, so none
# is applied.
FREEGLUT_VERSION=3.4.0
FREEGLUT_SHA256=3c0bcb915d9b180a97edaebd011b7a1de54583a838644dcd42bb0ea0c6f3eaec

# build_windows_freeglut TARGET (i686 or x86_64): freeglut as a static
# library for that Windows target in build/freeglut-windows-TARGET, where
# the windows-TARGET preset finds it (the source is fetched once, for both
# targets, into build/freeglut-source).
build_windows_freeglut() {
    local target="$1" build="$MORVANE_ROOT/build"
    local freeglut="$build/freeglut-windows-$target"
    # Built again whenever the toolchain file (and so its flags) or the
    # source changes.
    local inputs stamp="$freeglut/inputs.sha256"
    inputs=$(cat "$MORVANE_ROOT/cmake/mingw-w64.cmake" <(echo "$FREEGLUT_SHA256") | sha256sum | cut -d ' ' -f 1)
    if [ -f "$freeglut/lib/libglut.a" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$inputs" ]; then
        return 0
    fi
    rm -rf "$freeglut" "$build/freeglut-build-$target"
    local sources="$build/freeglut-source" tarball="freeglut_$FREEGLUT_VERSION.orig.tar.gz"
    local source_dir="$sources/freeglut-$FREEGLUT_VERSION"
    if [ ! -f "$source_dir/CMakeLists.txt" ]; then
        mkdir -p "$sources"
        if ! echo "$FREEGLUT_SHA256  $sources/$tarball" | sha256sum --check --status 2>/dev/null; then
            local url
            url="$(debian_mirror)/pool/main/f/freeglut/$tarball"
            curl --silent --show-error --fail --location --output "$sources/$tarball.partial" "$url" ||
                fail "could not fetch freeglut's source from $url"
            echo "$FREEGLUT_SHA256  $sources/$tarball.partial" | sha256sum --check --status ||
                fail "$url is not freeglut $FREEGLUT_VERSION: its SHA-256 is not $FREEGLUT_SHA256"
            mv "$sources/$tarball.partial" "$sources/$tarball"
        fi
        rm -rf "$source_dir"
        tar -C "$sources" -xzf "$sources/$tarball"
    fi
    # freeglut's own warnings are not this project's: its output goes to a
    # log that is shown only if the build fails. freeglut 3.4.0 asks for a
    # CMake older than 3.5, which CMake 4 no longer emulates: it is built
    # with the policies of 3.5, which it works with, on every CMake from
    # 3.25 (which ignores the setting) to 4.
    local log="$build/freeglut-windows-$target.log"
    {
        cmake -S "$source_dir" -B "$build/freeglut-build-$target" \
            -DCMAKE_TOOLCHAIN_FILE="$MORVANE_ROOT/cmake/mingw-w64.cmake" -DMORVANE_WINDOWS_TARGET="$target" \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_POLICY_VERSION_MINIMUM=3.5 \
            -DCMAKE_INSTALL_PREFIX="$freeglut" -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
            -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON &&
        cmake --build "$build/freeglut-build-$target" &&
        cmake --install "$build/freeglut-build-$target"
    } > "$log" 2>&1 || { cat "$log" >&2; fail "freeglut did not build for $target (log above, also in $log)"; }
    echo "$inputs" > "$stamp"
}
