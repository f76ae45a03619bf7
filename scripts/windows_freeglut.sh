# shellcheck shell=bash
# freeglut as a static library for a Windows target, built from Debian's own
# freeglut source package with the project's mingw-w64 toolchain file, where
# the windows-<target> presets look for it. Sourced after common.sh by the
# scripts that build the Windows programs.

# build_windows_freeglut TARGET (i686 or x86_64): freeglut as a static
# library for that Windows target in build/freeglut-windows-TARGET, where
# the windows-TARGET preset finds it, built from Debian's own freeglut
# source package (fetched once, for both targets).
build_windows_freeglut() {
    local target="$1" build="$MORVANE_ROOT/build"
    local freeglut="$build/freeglut-windows-$target"
    # Built again whenever the toolchain file (and so its flags) changes.
    local toolchain stamp="$freeglut/toolchain.sha256"
    toolchain=$(sha256sum "$MORVANE_ROOT/cmake/mingw-w64.cmake" | cut -d ' ' -f 1)
    if [ -f "$freeglut/lib/libglut.a" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$toolchain" ]; then
        return 0
    fi
    rm -rf "$freeglut" "$build/freeglut-build-$target"
    if ! compgen -G "$build/freeglut-source/freeglut-*/CMakeLists.txt" >/dev/null; then
        # A private sources list and lists folder: the machine's own mirrors
        # as deb-src entries, leaving its apt configuration as it is.
        local apt_dir="$build/freeglut-source/apt" f
        mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
        : > "$apt_dir/sources.list"
        if [ -f /etc/apt/sources.list ]; then
            sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >> "$apt_dir/sources.list"
        fi
        for f in /etc/apt/sources.list.d/*.list; do
            [ -e "$f" ] && sed -n 's/^deb /deb-src /p' "$f" >> "$apt_dir/sources.list"
        done
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -e "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" > "$apt_dir/sources.list.d/$(basename "$f")"
        done
        local apt_options=(-o Dir::Etc::SourceList="$apt_dir/sources.list"
                           -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" -o Dir::State::Lists="$apt_dir/lists"
                           -o Dir::Cache="$apt_dir/cache" -o APT::Sandbox::User=root)
        apt-get "${apt_options[@]}" update -qq
        (cd "$build/freeglut-source" && apt-get "${apt_options[@]}" source -qq freeglut >/dev/null)
    fi
    local source_dir
    source_dir=$(dirname "$(compgen -G "$build/freeglut-source/freeglut-*/CMakeLists.txt" | head -n 1)")
    # freeglut's own warnings are not this project's: its output goes to a
    # log that is shown only if the build fails.
    local log="$build/freeglut-windows-$target.log"
    {
        cmake -S "$source_dir" -B "$build/freeglut-build-$target" \
            -DCMAKE_TOOLCHAIN_FILE="$MORVANE_ROOT/cmake/mingw-w64.cmake" -DMORVANE_WINDOWS_TARGET="$target" \
            -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$freeglut" -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
            -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON &&
        cmake --build "$build/freeglut-build-$target" &&
        cmake --install "$build/freeglut-build-$target"
    } > "$log" 2>&1 || { cat "$log" >&2; fail "freeglut did not build for $target (log above, also in $log)"; }
    echo "$toolchain" > "$stamp"
}
