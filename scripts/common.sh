# shellcheck shell=bash
# Shared by the scripts in this folder: package installation, builds through
# the CMake presets, and naming the step that failed. Sourced, not run.

set -euo pipefail

MORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Whatever the caller's settings, what the scripts build is the same bytes
# from the same commit: files made with the same permissions, times written
# in UTC (zip entries keep local times), and every time stamp taken from
# SOURCE_DATE_EPOCH, which is the last commit's time unless set already.
umask 022
export TZ=UTC
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$MORVANE_ROOT" log -1 --format=%ct 2>/dev/null || true)
    if [ -z "$SOURCE_DATE_EPOCH" ]; then
        echo "warning: not a git checkout and SOURCE_DATE_EPOCH is not set: builds will carry today's times" >&2
        unset SOURCE_DATE_EPOCH
    fi
fi
[ -z "${SOURCE_DATE_EPOCH:-}" ] || export SOURCE_DATE_EPOCH

# Builds, workflow presets' included, use every core.
CMAKE_BUILD_PARALLEL_LEVEL=$(nproc 2>/dev/null || echo 2)
export CMAKE_BUILD_PARALLEL_LEVEL

# What building the program, its tools and its tests needs, and what the
# tools and tests need to run (a private X server, Mesa's renderer).
# shellcheck disable=SC2034 # used by the scripts that source this file
DEV_PACKAGES=(g++ make cmake freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri xvfb
              libx11-dev libpng-dev libgif-dev libgtest-dev)

current_step=""
step() {
    current_step="$1"
    echo "==> $1"
}
on_error() {
    echo "FAILED: ${current_step:-start-up} (exit status $1)" >&2
}
trap 'on_error $?' ERR

# Stops with a reason a person can act on.
fail() {
    trap - ERR
    echo "FAILED: ${current_step:-start-up}: $*" >&2
    exit 1
}

# Runs a command as root, through sudo where this is not root already.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        command -v sudo >/dev/null || { echo "run as root or install sudo for: $*" >&2; return 1; }
        sudo "$@"
    fi
}

# Installs those of the given Debian packages that are not installed yet; a
# machine that has them all is left alone and apt is not touched.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        echo "    all needed packages are installed"
        return 0
    fi
    command -v apt-get >/dev/null || { echo "apt-get not found: install ${missing[*]} by hand" >&2; return 1; }
    echo "    installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The build folder of a configure preset (each has its own).
preset_dir() {
    echo "$MORVANE_ROOT/build/$1"
}

# build_preset PRESET [TARGET...]: configures and builds with a preset, all
# of it or only the given targets.
build_preset() {
    local preset="$1"; shift
    (cd "$MORVANE_ROOT" && cmake --preset "$preset" >/dev/null)
    local command=(cmake --build --preset "$preset")
    if [ "$#" -gt 0 ]; then
        command+=(--target "$@")
    fi
    (cd "$MORVANE_ROOT" && "${command[@]}")
}

# What building the page needs, and what drives it in a browser.
# shellcheck disable=SC2034 # used by the scripts that source this file
PAGE_PACKAGES=(cmake make emscripten)
# shellcheck disable=SC2034
BROWSER_PACKAGES=(chromium)
# The page's checks also run in Firefox.
# shellcheck disable=SC2034
CHECK_BROWSER_PACKAGES=(firefox-esr)

# Debian's emscripten runs its JavaScript passes with the node on PATH and
# finds Debian's acorn only through NODE_PATH where that node is not
# Debian's own; the page's driver finds puppeteer-core there too.
PAGE_DRIVER_DIR="$MORVANE_ROOT/build/web-driver"
export NODE_PATH="$PAGE_DRIVER_DIR/node_modules:/usr/share/nodejs"

# Installs node and npm where they are missing, then the page's driver
# (puppeteer-core, which uses Debian's chromium and downloads no browser)
# at the versions of its lock file.
install_page_driver() {
    if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
        ensure_packages nodejs npm
    fi
    mkdir -p "$PAGE_DRIVER_DIR"
    if ! cmp -s "$MORVANE_ROOT/tools/page_driver/package-lock.json" "$PAGE_DRIVER_DIR/package-lock.json" ||
       [ ! -d "$PAGE_DRIVER_DIR/node_modules/puppeteer-core" ]; then
        cp "$MORVANE_ROOT/tools/page_driver/package.json" "$MORVANE_ROOT/tools/page_driver/package-lock.json" "$PAGE_DRIVER_DIR/"
        (cd "$PAGE_DRIVER_DIR" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null)
    fi
}

# drive_page ARGS...: the page's driver (tools/page_driver/drive_page.cjs).
drive_page() {
    node "$MORVANE_ROOT/tools/page_driver/drive_page.cjs" --page "$(preset_dir web)/morvane.html" "$@"
}

# What cross-building the Windows programs needs.
# shellcheck disable=SC2034 # used by the scripts that source this file
WINDOWS_PACKAGES=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 dpkg-dev file icoutils)

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
