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

# The page's driver (puppeteer-core, which uses Debian's chromium and
# downloads no browser) beside its script, at the versions of its lock file;
# node and npm first where they are missing.
install_page_driver() {
    local driver="$MORVANE_ROOT/tools/page_driver"
    if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
        ensure_packages nodejs npm
    fi
    if [ ! -d "$driver/node_modules/puppeteer-core" ] ||
       [ "$driver/package-lock.json" -nt "$driver/node_modules/.package-lock.json" ]; then
        (cd "$driver" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null)
    fi
}

# drive_page ARGS...: the page's driver on the built page.
drive_page() {
    node "$MORVANE_ROOT/tools/page_driver/drive_page.cjs" --page "$(preset_dir web)/morvane.html" "$@"
}

# What cross-building the Windows programs needs.
# shellcheck disable=SC2034 # used by the scripts that source this file
WINDOWS_PACKAGES=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 dpkg-dev file icoutils)
